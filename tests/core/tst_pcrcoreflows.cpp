#include "../program/programfixtures.h"
#include "../testtime.h"
#include "logwatch.h"
#include "pluggedmachine.h"

#include "core/applocalstorage.h"
#include "core/pcrcore.h"
#include "models/devicesmodel.h"
#include "models/onlinedevicesmodel.h"
#include "models/protocolsmodel.h"
#include "program/programv1.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const int ConnectTimeoutMs = TestTime::scaled(15000);
const int RunTimeoutMs = TestTime::scaled(40000);

QByteArray heatBlock(int seconds)
{
    return Fixtures::bytes({Fixtures::heatBlockStep(37, seconds, false)});
}

} // namespace

// The core over machines on the virtual USB bus, found by its own detection,
// with its storage on a data folder of the test's.
class TestPcrCoreFlows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startsRunsAndRemembersOverARestart();
    void multiUploadAsksAboutTheRunningMachine();

private:
    static void load(PcrCore &core);

    std::unique_ptr<QTemporaryDir> m_dataDir;
    std::unique_ptr<LogWatch> m_log;
};

void TestPcrCoreFlows::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestPcrCoreFlows::init()
{
    m_log = std::make_unique<LogWatch>();
    // Each test starts on an empty data folder.
    m_dataDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dataDir->isValid());
    AppLocalStorage::setDataPath(m_dataDir->path());
}

void TestPcrCoreFlows::cleanup()
{
    m_log.reset();
    m_dataDir.reset();
}

// What the entry point does once the main window exists.
void TestPcrCoreFlows::load(PcrCore &core)
{
    QSignalSpy loaded(core.storage(), &AppLocalStorage::loadCompleted);
    QMetaObject::invokeMethod(core.storage(), &AppLocalStorage::loadData, Qt::QueuedConnection);
    QVERIFY(loaded.wait(ConnectTimeoutMs));
}

void TestPcrCoreFlows::startsRunsAndRemembersOverARestart()
{
    const PluggedMachine vela16(VirtualMachine::Vela16, 120.0);
    const PluggedMachine vela8(VirtualMachine::Vela8, 60.0);
    const ProgramV1 resident(QStringLiteral("Resident"), heatBlock(600), Program::PT_HEAT_BLOCK);
    vela8.storeProgram(resident);
    QString runName;
    {
        PcrCore core;
        load(core);
        QTRY_COMPARE_WITH_TIMEOUT(core.onlineDevicesModel()->count(), 2, ConnectTimeoutMs);
        QCOMPARE(core.activeFirmware(), int(PcrCore::AF_ver_1_AND_ver_3));
        // The program the vela8 holds joins the library once, also when it is found again.
        QTRY_VERIFY_WITH_TIMEOUT(core.protocolsModel()->getProgramObjectByName(resident.name()),
                                 ConnectTimeoutMs);
        const int libraryWithResident = core.protocolsModel()->count();
        QVERIFY(vela8.setPlugged(false));
        QTRY_COMPARE_WITH_TIMEOUT(core.onlineDevicesModel()->count(), 1, ConnectTimeoutMs);
        QVERIFY(vela8.setPlugged(true));
        QTRY_COMPARE_WITH_TIMEOUT(core.onlineDevicesModel()->count(), 2, ConnectTimeoutMs);
        QCOMPARE(core.devicesModel()->count(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(
            deviceWithSerial(core, vela8.serialNumber())->activeProgram() &&
                deviceWithSerial(core, vela8.serialNumber())->activeProgram()->name() ==
                    resident.name(),
            ConnectTimeoutMs);
        QCOMPARE(core.protocolsModel()->count(), libraryWithResident);

        // A new program runs to its end on the machine chosen, and the bell rings.
        const PCRDevicePtr device = deviceWithSerial(core, vela16.serialNumber());
        QVERIFY(device);
        QTRY_VERIFY_WITH_TIMEOUT(!device->isEepromBusy(), ConnectTimeoutMs);
        const int program =
            core.addProgram(QStringLiteral("Short hold"), heatBlock(60), Program::PT_HEAT_BLOCK);
        const QDateTime requested = QDateTime::currentDateTime().addSecs(-1);
        QCOMPARE(core.runProgram(program, false, device->deviceId()), int(PcrCore::RPR_SUCCESS));
        QTRY_COMPARE_WITH_TIMEOUT(device->shownStatus(), PCRConst::DS_FINISHED, RunTimeoutMs);
        QCOMPARE(m_log->count(QRegularExpression(QStringLiteral("^RUN FINISHED:.*ringing"))), 1);
        // The run counts for the library's "Most used" and "Recent" orders.
        const ProgramPtr run = core.protocolsModel()->getProgramObjectById(program);
        QCOMPARE(run->usedCount(), 1);
        QVERIFY(run->lastUsed() >= requested);
        runName = device->machineName();
    }

    // A new core on the same folder has the library and knows the machines.
    PcrCore core;
    load(core);
    QTRY_VERIFY_WITH_TIMEOUT(
        core.protocolsModel()->getProgramObjectByName(QStringLiteral("Short hold")),
        ConnectTimeoutMs);
    QVERIFY(core.protocolsModel()->getProgramObjectByName(resident.name()));
    QCOMPARE(core.protocolsModel()->getProgramObjectByName(QStringLiteral("Short hold"))->usedCount(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(core.onlineDevicesModel()->count(), 2, ConnectTimeoutMs);
    QCOMPARE(deviceWithSerial(core, vela16.serialNumber())->machineName(), runName);
}

// The user selects three machines, the second of which runs already, and
// answers the question about it with "restart it".
void TestPcrCoreFlows::multiUploadAsksAboutTheRunningMachine()
{
    const std::vector<std::shared_ptr<PluggedMachine>> machines{
        std::make_shared<PluggedMachine>(VirtualMachine::Vela16, 1.0),
        std::make_shared<PluggedMachine>(VirtualMachine::Vela16, 1.0),
        std::make_shared<PluggedMachine>(VirtualMachine::Vela16, 1.0)};
    PcrCore core;
    load(core);
    QTRY_COMPARE_WITH_TIMEOUT(core.onlineDevicesModel()->count(), 3, ConnectTimeoutMs);
    PCRDeviceList devices;
    for (const auto &machine : machines) {
        devices.append(deviceWithSerial(core, machine->serialNumber()));
        QTRY_VERIFY_WITH_TIMEOUT(!devices.last()->isEepromBusy(), ConnectTimeoutMs);
    }
    const int first =
        core.addProgram(QStringLiteral("First"), heatBlock(3600), Program::PT_HEAT_BLOCK);
    QCOMPARE(core.runProgram(first, false, devices.at(1)->deviceId()), int(PcrCore::RPR_SUCCESS));
    // Running, and done writing the program to its EEPROM.
    QTRY_VERIFY_WITH_TIMEOUT(devices.at(1)->isRunning() && !devices.at(1)->isEepromBusy(),
                             RunTimeoutMs);

    const int program =
        core.addProgram(QStringLiteral("For all"), heatBlock(3600), Program::PT_HEAT_BLOCK);
    for (const PCRDevicePtr &device : devices)
        device->setProperty("isSelected", true);
    QSignalSpy asked(&core, &PcrCore::showRunningProtocolDialog);
    core.startMultiUpload(program);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().at(3).toInt(), devices.at(1)->deviceId());
    QCOMPARE(core.onlineDevicesModel()->selectedDevices(), PCRDeviceList{devices.at(2)});

    // What the UI does when the user accepts: run it there, then go on.
    QCOMPARE(core.runProgram(program, true, devices.at(1)->deviceId()), int(PcrCore::RPR_SUCCESS));
    core.uploadSelection();
    QVERIFY(core.onlineDevicesModel()->selectedDevices().isEmpty());
    for (const PCRDevicePtr &device : devices) {
        QTRY_VERIFY_WITH_TIMEOUT(device->isRunning() && device->activeProgram() &&
                                     device->activeProgram()->name() == QLatin1String("For all"),
                                 RunTimeoutMs);
    }
}

QTEST_MAIN(TestPcrCoreFlows)
#include "tst_pcrcoreflows.moc"
