#include "../program/programfixtures.h"
#include "../testtime.h"
#include "logwatch.h"
#include "virtualbluezbus.h"

#include "core/applocalstorage.h"
#include "core/bluetooth/bledevicesprovider.h"
#include "core/pcrcore.h"
#include "models/devicesmodel.h"
#include "models/onlinedevicesmodel.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const int ConnectTimeoutMs = TestTime::scaled(30000);
const int RunTimeoutMs = TestTime::scaled(90000);

PCRDevicePtr deviceWithBleId(const PcrCore &core, const QString &address)
{
    for (const PCRDevicePtr &device : core.devicesModel()->devices()) {
        if (device->bleId() == address)
            return device;
    }
    return {};
}
} // namespace

// Thermox's core with the real Corvex plug-in, loaded from the build tree as
// the program loads it, on a virtual vela16 over Qt Bluetooth and the virtual
// Bluetooth daemon. The plug-in's own time limits apply: a lost link is
// noticed after 5.5 s of silence.
class TestCorvexEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void foundRunLinkLostAndBackThenSwitchedOff();

private:
    static void load(PcrCore &core);

    std::unique_ptr<VirtualBluezBus> m_bus;
    QTemporaryDir m_dataDir;
};

void TestCorvexEndToEnd::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    m_bus = std::make_unique<VirtualBluezBus>();
    QVERIFY2(m_bus->isRunning(), qPrintable(m_bus->errorString()));
    // A state report every 50 ms; a 300 s hold takes 15 s.
    m_bus->setDefaultSpeed(20.0);
    qputenv("THERMOX_BLE_PLUGIN_PATH", CORVEX_FOLDER);
    QVERIFY(m_dataDir.isValid());
    AppLocalStorage::setDataPath(m_dataDir.path());
}

void TestCorvexEndToEnd::cleanupTestCase()
{
    m_bus.reset();
}

// What the entry point does once the main window exists.
void TestCorvexEndToEnd::load(PcrCore &core)
{
    QSignalSpy loaded(core.storage(), &AppLocalStorage::loadCompleted);
    QMetaObject::invokeMethod(core.storage(), &AppLocalStorage::loadData, Qt::QueuedConnection);
    QVERIFY(loaded.wait(ConnectTimeoutMs));
}

void TestCorvexEndToEnd::foundRunLinkLostAndBackThenSwitchedOff()
{
    QString error;
    const QString address = m_bus->addMachine(QStringLiteral("vela16::Bench"), &error);
    QVERIFY2(!address.isEmpty(), qPrintable(error));
    qRegisterMetaType<BLEDeviceInterface *>();
    LogWatch log;
    PcrCore core;
    QSignalSpy announced(core.bleDevicesProvider(),
                         &BLEDevicesProviderInterface::newDeviceAvailable);
    load(core);

    // Found by the plug-in's scan, connected and initialised.
    QVERIFY(!announced.isEmpty() || announced.wait(ConnectTimeoutMs));
    const QPointer<BLEDeviceInterface> link =
        announced.first().first().value<BLEDeviceInterface *>();
    QCOMPARE(link->id(), address);
    QSignalSpy linkUp(link.data(), &BLEDeviceInterface::connected);
    QSignalSpy linkDown(link.data(), &BLEDeviceInterface::disconnected);
    QTRY_COMPARE_WITH_TIMEOUT(core.onlineDevicesModel()->count(), 1, ConnectTimeoutMs);
    const PCRDevicePtr device = deviceWithBleId(core, address);
    QVERIFY(device);
    QCOMPARE(device->connectionTypeName(), QStringLiteral("BLE"));
    QTRY_VERIFY_WITH_TIMEOUT(device->isConnectionInitialized() && !device->isEepromBusy(),
                             ConnectTimeoutMs);
    QCOMPARE(device->machineName(), QStringLiteral("Bench"));

    // A program is uploaded and runs.
    const int program = core.addProgram(QStringLiteral("BLE hold"),
                                        Fixtures::bytes({Fixtures::heatBlockStep(37, 300, false)}),
                                        Program::PT_HEAT_BLOCK);
    QCOMPARE(core.runProgram(program, false, device->deviceId()), int(PcrCore::RPR_SUCCESS));
    QTRY_VERIFY_WITH_TIMEOUT(device->isRunning(), RunTimeoutMs);

    // The link falls silent mid-run and comes back within the reconnection
    // window: the same link, never reported down.
    const int upBefore = linkUp.count();
    QVERIFY(m_bus->setFault(address, BluezPeripheral::Silence, true));
    QVERIFY(linkUp.count() > upBefore || linkUp.wait(ConnectTimeoutMs));
    QVERIFY(m_bus->setFault(address, BluezPeripheral::Silence, false));
    QVERIFY(linkDown.isEmpty());

    // The run goes on to its end.
    QTRY_COMPARE_WITH_TIMEOUT(device->shownStatus(), PCRConst::DS_FINISHED, RunTimeoutMs);
    QVERIFY(linkDown.isEmpty());

    // Switched off: the device goes offline, and the next scan has the
    // plug-in drop the machine's object.
    QVERIFY(m_bus->removeMachine(address));
    QTRY_VERIFY_WITH_TIMEOUT(!device->isOnline(), ConnectTimeoutMs);
    core.bleDevicesProvider()->start();
    QTRY_VERIFY_WITH_TIMEOUT(!link, ConnectTimeoutMs);
    QCOMPARE(core.onlineDevicesModel()->count(), 0);
}

QTEST_GUILESS_MAIN(TestCorvexEndToEnd)
#include "tst_corvexendtoend.moc"
