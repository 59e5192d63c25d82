#include "windowfixture.h"

#include "core/pcrcore.h"
#include "models/devicesmodel.h"
#include "models/nowrunningmodel.h"
#include "models/protocolsmodel.h"
#include "program/program.h"
#include "virtualhidbus.h"
#include "virtualmachine.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

namespace {

QByteArray heatBlock(int seconds)
{
    const QJsonObject step{{QStringLiteral("objectType"), QStringLiteral("Heat Block")},
                           {QStringLiteral("protocolName"), QString()},
                           {QStringLiteral("heatedLid"), true},
                           {QStringLiteral("startTemp"), 95},
                           {QStringLiteral("finalTemp"), 95},
                           {QStringLiteral("time"), seconds}};
    return QJsonDocument(QJsonArray{step}).toJson(QJsonDocument::Compact);
}

} // namespace

// The library and devices pages in the real window over the real core and
// the virtual machines (a vela8 and a vela16 on USB, a vela16 over BLE).
class TestPagesWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void libraryShowsStoredProtocols();
    void devicesPageListsTheMachinesConnected();
    void renamingReachesTheMachine();
    void deletingAProtocolAMachineHoldsIsRefused();

private:
    QQuickItem *showDevices(WindowFixture &window) const;
    QQuickItem *usbRow(WindowFixture &window, const QString &modelName) const;
};

void TestPagesWindow::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestPagesWindow::libraryShowsStoredProtocols()
{
    QTemporaryDir data;
    QVERIFY(data.isValid());
    {
        WindowFixture first(data.path());
        QVERIFY(first.start());
        for (const QString &name : {QStringLiteral("Stored A"), QStringLiteral("Stored B")})
            first.core()->addProgram(name, heatBlock(60), Program::PT_HEAT_BLOCK);
    }

    WindowFixture window(data.path());
    QVERIFY(window.start());
    QQuickItem *list = window.waitForItem(QStringLiteral("libraryListView"));
    QVERIFY(list);
    QTRY_VERIFY(list->property("count").toInt() >= 2);
    QStringList shown;
    for (QQuickItem *row : WindowFixture::rowsOf(list, "protocolName"))
        shown << row->property("protocolName").toString();
    QVERIFY2(shown.contains(QStringLiteral("Stored A")) && shown.contains(QStringLiteral("Stored B")),
             qPrintable(shown.join(QStringLiteral(", "))));
    QVERIFY(!window.isShown(QStringLiteral("emptyLibraryText")));
    QVERIFY(window.isShown(QStringLiteral("sortSelector")));
    QCOMPARE(list->property("currentIndex").toInt(), -1);
}

QQuickItem *TestPagesWindow::showDevices(WindowFixture &window) const
{
    if (!window.click(QStringLiteral("mainMenu_devices")))
        return nullptr;
    return window.waitForItem(QStringLiteral("devicesList"));
}

// The row of the machine of that model on USB, once it is connected.
QQuickItem *TestPagesWindow::usbRow(WindowFixture &window, const QString &modelName) const
{
    QQuickItem *found = nullptr;
    QQuickItem *list = window.findItem(QStringLiteral("devicesList"));
    window.waitFor([&] {
        for (QQuickItem *row : WindowFixture::rowsOf(list, "modelName")) {
            QQuickItem *status = window.findItem(QStringLiteral("statusText"), row);
            if (row->property("modelName").toString() == modelName &&
                row->property("connectionTypeName").toString().contains(QStringLiteral("USB")) &&
                status->property("text").toString() == QStringLiteral("Connected"))
                found = row;
        }
        return found != nullptr;
    });
    return found;
}

void TestPagesWindow::devicesPageListsTheMachinesConnected()
{
    WindowFixture window;
    QVERIFY(window.start());
    QVERIFY(showDevices(window));
    for (const QString &model : {QStringLiteral("vela8"), QStringLiteral("vela16")}) {
        QQuickItem *row = usbRow(window, model);
        QVERIFY2(row, qPrintable(model));
        QQuickItem *status = window.findItem(QStringLiteral("statusText"), row);
        QTRY_COMPARE(status->property("color").value<QColor>(), QColor(QStringLiteral("#4EE371")));
        QVERIFY(window.findItem(QStringLiteral("editButton"), row)->isVisible());
        QVERIFY(!window.findItem(QStringLiteral("deleteButton"), row)->isVisible());
    }
    QVERIFY(!window.findItem(QStringLiteral("autoStart"), usbRow(window, QStringLiteral("vela8")))
                 ->isVisible());
}

void TestPagesWindow::renamingReachesTheMachine()
{
    WindowFixture window;
    QVERIFY(window.start());
    QVERIFY(showDevices(window));
    QQuickItem *row = usbRow(window, QStringLiteral("vela16"));
    QVERIFY(row);
    QString serialNumber;
    for (const PCRDevicePtr &device : window.core()->devicesModel()->devices()) {
        if (device->modelName() == QStringLiteral("vela16") &&
            device->connectionType() == PCRConst::CT_USB_Firmware_V3)
            serialNumber = device->serialNumber();
    }
    QVERIFY(!serialNumber.isEmpty());
    QVERIFY(window.click(window.findItem(QStringLiteral("editButton"), row)));
    QQuickItem *editor = window.waitForItem(QStringLiteral("nameEditor"));
    QVERIFY(editor);
    QTRY_VERIFY(editor->hasActiveFocus());
    editor->setProperty("text", QString());
    window.type(QStringLiteral("Bench 16"));
    window.pressKey(Qt::Key_Return);

    QVERIFY(window.waitFor([&] {
        QString name;
        VirtualHidBus::instance().withMachine(
            serialNumber, [&name](VirtualMachine &machine) { name = machine.machineName(); });
        return name == QStringLiteral("Bench 16");
    }));
    QTRY_COMPARE(window.findItem(QStringLiteral("deviceNameText"), row)->property("text").toString(),
                 QStringLiteral("Bench 16"));
}

void TestPagesWindow::deletingAProtocolAMachineHoldsIsRefused()
{
    WindowFixture window;
    QVERIFY(window.start());
    // The vela8 comes with a program, which joins the library; the machine
    // then runs it (a stopped machine holding it would not keep it).
    ProgramPtr held;
    PCRDevicePtr vela8;
    QVERIFY(window.waitFor([&] {
        for (const PCRDevicePtr &device : window.core()->devicesModel()->devices()) {
            if (device->modelName() == QStringLiteral("vela8") && device->activeProgram()) {
                vela8 = device;
                held = window.core()->protocolsModel()->getProgramObjectByName(
                    device->activeProgram()->name());
            }
        }
        return held && vela8->isOnline();
    }));
    bool started = false;
    QVERIFY(VirtualHidBus::instance().withMachine(
        vela8->serialNumber(), [&started](VirtualMachine &machine) { started = machine.startRun(); }));
    QVERIFY(started);
    QVERIFY(window.waitFor(
        [&] { return window.core()->nowRunningModel()->isRunningProtocol(held->programId()); }));
    QQuickItem *list = window.waitForItem(QStringLiteral("libraryList"));
    const int count = window.core()->protocolsModel()->count();
    QVERIFY(QMetaObject::invokeMethod(window.findItem(QStringLiteral("libraryPage")),
                                      "selectProtocol", Q_ARG(QVariant, held->programId())));
    auto *current = list->property("view").value<QQuickItem *>()->property("currentItem").value<QQuickItem *>();
    QVERIFY(current);
    QCOMPARE(current->property("protocolName").toString(), held->name());
    QVERIFY(window.click(window.findItem(QStringLiteral("deleteButton"), current)));

    QQuickItem *text = window.waitForItem(QStringLiteral("infoText"));
    QVERIFY(text);
    QCOMPARE(text->property("text").toString(),
             QStringLiteral("Protocol is now running. Please stop protocol before deleting."));
    QVERIFY(window.findObject(QStringLiteral("dialogHost")));
    QCOMPARE(window.core()->protocolsModel()->count(), count);
}

QTEST_MAIN(TestPagesWindow)
#include "tst_pageswindow.moc"
