#include "../core/logwatch.h"
#include "../core/pluggedmachine.h"
#include "../testtime.h"
#include "virtualbluezbus.h"
#include "windowfixture.h"

#include "core/pcrcore.h"
#include "core/translation.h"
#include "models/onlinedevicesmodel.h"
#include "models/protocolsmodel.h"
#include "utils/datafolder.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const int ConnectTimeoutMs = TestTime::scaled(20000);
const int RunTimeoutMs = TestTime::scaled(60000);

// How much faster than real time the machines live: while a run is
// watched, while the user pauses and resumes it, and once only its end is
// awaited.
constexpr double WatchedSpeed = 50.0;
constexpr double CalmSpeed = 20.0;
constexpr double HurriedSpeed = 400.0;

// A vela8 as it comes out of the box: with its test program, which its
// host must read before it counts the machine as ready.
void leavesTheFactory(const PluggedMachine &vela8)
{
    vela8.with([](VirtualMachine &machine) { machine.storeFactoryProgram(); });
}

// The texts an item has shown since the recorder was attached, its first
// one included: a run's states come and go faster than a test could poll.
class TextRecorder : public QObject
{
    Q_OBJECT

public:
    explicit TextRecorder(QQuickItem *item)
        : m_item(item)
    {
        record();
        connect(item, SIGNAL(textChanged(QString)), this, SLOT(record()));
    }
    QStringList texts() const { return m_texts; }
    // Whether the wanted texts appeared in this order (others in between).
    bool showedInOrder(const QStringList &wanted) const
    {
        int next = 0;
        for (const QString &text : m_texts) {
            if (next < wanted.size() && text == wanted.at(next))
                ++next;
        }
        return next == wanted.size();
    }

private slots:
    void record()
    {
        const QString text = m_item->property("text").toString();
        if (m_texts.isEmpty() || m_texts.constLast() != text)
            m_texts.append(text);
    }

private:
    QPointer<QQuickItem> m_item;
    QStringList m_texts;
};

} // namespace

// A day in the lab through the real window over the real core, on virtual
// machines: USB machines of both firmware generations in the process, a BLE
// machine on the virtual Bluetooth daemon reached through the real BLE
// plug-in. The test acts only as a user does, by clicks, keys and typing
// into the window's items (and by plugging, unplugging and powering the
// virtual machines); it reads the core only to check what it shows.
class TestJourneys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { m_bluetooth.reset(); }
    void init();
    void cleanup();

    void firstStartOnAnEmptyDataFolder();
    void pcrProtocolFromTheEditorToItsExportedRun();
    void flexProtocolToThreeMachinesOneOfThemRunning();
    void longHeatBlockProtocolOnTheVela8();
    void unpluggedAndUnpoweredMidRun();
    void libraryExportedEmptiedAndImported();
    void quitAndStartAgain();
    void keyboardOnly();

private:
    bool start(WindowFixture &window);
    WindowFixture &w() const { return *m_window; }

    // Pages and menus.
    bool showPage(const QString &key);
    bool chooseOption(const QString &key);
    // The file dialog a menu entry opened: types the path and accepts it.
    bool answerFileDialog(const QString &path);

    // The visible row of a list (found by objectName; its rows have
    // `rowProperty`) whose `keyProperty` reads `key`.
    QQuickItem *listRow(const QString &listName, const char *rowProperty,
                        const char *keyProperty, const QString &key) const;

    // Library.
    QQuickItem *libraryRow(const QString &protocolName) const;
    // The protocols of the library, sorted by name, and in the order shown.
    QStringList libraryNames() const;
    QStringList shownLibraryOrder() const;
    // The steps the library keeps for that protocol, as compact JSON.
    QString storedSteps(const QString &protocolName) const;
    bool openNewEditor(const QString &kind);
    QQuickItem *editorField(const QString &key, int row = 0) const;
    bool typeIntoField(const QString &key, const QString &text, int row = 0);
    // Types a hold time into the hh:mm:ss field of that step.
    bool typeHoldTime(const QString &hours, const QString &minutes, const QString &seconds,
                      int row = 0);
    bool saveEditor();
    // A new heat-block protocol of that name and hold time, saved and run.
    bool saveAndRunHeatBlock(const QString &name, const QString &hours, const QString &minutes);
    // Tab until the item with the keyboard focus is one that matches.
    bool tabUntil(const std::function<bool(QQuickItem *)> &match);
    bool runFromLibrary(const QString &protocolName);
    // Ticks the machines of those names in the run dialog and uploads.
    bool uploadTo(const QStringList &machineNames);

    // Devices page.
    QQuickItem *deviceRow(const QString &machineName) const;
    QString deviceStatus(const QString &machineName) const;

    // Running page.
    QQuickItem *tabHead(const QString &machineName) const;
    bool showTab(const QString &machineName);
    QQuickItem *statusBox() const;
    QString shownStatus() const;

    std::unique_ptr<VirtualBluezBus> m_bluetooth;
    std::unique_ptr<LogWatch> m_log;
    // Complaints a journey brings about on purpose (an unplugged machine's).
    QList<QRegularExpression> m_expectedWarnings;
    QTemporaryDir m_files;
    WindowFixture *m_window = nullptr;
};

void TestJourneys::initTestCase()
{
    QLoggingCategory::setFilterRules(
        QStringLiteral("default.debug=false\nqt.bluetooth*.warning=false"));
    // Before anything in the process reaches the system bus.
    m_bluetooth = std::make_unique<VirtualBluezBus>();
    QVERIFY2(m_bluetooth->isRunning(), qPrintable(m_bluetooth->errorString()));
    m_bluetooth->setDefaultSpeed(WatchedSpeed);
    QVERIFY(m_files.isValid());
    // The settings live in the test's home and outlast a run of it: start
    // from the defaults, as a new user does.
    QFile::remove(settingsFilePath());
}

void TestJourneys::init()
{
    m_log = std::make_unique<LogWatch>();
    m_expectedWarnings.clear();
}

void TestJourneys::cleanup()
{
    m_window = nullptr;
    for (const QString &address : m_bluetooth->machineIds())
        m_bluetooth->removeMachine(address);
    // A journey that went well leaves no complaint beyond a machine's
    // ordinary ones and those of a test machine without a desktop session,
    // sound or window manager.
    QList<QRegularExpression> allowed = LogWatch::ordinaryMachineWarnings() + m_expectedWarnings;
    for (const char *pattern :
         {"^No D-Bus session bus, the display may sleep during runs: ",
          "^Could not keep the system awake: ", "^PulseAudioService: ",
          "^This plugin does not support ",
          "^QUnifiedTimer::stopAnimationDriver: driver is not running$"})
        allowed << QRegularExpression(QLatin1String(pattern));
    const QStringList unexpected = m_log->unexpectedWarnings(allowed);
    m_log.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1Char('\n'))));
}

bool TestJourneys::start(WindowFixture &window)
{
    m_window = &window;
    return window.start();
}

bool TestJourneys::showPage(const QString &key)
{
    if (!w().click(QStringLiteral("mainMenu_") + key))
        return false;
    const QString pageName = key == QLatin1String("running") ? QStringLiteral("runningPage")
                                                             : key + QStringLiteral("Page");
    return w().waitFor([&] { return w().isShown(pageName); });
}

bool TestJourneys::chooseOption(const QString &key)
{
    if (!w().click(QStringLiteral("optionButton")))
        return false;
    QQuickItem *entry = w().waitForItem(QStringLiteral("pageMenu_") + key);
    return entry && entry->isEnabled() && w().click(entry);
}

bool TestJourneys::answerFileDialog(const QString &path)
{
    QFileDialog *dialog = nullptr;
    w().waitFor([&dialog] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *found = qobject_cast<QFileDialog *>(widget); found && found->isVisible())
                dialog = found;
        }
        return dialog != nullptr;
    });
    if (!dialog)
        return false;
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (!name)
        return false;
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, path);
    QTest::keyClick(name, Qt::Key_Return);
    return w().waitFor([dialog] { return !dialog->isVisible(); });
}

QQuickItem *TestJourneys::listRow(const QString &listName, const char *rowProperty,
                                  const char *keyProperty, const QString &key) const
{
    QQuickItem *list = w().findItem(listName);
    if (!list)
        return nullptr;
    for (QQuickItem *row : WindowFixture::rowsOf(list, rowProperty)) {
        if (row->property(keyProperty).toString() == key)
            return row;
    }
    return nullptr;
}

QQuickItem *TestJourneys::libraryRow(const QString &protocolName) const
{
    return listRow(QStringLiteral("libraryListView"), "protocolName", "protocolName",
                   protocolName);
}

QStringList TestJourneys::libraryNames() const
{
    QStringList names = shownLibraryOrder();
    names.sort();
    return names;
}

QStringList TestJourneys::shownLibraryOrder() const
{
    QList<QQuickItem *> rows;
    if (QQuickItem *list = w().findItem(QStringLiteral("libraryListView")))
        rows = WindowFixture::rowsOf(list, "protocolName");
    std::sort(rows.begin(), rows.end(),
              [](const QQuickItem *one, const QQuickItem *other) { return one->y() < other->y(); });
    QStringList names;
    for (const QQuickItem *row : qAsConst(rows))
        names << row->property("protocolName").toString();
    return names;
}

QString TestJourneys::storedSteps(const QString &protocolName) const
{
    ProtocolsModel *protocols = w().core()->protocolsModel();
    const ProgramPtr program = protocols->getProgramObjectByName(protocolName);
    if (!program)
        return QString();
    return QString::fromUtf8(QJsonDocument::fromVariant(protocols->getProgramById(program->programId()))
                                 .toJson(QJsonDocument::Compact));
}

bool TestJourneys::openNewEditor(const QString &kind)
{
    if (!w().click(QStringLiteral("addButton")) || !w().waitForItem(QStringLiteral("add_") + kind))
        return false;
    if (!w().click(QStringLiteral("add_") + kind))
        return false;
    QQuickItem *name = w().waitForItem(QStringLiteral("nameField"));
    return name && w().waitFor([name] { return name->hasActiveFocus(); });
}

QQuickItem *TestJourneys::editorField(const QString &key, int row) const
{
    return w().findItemWhere([&](QQuickItem *item) {
        return item->property("editorField").toBool() && item->property("key").toString() == key &&
               item->property("row").toInt() == row;
    });
}

bool TestJourneys::typeIntoField(const QString &key, const QString &text, int row)
{
    return w().typeInto(editorField(key, row), text);
}

bool TestJourneys::typeHoldTime(const QString &hours, const QString &minutes,
                                const QString &seconds, int row)
{
    QQuickItem *field = editorField(QStringLiteral("time"), row);
    if (!field)
        return false;
    const QList<QPair<const char *, QString>> parts{
        {"hoursField", hours}, {"minutesField", minutes}, {"secondsField", seconds}};
    for (const auto &part : parts) {
        if (!w().typeInto(field->property(part.first).value<QQuickItem *>(), part.second))
            return false;
    }
    return true;
}

bool TestJourneys::saveEditor()
{
    return w().click(QStringLiteral("saveButton")) &&
           w().waitFor([this] { return !w().isShown(QStringLiteral("nameField")); });
}

bool TestJourneys::saveAndRunHeatBlock(const QString &name, const QString &hours,
                                       const QString &minutes)
{
    if (!openNewEditor(QStringLiteral("heatBlock")))
        return false;
    w().type(name);
    return typeHoldTime(hours, minutes, QStringLiteral("00")) &&
           w().click(QStringLiteral("saveAndRunButton"));
}

bool TestJourneys::tabUntil(const std::function<bool(QQuickItem *)> &match)
{
    // Every stop of the window's focus chain comes round within this many.
    for (int presses = 0; presses < 60; ++presses) {
        QQuickItem *focused = w().window()->activeFocusItem();
        if (focused && match(focused))
            return true;
        w().pressKey(Qt::Key_Tab);
    }
    return false;
}

bool TestJourneys::runFromLibrary(const QString &protocolName)
{
    if (!showPage(QStringLiteral("library")))
        return false;
    QQuickItem *row = nullptr;
    if (!w().waitFor([&] { return (row = libraryRow(protocolName)) != nullptr; }))
        return false;
    if (!row->property("current").toBool() && !w().click(row))
        return false;
    QQuickItem *run = w().findItem(QStringLiteral("runButton"), row);
    return w().waitFor([run] { return run->isVisible(); }) && w().click(run);
}

bool TestJourneys::uploadTo(const QStringList &machineNames)
{
    QQuickItem *dialog = w().waitForItem(QStringLiteral("runDialog"), TestTime::scaled(10000));
    if (!dialog || dialog->property("title").toString() != QStringLiteral("Select PCR machine"))
        return false;
    QQuickItem *list = w().findItem(QStringLiteral("machineList"), dialog);
    for (const QString &name : machineNames) {
        QQuickItem *label = nullptr;
        if (!w().waitFor([&] { return (label = w().findText(name, list)) != nullptr; }) ||
            !w().click(label))
            return false;
    }
    QQuickItem *upload = w().findItem(QStringLiteral("runDialogAction"), dialog);
    return upload->isEnabled() && w().click(upload) &&
           w().waitFor([this] { return !w().isShown(QStringLiteral("runDialog")); });
}

QQuickItem *TestJourneys::deviceRow(const QString &machineName) const
{
    return listRow(QStringLiteral("devicesList"), "modelName", "deviceName", machineName);
}

QString TestJourneys::deviceStatus(const QString &machineName) const
{
    QQuickItem *row = deviceRow(machineName);
    return row ? w().findItem(QStringLiteral("statusText"), row)->property("text").toString()
               : QString();
}

QQuickItem *TestJourneys::tabHead(const QString &machineName) const
{
    QQuickItem *bar = w().findItem(QStringLiteral("tabBar"));
    if (!bar)
        return nullptr;
    QQuickItem *name = w().findItemWhere(
        [&machineName](QQuickItem *item) {
            return item->objectName() == QLatin1String("tabDeviceName") &&
                   item->property("text").toString() == machineName;
        },
        bar);
    // The name sits in a column of the head's content item.
    QQuickItem *head = name;
    while (head && !head->property("deviceStatusName").isValid())
        head = head->parentItem();
    return head;
}

bool TestJourneys::showTab(const QString &machineName)
{
    if (!w().isShown(QStringLiteral("runningPage")) && !showPage(QStringLiteral("running")))
        return false;
    QQuickItem *head = nullptr;
    if (!w().waitFor([&] { return (head = tabHead(machineName)) != nullptr; }))
        return false;
    if (!head->property("selected").toBool() && !w().click(head))
        return false;
    return w().waitFor([&] { return head->property("selected").toBool() && statusBox(); });
}

QQuickItem *TestJourneys::statusBox() const
{
    QObject *page = w().findObject(QStringLiteral("runningPage"));
    auto *body = page->property("currentBody").value<QQuickItem *>();
    return body ? body->property("status").value<QQuickItem *>() : nullptr;
}

QString TestJourneys::shownStatus() const
{
    QQuickItem *status = statusBox();
    return status ? w().findItem(QStringLiteral("statusText"), status)->property("text").toString()
                  : QString();
}

// An empty data folder: the library says it is empty, and the machines
// (a vela16 on USB, one over BLE through the real plug-in) join the devices
// page and turn "Connected".
void TestJourneys::firstStartOnAnEmptyDataFolder()
{
    const PluggedMachine usb(VirtualMachine::Vela16, WatchedSpeed);
    const QString bleAddress = m_bluetooth->addMachine(QStringLiteral("vela16"));
    QVERIFY(!bleAddress.isEmpty());
    QTemporaryDir data;
    WindowFixture window(data.path());
    QVERIFY(start(window));

    QQuickItem *empty = w().waitForItem(QStringLiteral("emptyLibraryText"));
    QVERIFY(empty);
    QCOMPARE(empty->property("text").toString(),
             QStringLiteral("THERE ARE NO PROTOCOLS IN THE LIBRARY."));
    QVERIFY(!w().isShown(QStringLiteral("sortSelector")));
    // Nothing to export yet.
    QVERIFY(w().click(QStringLiteral("optionButton")));
    QQuickItem *exportEntry = w().waitForItem(QStringLiteral("pageMenu_library_export"));
    QVERIFY(exportEntry);
    QVERIFY(!exportEntry->isEnabled());
    w().pressKey(Qt::Key_Escape);
    QTRY_VERIFY(!w().isShown(QStringLiteral("pageMenu")));

    QVERIFY(showPage(QStringLiteral("devices")));
    QTRY_COMPARE_WITH_TIMEOUT(deviceStatus(usb.machineName()), QStringLiteral("Connected"),
                              ConnectTimeoutMs);
    QString bleName;
    QVERIFY(m_bluetooth->withMachine(
        bleAddress, [&bleName](VirtualMachine &machine) { bleName = machine.machineName(); }));
    QTRY_COMPARE_WITH_TIMEOUT(deviceStatus(bleName), QStringLiteral("Connected"),
                              ConnectTimeoutMs);
    QVERIFY(w().findItem(QStringLiteral("modelText"), deviceRow(bleName))
                ->property("text")
                .toString()
                .contains(QStringLiteral("BLE")));

    // The machines brought no program: the library is still empty.
    QVERIFY(showPage(QStringLiteral("library")));
    QVERIFY(w().waitForItem(QStringLiteral("emptyLibraryText")));
}

// A PCR protocol typed into its editor, saved and run on the vela16 of two
// machines, watched, paused and resumed, finished with one ring of the
// bell, and its temperature trace exported.
void TestJourneys::pcrProtocolFromTheEditorToItsExportedRun()
{
    const PluggedMachine vela8(VirtualMachine::Vela8, WatchedSpeed);
    const PluggedMachine vela16(VirtualMachine::Vela16, 2 * WatchedSpeed);
    leavesTheFactory(vela8);
    WindowFixture window;
    QVERIFY(start(window));
    QTRY_COMPARE_WITH_TIMEOUT(w().core()->onlineDevicesModel()->count(), 2, ConnectTimeoutMs);

    QVERIFY(openNewEditor(QStringLiteral("pcr")));
    w().type(QStringLiteral("Journey PCR"));
    for (const QString &key : {QStringLiteral("initTime"), QStringLiteral("denaturationTime"),
                               QStringLiteral("annealingTime"), QStringLiteral("extensionTime"),
                               QStringLiteral("finalTime")})
        QVERIFY2(typeIntoField(key, QStringLiteral("5")), qPrintable(key));
    QVERIFY(typeIntoField(QStringLiteral("annealingTemp"), QStringLiteral("55")));
    QVERIFY(typeIntoField(QStringLiteral("cyclesNum"), QStringLiteral("10")));
    QVERIFY(w().click(QStringLiteral("saveAndRunButton")));

    QVERIFY(uploadTo({vela16.machineName()}));
    // The program turns to the running page by itself.
    QTRY_VERIFY(w().isShown(QStringLiteral("runningPage")));
    QQuickItem *head = nullptr;
    QVERIFY(w().waitFor([&] { return (head = tabHead(vela16.machineName())) != nullptr; }));
    TextRecorder states(w().findItem(QStringLiteral("tabStatusText"), head));
    QCOMPARE(w().findItem(QStringLiteral("tabProtocolName"), head)->property("text").toString(),
             QStringLiteral("Journey PCR"));
    QVERIFY(showTab(vela16.machineName()));
    QTRY_VERIFY2_WITH_TIMEOUT(states.texts().contains(QStringLiteral("Running")),
                              qPrintable(states.texts().join(QStringLiteral(", "))), RunTimeoutMs);
    QVERIFY2(states.showedInOrder({QStringLiteral("Loading"), QStringLiteral("Heating lid"),
                                   QStringLiteral("Running")}),
             qPrintable(states.texts().join(QStringLiteral(", "))));

    // Pause and resume through the status box, with time for both.
    vela16.with([](VirtualMachine &machine) { machine.clock()->setSpeed(CalmSpeed); });
    QQuickItem *status = statusBox();
    QQuickItem *play = w().findItem(QStringLiteral("playButton"), status);
    QTRY_VERIFY(status->isEnabled());
    QVERIFY(play->property("showsPause").toBool());
    QVERIFY(w().click(play));
    QTRY_COMPARE_WITH_TIMEOUT(shownStatus(), QStringLiteral("Paused"), RunTimeoutMs);
    QTRY_VERIFY(status->isEnabled());
    QVERIFY(!play->property("showsPause").toBool());
    QVERIFY(w().click(play));
    QTRY_COMPARE_WITH_TIMEOUT(shownStatus(), QStringLiteral("Running"), RunTimeoutMs);

    vela16.with([](VirtualMachine &machine) { machine.clock()->setSpeed(HurriedSpeed); });
    QTRY_COMPARE_WITH_TIMEOUT(shownStatus(), QStringLiteral("Finished"), RunTimeoutMs);
    QTRY_COMPARE(m_log->count(QRegularExpression(QStringLiteral("RUN FINISHED: .*bell: ringing"))),
                 1);

    const QString csv = m_files.filePath(QStringLiteral("journey-run.csv"));
    QVERIFY(chooseOption(QStringLiteral("run_data_export")));
    QVERIFY(answerFileDialog(csv));
    QTRY_VERIFY(QFile::exists(csv));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    QCOMPARE(lines.first(), QByteArray("\"time\",\"temp\""));
    QVERIFY2(lines.size() > 10, lines.join('\n').constData());
    double lastTime = -1;
    for (int i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> cells = lines.at(i).split(',');
        QCOMPARE(cells.size(), 2);
        bool timeOk = false;
        bool tempOk = false;
        const double time = cells.at(0).toDouble(&timeOk);
        const double temp = cells.at(1).toDouble(&tempOk);
        QVERIFY2(timeOk && tempOk && time >= lastTime && temp > 15 && temp < 110,
                 lines.at(i).constData());
        lastTime = time;
    }
    // A second ring would have come with the export or the end of the run.
    QCOMPARE(m_log->count(QRegularExpression(QStringLiteral("RUN FINISHED: .*bell: ringing"))), 1);
}

// A flex protocol of a PCR, a touchdown and a heat-block step, built in its
// editor and sent to three machines at once. The two vela16s (one on USB,
// one over BLE) already run it: the core asks about the first with "Yes to
// All", as the upload goes to several machines, and that answer holds for
// the second; the vela8 cannot run flex protocols and says so.
void TestJourneys::flexProtocolToThreeMachinesOneOfThemRunning()
{
    // Slow enough to be still running when the second upload comes.
    const PluggedMachine usb(VirtualMachine::Vela16, 2.0);
    const PluggedMachine vela8(VirtualMachine::Vela8, WatchedSpeed);
    leavesTheFactory(vela8);
    const QString bleAddress = m_bluetooth->addMachine(QStringLiteral("vela16"));
    QVERIFY(!bleAddress.isEmpty());
    QVERIFY(m_bluetooth->setSpeed(bleAddress, 2.0));
    QString bleName;
    QVERIFY(m_bluetooth->withMachine(
        bleAddress, [&bleName](VirtualMachine &machine) { bleName = machine.machineName(); }));
    WindowFixture window;
    QVERIFY(start(window));

    QVERIFY(openNewEditor(QStringLiteral("flex")));
    w().type(QStringLiteral("Journey flex"));
    QVERIFY(w().click(QStringLiteral("addPCR")));
    QTRY_VERIFY(editorField(QStringLiteral("cyclesNum"), 0));
    for (const QString &key : {QStringLiteral("denaturationTime"), QStringLiteral("annealingTime"),
                               QStringLiteral("extensionTime")})
        QVERIFY2(typeIntoField(key, QStringLiteral("5"), 0), qPrintable(key));
    QVERIFY(typeIntoField(QStringLiteral("cyclesNum"), QStringLiteral("2"), 0));
    QVERIFY(w().click(QStringLiteral("addTouchdown")));
    QTRY_VERIFY(editorField(QStringLiteral("extensionEndTime"), 1));
    for (const QString &key : {QStringLiteral("denaturationTime"), QStringLiteral("annealingTime"),
                               QStringLiteral("extensionTime"), QStringLiteral("extensionEndTime")})
        QVERIFY2(typeIntoField(key, QStringLiteral("5"), 1), qPrintable(key));
    QVERIFY(typeIntoField(QStringLiteral("cyclesNum"), QStringLiteral("2"), 1));
    QVERIFY(w().click(QStringLiteral("addHeatBlock")));
    QTRY_VERIFY(editorField(QStringLiteral("time"), 2));
    QVERIFY(typeHoldTime(QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("20"), 2));
    QVERIFY(saveEditor());
    QQuickItem *row = nullptr;
    QTRY_VERIFY((row = libraryRow(QStringLiteral("Journey flex"))) != nullptr);
    QVERIFY(w().findItem(QStringLiteral("flexTag"), row)->isVisible());
    QVERIFY(w().findItem(QStringLiteral("largeModelLabel"), row)->isVisible());

    // Both vela16s get it first, neither running yet: no question.
    QTRY_COMPARE_WITH_TIMEOUT(w().core()->onlineDevicesModel()->count(), 3, ConnectTimeoutMs);
    QVERIFY(runFromLibrary(QStringLiteral("Journey flex")));
    QVERIFY(uploadTo({usb.machineName(), bleName}));
    std::vector<std::unique_ptr<TextRecorder>> states;
    for (const QString &name : {usb.machineName(), bleName}) {
        QQuickItem *head = nullptr;
        QVERIFY(w().waitFor([&] { return (head = tabHead(name)) != nullptr; }, RunTimeoutMs));
        QQuickItem *status = w().findItem(QStringLiteral("tabStatusText"), head);
        QTRY_COMPARE_WITH_TIMEOUT(status->property("text").toString(),
                                  QStringLiteral("Heating lid"), RunTimeoutMs);
        states.push_back(std::make_unique<TextRecorder>(status));
    }

    QVERIFY(runFromLibrary(QStringLiteral("Journey flex")));
    QVERIFY(uploadTo({usb.machineName(), bleName, vela8.machineName()}));
    // Answers as they come, in the machines' order, until the upload has
    // been through all three: each answer lets it go on.
    QStringList questions;
    QStringList notices;
    const QStringList reloaded{QStringLiteral("Loading"), QStringLiteral("Heating lid")};
    QVERIFY2(w().waitFor(
                 [&] {
                     QQuickItem *yesToAll = w().findItem(QStringLiteral("yesToAllButton"));
                     QQuickItem *info = w().findItem(QStringLiteral("infoText"));
                     if (yesToAll && yesToAll->isVisible()) {
                         questions << w().findItem(QStringLiteral("questionText"))
                                          ->property("text")
                                          .toString();
                         w().click(yesToAll);
                     } else if (info && info->isVisible()) {
                         notices << info->property("text").toString();
                         w().click(QStringLiteral("infoButton"));
                     }
                     return !notices.isEmpty() && states.at(0)->showedInOrder(reloaded) &&
                            states.at(1)->showedInOrder(reloaded);
                 },
                 RunTimeoutMs),
             qPrintable((questions + notices).join(QStringLiteral(" | "))));
    QCOMPARE(questions,
             QStringList{QStringLiteral("Do you want to restart the current protocol \"Journey flex\"?")});
    QCOMPARE(notices,
             QStringList{QStringLiteral("Sorry but your vela8 is not compatible with Flex protocols.")});
    QTRY_VERIFY(!w().findItem(QStringLiteral("dialogHost"))->isVisible());
    QQuickItem *vela8Head = tabHead(vela8.machineName());
    QVERIFY(vela8Head);
    QCOMPARE(w().findItem(QStringLiteral("tabProtocolName"), vela8Head)->property("text").toString(),
             QStringLiteral("Factory test"));
}

// A heat block held for ten and a half hours, run on the only machine, a
// vela8: firmware 1 holds at most 546 minutes, so the program warns, and on
// "Continue" adds the shortened copy to the library and runs that.
void TestJourneys::longHeatBlockProtocolOnTheVela8()
{
    const PluggedMachine vela8(VirtualMachine::Vela8, WatchedSpeed);
    leavesTheFactory(vela8);
    WindowFixture window;
    QVERIFY(start(window));
    QTRY_COMPARE_WITH_TIMEOUT(w().core()->onlineDevicesModel()->count(), 1, ConnectTimeoutMs);

    QVERIFY(saveAndRunHeatBlock(QStringLiteral("Long hold"), QStringLiteral("10"), QStringLiteral("30")));

    QQuickItem *warning = w().waitForItem(QStringLiteral("longProtocolText"));
    QVERIFY(warning);
    QVERIFY(warning->property("text").toString().contains(QStringLiteral("546 minutes")));
    QCOMPARE(w().findItem(QStringLiteral("dialogHolder"))
                 ->property("dialog")
                 .value<QQuickItem *>()
                 ->property("title")
                 .toString(),
             vela8.machineName());
    QVERIFY(w().click(QStringLiteral("continueButton")));

    QQuickItem *head = nullptr;
    QVERIFY(w().waitFor([&] { return (head = tabHead(vela8.machineName())) != nullptr; }));
    QString copyName;
    QTRY_VERIFY_WITH_TIMEOUT(
        (copyName = w().findItem(QStringLiteral("tabProtocolName"), head)->property("text").toString()) !=
                QStringLiteral("Factory test") &&
            !copyName.isEmpty(),
        RunTimeoutMs);
    QVERIFY(copyName != QStringLiteral("Long hold"));
    QTRY_VERIFY_WITH_TIMEOUT(
        QStringList({QStringLiteral("Heating lid"), QStringLiteral("Running")})
            .contains(w().findItem(QStringLiteral("tabStatusText"), head)->property("text").toString()),
        RunTimeoutMs);
    QVERIFY(showPage(QStringLiteral("library")));
    QStringList expected{QStringLiteral("Factory test"), QStringLiteral("Long hold"), copyName};
    expected.sort();
    QTRY_COMPARE(libraryNames(), expected);
    // The copy holds as long as firmware 1 can; the protocol itself is unchanged.
    QVERIFY2(storedSteps(copyName).contains(QStringLiteral("\"time\":32760")),
             qPrintable(storedSteps(copyName)));
    QVERIFY2(storedSteps(QStringLiteral("Long hold")).contains(QStringLiteral("\"time\":37800")),
             qPrintable(storedSteps(QStringLiteral("Long hold"))));
}

// A run goes on while its machine is unplugged and plugged back, and while
// the mains are off: the tab turns read-only and comes back each time.
void TestJourneys::unpluggedAndUnpoweredMidRun()
{
    const PluggedMachine vela16(VirtualMachine::Vela16, WatchedSpeed);
    WindowFixture window;
    QVERIFY(start(window));
    QTRY_COMPARE_WITH_TIMEOUT(w().core()->onlineDevicesModel()->count(), 1, ConnectTimeoutMs);
    // Long enough to outlast the journey on a loaded machine.
    QVERIFY(saveAndRunHeatBlock(QStringLiteral("Hold"), QStringLiteral("2"), QStringLiteral("00")));
    QVERIFY(showTab(vela16.machineName()));
    QTRY_COMPARE_WITH_TIMEOUT(shownStatus(), QStringLiteral("Running"), RunTimeoutMs);
    QQuickItem *status = statusBox();
    QTRY_VERIFY(status->isEnabled());

    // A report being written when the cable goes fails as well as the next read.
    m_expectedWarnings << QRegularExpression(QStringLiteral("^HID (read|write) error "));
    QVERIFY(vela16.setPlugged(false));
    QTRY_COMPARE_WITH_TIMEOUT(shownStatus(), QStringLiteral("Offline"), ConnectTimeoutMs);
    QVERIFY(!statusBox()->isEnabled());
    QVERIFY(vela16.setPlugged(true));
    QTRY_COMPARE_WITH_TIMEOUT(shownStatus(), QStringLiteral("Running"), ConnectTimeoutMs);
    QTRY_VERIFY(statusBox()->isEnabled());

    vela16.with([](VirtualMachine &machine) { machine.setPowered(false); });
    QTRY_COMPARE_WITH_TIMEOUT(shownStatus(), QStringLiteral("No power"), ConnectTimeoutMs);
    QVERIFY(!statusBox()->isEnabled());
    vela16.with([](VirtualMachine &machine) { machine.setPowered(true); });
    QTRY_COMPARE_WITH_TIMEOUT(shownStatus(), QStringLiteral("Running"), ConnectTimeoutMs);
    QTRY_VERIFY(statusBox()->isEnabled());
}

// The library goes out to its pair of files, every protocol is deleted, and
// the pair comes back in: the same protocols, none twice.
void TestJourneys::libraryExportedEmptiedAndImported()
{
    WindowFixture window;
    QVERIFY(start(window));
    // One protocol firmware 1 can run (it goes into both files), one too long for it.
    QVERIFY(openNewEditor(QStringLiteral("pcr")));
    w().type(QStringLiteral("Exchange PCR"));
    QVERIFY(saveEditor());
    QVERIFY(openNewEditor(QStringLiteral("heatBlock")));
    w().type(QStringLiteral("Exchange hold"));
    QVERIFY(typeHoldTime(QStringLiteral("12"), QStringLiteral("00"), QStringLiteral("00")));
    QVERIFY(saveEditor());
    const QStringList before{QStringLiteral("Exchange PCR"), QStringLiteral("Exchange hold")};
    QTRY_COMPARE(libraryNames(), before);

    const QString base = m_files.filePath(QStringLiteral("journey-library"));
    QVERIFY(chooseOption(QStringLiteral("library_export")));
    QVERIFY(answerFileDialog(base + QStringLiteral(".plfx")));
    QTRY_VERIFY(QFile::exists(base + QStringLiteral(".plf")) &&
                QFile::exists(base + QStringLiteral(".plfx")));

    while (!libraryNames().isEmpty()) {
        QQuickItem *row = libraryRow(libraryNames().constFirst());
        QVERIFY(w().click(row));
        QQuickItem *remove = w().findItem(QStringLiteral("deleteButton"), row);
        QTRY_VERIFY(remove->isVisible());
        const int count = libraryNames().size();
        QVERIFY(w().click(remove));
        QTRY_COMPARE(libraryNames().size(), count - 1);
    }
    QVERIFY(w().waitForItem(QStringLiteral("emptyLibraryText")));

    QVERIFY(chooseOption(QStringLiteral("library_import")));
    QVERIFY(answerFileDialog(base + QStringLiteral(".plfx")));
    QTRY_COMPARE(libraryNames(), before);
    QVERIFY(!w().isShown(QStringLiteral("emptyLibraryText")));
}

// What a user set up is there after quitting and starting again on the same
// data folder: the library with its favourite, the machine's new name, the
// language chosen; the sort order survives a visit to another page, and a
// fresh start sorts by use again.
void TestJourneys::quitAndStartAgain()
{
    QTemporaryDir data;
    QVERIFY(data.isValid());
    const PluggedMachine vela16(VirtualMachine::Vela16, WatchedSpeed);
    const QStringList library{QStringLiteral("Alpha PCR"), QStringLiteral("Zeta hold")};
    {
        WindowFixture window(data.path());
        QVERIFY(start(window));
        QVERIFY(openNewEditor(QStringLiteral("heatBlock")));
        w().type(QStringLiteral("Zeta hold"));
        QVERIFY(saveEditor());
        QVERIFY(openNewEditor(QStringLiteral("pcr")));
        w().type(QStringLiteral("Alpha PCR"));
        QVERIFY(saveEditor());
        QTRY_COMPARE(libraryNames(), library);
        QVERIFY(w().click(w().findItem(QStringLiteral("favoriteStar"),
                                       libraryRow(QStringLiteral("Zeta hold")))));
        QTRY_VERIFY(w().findItem(QStringLiteral("favoriteStar"), libraryRow(QStringLiteral("Zeta hold")))
                        ->property("starred")
                        .toBool());

        // A-Z, kept over a visit to the devices page, where the machine is renamed.
        QVERIFY(w().click(QStringLiteral("sortBox")));
        QQuickItem *azEntry = nullptr;
        QTRY_VERIFY((azEntry = w().findItemWhere([](QQuickItem *item) {
                         return item->property("text").toString() == QLatin1String("A-Z") &&
                                item->parentItem() &&
                                item->parentItem()->inherits("QQuickItemDelegate");
                     })) != nullptr);
        QVERIFY(w().click(azEntry));
        QQuickItem *sortBox = w().findItem(QStringLiteral("sortBox"));
        QTRY_COMPARE(sortBox->property("displayText").toString(), QStringLiteral("A-Z"));

        QVERIFY(showPage(QStringLiteral("devices")));
        QTRY_COMPARE_WITH_TIMEOUT(deviceStatus(vela16.machineName()), QStringLiteral("Connected"),
                                  ConnectTimeoutMs);
        QVERIFY(w().click(w().findItem(QStringLiteral("editButton"), deviceRow(vela16.machineName()))));
        QQuickItem *nameEditor = w().waitForItem(QStringLiteral("nameEditor"));
        QVERIFY(nameEditor);
        QTRY_VERIFY(nameEditor->hasActiveFocus());
        w().pressKey(Qt::Key_A, Qt::ControlModifier);
        w().type(QStringLiteral("Bench 16"));
        w().pressKey(Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(vela16.machineName(), QStringLiteral("Bench 16"), ConnectTimeoutMs);
        QTRY_VERIFY(deviceRow(QStringLiteral("Bench 16")));

        QVERIFY(showPage(QStringLiteral("library")));
        QTRY_COMPARE(w().findItem(QStringLiteral("sortBox"))->property("displayText").toString(),
                     QStringLiteral("A-Z"));
        QTRY_COMPARE(shownLibraryOrder(), library);

        QVERIFY(chooseOption(QStringLiteral("language")));
        QQuickItem *french = w().waitForItem(QStringLiteral("languageRow2"));
        QVERIFY(french);
        QVERIFY(w().findText(QStringLiteral("French"), french));
        QVERIFY(w().click(french));
        QVERIFY(w().click(QStringLiteral("languageOkButton")));
        QQuickItem *notice = w().waitForItem(QStringLiteral("infoButton"));
        QVERIFY(notice);
        QVERIFY(w().click(notice));
    }
    // The known machines were stored on the way out.
    QFile devices(QDir(data.path()).filePath(QStringLiteral("devices0")));
    QVERIFY(devices.open(QIODevice::ReadOnly));
    QVERIFY(devices.readAll().contains("Bench 16"));

    WindowFixture window(data.path());
    QVERIFY(start(window));
    QTRY_COMPARE(libraryNames(), library);
    QVERIFY(w().findItem(QStringLiteral("favoriteStar"), libraryRow(QStringLiteral("Zeta hold")))
                ->property("starred")
                .toBool());
    QVERIFY(!w().findItem(QStringLiteral("favoriteStar"), libraryRow(QStringLiteral("Alpha PCR")))
                 ->property("starred")
                 .toBool());
    QCOMPARE(w().findItem(QStringLiteral("sortBox"))->property("displayText").toString(),
             QStringLiteral("Most used"));

    QVERIFY(showPage(QStringLiteral("devices")));
    QTRY_COMPARE_WITH_TIMEOUT(deviceStatus(QStringLiteral("Bench 16")), QStringLiteral("Connected"),
                              ConnectTimeoutMs);

    QCOMPARE(QSettings(settingsFilePath(), QSettings::IniFormat).value(QStringLiteral("langId")),
             QVariant(QString::number(int(Translation::LanguageMap::FR))));
    QVERIFY(chooseOption(QStringLiteral("language")));
    QQuickItem *french = w().waitForItem(QStringLiteral("languageRow2"));
    QVERIFY(french);
    QQuickItem *mark = w().findItemWhere(
        [](QQuickItem *item) { return item->property("checked").isValid(); }, french);
    QVERIFY(mark);
    QTRY_VERIFY(mark->property("checked").toBool());
    QVERIFY(w().click(QStringLiteral("languageCancelButton")));
}

// A protocol created and saved with the keyboard alone: Tab to the add
// button, open it, Tab to "PCR", type the name and a value, Tab to "Save".
void TestJourneys::keyboardOnly()
{
    WindowFixture window;
    QVERIFY(start(window));
    const auto named = [](const char *name) {
        return [name](QQuickItem *item) { return item->objectName() == QLatin1String(name); };
    };
    QVERIFY(tabUntil(named("addButton")));
    w().pressKey(Qt::Key_Space);
    QVERIFY(w().waitForItem(QStringLiteral("add_pcr")));
    QVERIFY(tabUntil(named("add_pcr")));
    w().pressKey(Qt::Key_Return);
    QQuickItem *name = w().waitForItem(QStringLiteral("nameField"));
    QVERIFY(name);
    QTRY_VERIFY(name->hasActiveFocus());
    w().type(QStringLiteral("Keyboard PCR"));
    QVERIFY(tabUntil([](QQuickItem *item) {
        return item->property("key").toString() == QLatin1String("cyclesNum");
    }));
    w().type(QStringLiteral("12"));
    QVERIFY(tabUntil(named("saveButton")));
    w().pressKey(Qt::Key_Return);
    QTRY_VERIFY(!w().isShown(QStringLiteral("nameField")));

    QTRY_COMPARE(libraryNames(), QStringList{QStringLiteral("Keyboard PCR")});
    const QString steps = storedSteps(QStringLiteral("Keyboard PCR"));
    QVERIFY2(steps.contains(QStringLiteral("\"cyclesNum\":12")), qPrintable(steps));
}

QTEST_MAIN(TestJourneys)
#include "tst_journeys.moc"
