#include "../core/pluggedmachine.h"
#include "../program/programfixtures.h"
#include "../testtime.h"

#include "core/applocalstorage.h"
#include "core/pcrcore.h"
#include "main/qmlregistration.h"
#include "models/onlinedevicesmodel.h"
#include "ui/runningviewrules.h"
#include "utils/pcrconst.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const int ConnectTimeoutMs = TestTime::scaled(15000);
const int RunTimeoutMs = TestTime::scaled(60000);
const int CommandTimeoutMs = TestTime::scaled(10000);

const char scene[] = R"(
import QtQuick 2.15
import Desktop.Pages 1.0
Item {
    width: 1280
    height: 768
    property alias page: page
    RunningPage { id: page; anchors.fill: parent }
}
)";

QByteArray pcr(int cycles)
{
    QJsonObject step = Fixtures::with(Fixtures::pcrStep(true), PCRConst::cyclesNum(), cycles);
    for (const QString &key :
         {PCRConst::initTime(), PCRConst::denaturationTime(), PCRConst::annealingTime(),
          PCRConst::extensionTime(), PCRConst::finalTime()})
        step = Fixtures::with(step, key, 5);
    return Fixtures::bytes({step});
}

QByteArray flex()
{
    QJsonObject pcrStep = QJsonDocument::fromJson(pcr(2)).array().first().toObject();
    return Fixtures::bytes(
        {Fixtures::heatBlockStep(45, 40, true, QStringLiteral("Warm up")), pcrStep});
}

} // namespace

// The running page and the run dialog in a window, over the real core and
// two virtual vela16 machines that run fast: a protocol goes out through the
// dialog, the tabs follow the runs and the status box controls them.
class TestRunningOnMachines : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void runsThroughTheDialogAndTheStatusBox();

private:
    QQuickItem *find(const char *name, QObject *in = nullptr) const;
    void click(QQuickItem *item);
    // Opens the run dialog for the program, ticks the machine and uploads.
    void uploadThroughTheDialog(int programId, const PCRDevicePtr &device);
    void showTabOf(const PCRDevicePtr &device);
    QQuickItem *body() const;
    static int onlineRow(PcrCore &core, const PCRDevicePtr &device);

    std::unique_ptr<QTemporaryDir> m_dataDir;
    std::unique_ptr<PcrCore> m_core;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    QQuickItem *m_root = nullptr;
};

void TestRunningOnMachines::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    registerQmlTypes();
}

QQuickItem *TestRunningOnMachines::find(const char *name, QObject *in) const
{
    return (in ? in : m_root)->findChild<QQuickItem *>(QLatin1String(name));
}

void TestRunningOnMachines::click(QQuickItem *item)
{
    QVERIFY(item);
    QVERIFY(item->isEnabled());
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(m_window.get(), Qt::LeftButton, {}, centre.toPoint());
}

int TestRunningOnMachines::onlineRow(PcrCore &core, const PCRDevicePtr &device)
{
    OnlineDevicesModel *online = core.onlineDevicesModel();
    for (int row = 0; row < online->rowCount(); ++row) {
        if (online->data(online->index(row, 0), OnlineDevicesModel::DeviceIdRole).toInt() ==
            device->deviceId())
            return row;
    }
    return -1;
}

void TestRunningOnMachines::uploadThroughTheDialog(int programId, const PCRDevicePtr &device)
{
    QQmlComponent component(
        m_engine.get(), QUrl(QStringLiteral("qrc:/qml/Desktop/AppDialogs/Views/RunDialog.qml")));
    std::unique_ptr<QQuickItem> dialog(
        qobject_cast<QQuickItem *>(component.beginCreate(m_engine->rootContext())));
    QVERIFY2(dialog, qPrintable(component.errorString()));
    dialog->setProperty("protocolId", programId);
    dialog->setParentItem(m_window->contentItem());
    dialog->setZ(10);
    component.completeCreate();
    QSignalSpy finished(dialog.get(), SIGNAL(finished()));

    QQuickItem *upload = find("runDialogAction", dialog.get());
    QCOMPARE(upload->property("text").toString(), QStringLiteral("Upload"));
    QVERIFY(!upload->isEnabled());
    QQuickItem *list = find("machineList", dialog.get());
    const int row = onlineRow(*m_core, device);
    QVERIFY(row >= 0);
    QQuickItem *rowItem = nullptr;
    QTRY_VERIFY(QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, rowItem),
                                          Q_ARG(int, row)) &&
                rowItem);
    click(rowItem);
    QVERIFY(device->property("isSelected").toBool());
    click(upload);
    QCOMPARE(finished.count(), 1);
}

void TestRunningOnMachines::showTabOf(const PCRDevicePtr &device)
{
    QObject *page = m_root->property("page").value<QObject *>();
    QTRY_VERIFY_WITH_TIMEOUT(page->property("count").toInt() >= 1, CommandTimeoutMs);
    for (int tab = 0; tab < page->property("count").toInt(); ++tab) {
        QMetaObject::invokeMethod(page, "selectTab", Q_ARG(QVariant, tab));
        if (page->property("currentDeviceId").toInt() == device->deviceId())
            break;
    }
    QCOMPARE(page->property("currentDeviceId").toInt(), device->deviceId());
    QTRY_VERIFY(body());
}

QQuickItem *TestRunningOnMachines::body() const
{
    QObject *page = m_root->property("page").value<QObject *>();
    return page->property("currentBody").value<QQuickItem *>();
}

void TestRunningOnMachines::runsThroughTheDialogAndTheStatusBox()
{
    m_dataDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dataDir->isValid());
    AppLocalStorage::setDataPath(m_dataDir->path());
    const PluggedMachine first(VirtualMachine::Vela16, 20.0);
    const PluggedMachine second(VirtualMachine::Vela16, 20.0);
    m_core = std::make_unique<PcrCore>();
    QSignalSpy loaded(m_core->storage(), &AppLocalStorage::loadCompleted);
    QMetaObject::invokeMethod(m_core->storage(), &AppLocalStorage::loadData, Qt::QueuedConnection);
    QVERIFY(loaded.wait(ConnectTimeoutMs));
    QTRY_COMPARE_WITH_TIMEOUT(m_core->onlineDevicesModel()->count(), 2, ConnectTimeoutMs);
    const PCRDevicePtr pcrMachine = deviceWithSerial(*m_core, first.serialNumber());
    const PCRDevicePtr flexMachine = deviceWithSerial(*m_core, second.serialNumber());
    QTRY_VERIFY_WITH_TIMEOUT(!pcrMachine->isEepromBusy() && !flexMachine->isEepromBusy(),
                             ConnectTimeoutMs);

    PCRConst constants;
    m_engine = std::make_unique<QQmlEngine>();
    for (const char *path : {"qrc:/qml", "qrc:/qml/Common", "qrc:/qml/Desktop"})
        m_engine->addImportPath(QLatin1String(path));
    setContextProperties(m_engine->rootContext(), m_core.get(), &constants);
    m_window = std::make_unique<QQuickWindow>();
    m_window->resize(1280, 768);
    QQmlComponent sceneComponent(m_engine.get());
    sceneComponent.setData(scene, QUrl(QStringLiteral("qrc:/test/scene.qml")));
    m_root = qobject_cast<QQuickItem *>(sceneComponent.create());
    QVERIFY2(m_root, qPrintable(sceneComponent.errorString()));
    m_root->setParentItem(m_window->contentItem());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

    // A PCR protocol to one machine, a flex protocol to the other.
    const int pcrProgram = m_core->addProgram(QStringLiteral("Live PCR"), pcr(4), Program::PT_PCR);
    const int flexProgram =
        m_core->addProgram(QStringLiteral("Live flex"), flex(), Program::PT_FLEX);
    uploadThroughTheDialog(pcrProgram, pcrMachine);
    uploadThroughTheDialog(flexProgram, flexMachine);
    QTRY_VERIFY_WITH_TIMEOUT(pcrMachine->isRunning() && flexMachine->isRunning(), RunTimeoutMs);

    // The flex tab at its heat-block step names the step.
    showTabOf(flexMachine);
    QTRY_VERIFY_WITH_TIMEOUT(find("flexStepLine", body())->isVisible(), RunTimeoutMs);

    // The PCR tab: its chart follows the machine; pause, play, restart.
    showTabOf(pcrMachine);
    QObject *chart = body()->property("tempChart").value<QObject *>();
    QTRY_VERIFY_WITH_TIMEOUT(chart->property("shownCount").toInt() > 2, RunTimeoutMs);
    QQuickItem *status = body()->property("status").value<QQuickItem *>();
    QQuickItem *play = find("playButton", status);
    QTRY_VERIFY_WITH_TIMEOUT(pcrMachine->shownStatus() == PCRConst::DS_RUNNING, RunTimeoutMs);
    QVERIFY(play->property("showsPause").toBool());
    click(play);
    QVERIFY(!status->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(pcrMachine->shownStatus(), PCRConst::DS_PAUSED, CommandTimeoutMs);
    QTRY_VERIFY(status->isEnabled());
    QVERIFY(!play->property("showsPause").toBool());
    click(play);
    QTRY_COMPARE_WITH_TIMEOUT(pcrMachine->shownStatus(), PCRConst::DS_RUNNING, CommandTimeoutMs);
    QTRY_VERIFY(status->isEnabled());
    click(find("restartButton", status));
    QTRY_VERIFY_WITH_TIMEOUT(status->isEnabled() && pcrMachine->isRunning(), CommandTimeoutMs);

    // Both runs end; a finished run can start again and be cancelled.
    QTRY_COMPARE_WITH_TIMEOUT(flexMachine->shownStatus(), PCRConst::DS_FINISHED, RunTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(pcrMachine->shownStatus(), PCRConst::DS_FINISHED, RunTimeoutMs);
    QTRY_VERIFY(status->isEnabled());
    QObject *dnaChart = body()->property("dnaChart").value<QObject *>();
    QCOMPARE(dnaChart->property("footText").toString(), QStringLiteral("4"));
    QVERIFY(!find("cancelButton", status)->isEnabled());
    QVERIFY(find("restartButton", status)->isEnabled());
    click(play);
    QTRY_VERIFY_WITH_TIMEOUT(pcrMachine->isRunning() && status->isEnabled(), CommandTimeoutMs);
    click(find("cancelButton", status));
    QTRY_VERIFY_WITH_TIMEOUT(RunningViewRules::isFinished(pcrMachine->shownStatus()),
                             CommandTimeoutMs);

    // The run-data export of the current tab writes the trace.
    const QString csv = m_dataDir->filePath(QStringLiteral("run.csv"));
    const int deviceId =
        m_root->property("page").value<QObject *>()->property("currentDeviceId").toInt();
    QVERIFY(m_core->exportRunData(QUrl::fromLocalFile(csv).toString(), deviceId));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().count('\n') > 2);

    delete m_root;
    m_window.reset();
    m_engine.reset();
    m_core.reset();
}

QTEST_MAIN(TestRunningOnMachines)
#include "tst_runningonmachines.moc"
