#include "program/programv1.h"
#include "program/programv3.h"

#include "../program/programfixtures.h"
#include "logwatch.h"
#include "scriptedconnection.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

using States = QList<PCRConst::DeviceStatus>;

namespace {

QJsonObject deviceRecord(PCRConst::ConnectionType type)
{
    QJsonObject connection{{QStringLiteral("connectionType"), int(type)}};
    if (type == PCRConst::CT_USB_Firmware_V1 || type == PCRConst::CT_USB_Firmware_V3)
        connection.insert(QStringLiteral("hid_serial_number"), QStringLiteral("0C41"));
    if (type == PCRConst::CT_Bluetooth_Firmware_V3)
        connection.insert(QStringLiteral("ble_unique_string"), QStringLiteral("AA:BB:CC:00:11:22"));
    const auto point = [](const char *x, double xValue, const char *y, double yValue) {
        return QJsonObject{{QLatin1String(x), xValue}, {QLatin1String(y), yValue}};
    };
    return {{QStringLiteral("m_deviceId"), 41},
            {QStringLiteral("m_connectionData"), connection},
            {QStringLiteral("ProtocolTempChartData"),
             QJsonArray{point("time", 0, "temp", 25.5), point("time", 12, "temp", 61.25)}},
            {QStringLiteral("ProtocolDnaChartData"),
             QJsonArray{point("cycle", 0, "dnaSamples", 0), point("cycle", 1, "dnaSamples", 2)}},
            {QStringLiteral("autoStartOn"), true},
            {QStringLiteral("firmware"), QStringLiteral("3.8")},
            {QStringLiteral("serialNumber"), QStringLiteral("00AB")},
            {QStringLiteral("machineName"), QStringLiteral("Bench")},
            {QStringLiteral("modelName"), QStringLiteral("vela16")},
            {QStringLiteral("m_finishTime"), 1234},
            {QStringLiteral("m_secPauseCounter"), 5},
            {QStringLiteral("m_secStopCounter"), 2},
            {QStringLiteral("bleName"), QStringLiteral("Thermox 7")},
            {QStringLiteral("bleId"), QStringLiteral("AA:BB:CC:00:11:22")}};
}

QJsonObject without(QJsonObject record, const QString &key)
{
    record.remove(key);
    return record;
}

QJsonObject withoutConnectionKey(QJsonObject record, const QString &key)
{
    QJsonObject connection = record.value(QStringLiteral("m_connectionData")).toObject();
    connection.remove(key);
    record.insert(QStringLiteral("m_connectionData"), connection);
    return record;
}

ProgramPtr pcrProgram(const QString &name = QStringLiteral("PCR"))
{
    return ProgramPtr(
        new ProgramV3(name, Fixtures::bytes({Fixtures::pcrStep()}), true, Program::PT_PCR));
}

// Wire steps: PCR 1-4 (3 cycles), touchdown 5-10 (11 cycles), heat block 11, final cooling 12.
ProgramPtr flexProgram()
{
    const QJsonArray steps{Fixtures::with(Fixtures::pcrStep(), QStringLiteral("cyclesNum"), 3),
                           Fixtures::touchdownStep(), Fixtures::heatBlockStep(50.0, 60)};
    return ProgramPtr(
        new ProgramV3(QStringLiteral("Flex"), Fixtures::bytes(steps), true, Program::PT_FLEX));
}

ProgramPtr heatBlockProgram()
{
    return ProgramPtr(new ProgramV3(QStringLiteral("Hold"),
                                    Fixtures::bytes({Fixtures::heatBlockStep(50.0, 60)}), true,
                                    Program::PT_HEAT_BLOCK));
}

// Delivers what the device and its connection have queued for each other,
// and deletes what they have released.
void deliver()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A firmware-3 device on a scripted connection, initialised.
std::unique_ptr<ScriptedDevice> onlineDevice()
{
    auto device = std::make_unique<ScriptedDevice>(deviceRecord(PCRConst::CT_Emul_V3), false);
    device->deviceInit();
    deliver(); // connectionInit
    deliver(); // the device hears of it
    return device;
}

// The device runs a program of its own choosing: the machine reported it.
std::unique_ptr<ScriptedDevice> runningDevice(const ProgramPtr &program, quint32 timeInSec)
{
    auto device = onlineDevice();
    device->setActiveProgram(program);
    device->connection->machine.timeInSec = timeInSec;
    device->connection->report(PCRConst::DS_RUNNING);
    deliver();
    return device;
}

qint64 recordNumber(const PCRDevice &device, const char *key)
{
    return qint64(device.toJson().value(QLatin1String(key)).toDouble());
}

QString recordText(const PCRDevice &device, const char *key)
{
    return device.toJson().value(QLatin1String(key)).toString();
}

} // namespace

class TestPCRDevice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void validateDeviceJson_data();
    void validateDeviceJson();
    void recordIsReadBackUnderANewId();

    void loadingIsHeldUntilTheMachineConfirms_data();
    void loadingIsHeldUntilTheMachineConfirms();
    void resetTheMachineNeverTookUpIsSentAgain();
    void requestLostWithAConnectionIsSentAgain();
    void temperatureSamplesFollowTheState_data();
    void temperatureSamplesFollowTheState();

    void programIsKeptInTheDeviceFirmware_data();
    void programIsKeptInTheDeviceFirmware();
    void reportedProgramContinuesOrResetsTheRun_data();
    void reportedProgramContinuesOrResetsTheRun();

    void stepKindsAndCycles_data();
    void stepKindsAndCycles();
    void chartSpan_data();
    void chartSpan();
    void finishRingsOnlyForARunSeenOnPower_data();
    void finishRingsOnlyForARunSeenOnPower();

    void machineNameShownIsTheOneTheMachineConfirms();
    void eachReportIsShownWhole();
};

void TestPCRDevice::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestPCRDevice::validateDeviceJson_data()
{
    QTest::addColumn<QJsonObject>("record");
    QTest::addColumn<QString>("missingKey");

    QTest::newRow("complete USB record") << deviceRecord(PCRConst::CT_USB_Firmware_V3) << QString();
    QTest::newRow("emulated record needs no identifier")
        << deviceRecord(PCRConst::CT_Emul_V3) << QString();
    QTest::newRow("without bleId")
        << without(deviceRecord(PCRConst::CT_USB_Firmware_V1), QStringLiteral("bleId"))
        << QStringLiteral("bleId");
    QTest::newRow("BLE without ble_unique_string")
        << withoutConnectionKey(deviceRecord(PCRConst::CT_Bluetooth_Firmware_V3),
                                QStringLiteral("ble_unique_string"))
        << QStringLiteral("ble_unique_string");
    QTest::newRow("USB without hid_serial_number")
        << withoutConnectionKey(deviceRecord(PCRConst::CT_USB_Firmware_V1),
                                QStringLiteral("hid_serial_number"))
        << QStringLiteral("hid_serial_number");
}

void TestPCRDevice::validateDeviceJson()
{
    QFETCH(QJsonObject, record);
    QFETCH(QString, missingKey);
    if (!missingKey.isEmpty())
        QTest::ignoreMessage(
            QtDebugMsg,
            qPrintable(QStringLiteral("validateDeviceJson::missing key: ") + missingKey));
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=true"));
    const bool valid = PCRDevice::validateDeviceJson(record);
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    QCOMPARE(valid, missingKey.isEmpty());
    QVERIFY(!PCRDevice::validateDeviceJson(QJsonObject()));
}

void TestPCRDevice::recordIsReadBackUnderANewId()
{
    const QJsonObject record = deviceRecord(PCRConst::CT_Bluetooth_Firmware_V3);
    const PCRDevice first(record, false);
    const PCRDevice second(first.toJson(), false);

    QVERIFY(first.deviceId() != 41);
    QVERIFY(second.deviceId() != first.deviceId());
    QCOMPARE(second.toJson().value(QStringLiteral("m_deviceId")).toInt(), second.deviceId());
    QCOMPARE(without(second.toJson(), QStringLiteral("m_deviceId")),
             without(record, QStringLiteral("m_deviceId")));
    QCOMPARE(second.connectionType(), PCRConst::CT_Bluetooth_Firmware_V3);
    QCOMPARE(second.tempChart()->count(), 2);
    QCOMPARE(second.tempChart()->tempAt(1), 61.25);
    QCOMPARE(second.dnaChart()->samplesAt(1), 2.0);
    QCOMPARE(second.shownStatus(), PCRConst::DS_OFFLINE);
}

void TestPCRDevice::loadingIsHeldUntilTheMachineConfirms_data()
{
    QTest::addColumn<bool>("upload");
    QTest::addColumn<States>("reported");
    QTest::addColumn<PCRConst::DeviceStatus>("shown");

    const auto startUp = PCRConst::DS_START_UP;
    QTest::newRow("restart, first start-up") << false << States{startUp} << PCRConst::DS_LOADING;
    QTest::newRow("restart, second start-up") << false << States{startUp, startUp} << startUp;
    QTest::newRow("restart, running")
        << false << States{PCRConst::DS_RUNNING} << PCRConst::DS_RUNNING;
    QTest::newRow("upload, first start-up") << true << States{startUp} << PCRConst::DS_LOADING;
    QTest::newRow("upload, second start-up") << true << States{startUp, startUp} << startUp;
    QTest::newRow("upload, running")
        << true << States{PCRConst::DS_RUNNING} << PCRConst::DS_RUNNING;
}

void TestPCRDevice::loadingIsHeldUntilTheMachineConfirms()
{
    QFETCH(bool, upload);
    QFETCH(States, reported);
    const ProgramPtr program = pcrProgram();
    auto device = runningDevice(program, 300);
    ScriptedConnection *connection = device->connection;
    QCOMPARE(device->shownStatus(), PCRConst::DS_RUNNING);

    if (upload)
        device->uploadProgram(program);
    else
        device->restartClicked();
    deliver();
    QCOMPARE(device->shownStatus(), PCRConst::DS_LOADING);
    QCOMPARE(connection->programsSent, upload ? 1 : 0);
    QCOMPARE(connection->statesSent, upload ? QList<int>() : QList<int>{PCRConst::DS_RESET});

    // Whatever the machine says before it confirms, and a confirmation of
    // another state, leave the device loading.
    connection->machine.timeInSec = 0;
    connection->report(PCRConst::DS_RUNNING);
    connection->report(PCRConst::DS_START_UP);
    emit connection->newStateSent(PCRConst::DS_RUNNING);
    deliver();
    QCOMPARE(device->shownStatus(), PCRConst::DS_LOADING);
    QCOMPARE(device->tempChart()->count(), 0);

    if (upload)
        emit connection->newProgramSent();
    else
        emit connection->newStateSent(PCRConst::DS_RESET);
    for (const PCRConst::DeviceStatus state : qAsConst(reported))
        connection->report(state);
    deliver();
    QTEST(device->shownStatus(), "shown");
}

void TestPCRDevice::resetTheMachineNeverTookUpIsSentAgain()
{
    auto device = runningDevice(pcrProgram(), 300);
    ScriptedConnection *connection = device->connection;
    device->restartClicked();
    deliver();
    emit connection->newStateSent(PCRConst::DS_RESET);
    connection->report(PCRConst::DS_STOPPED); // the machine did not start
    deliver();
    QCOMPARE(device->shownStatus(), PCRConst::DS_LOADING);

    device->restartClicked();
    deliver();
    QCOMPARE(connection->statesSent, (QList<int>{PCRConst::DS_RESET, PCRConst::DS_RESET}));
    emit connection->newStateSent(PCRConst::DS_RESET);
    connection->report(PCRConst::DS_RUNNING);
    deliver();
    QCOMPARE(device->shownStatus(), PCRConst::DS_RUNNING);
}

void TestPCRDevice::requestLostWithAConnectionIsSentAgain()
{
    auto device = runningDevice(pcrProgram(), 300);
    device->pauseClicked();
    deliver();
    QCOMPARE(device->connection->statesSent, QList<int>{PCRConst::DS_PAUSED});

    device->deviceInit(); // the link went and came back; the pause went with it
    deliver();
    deliver();
    device->connection->machine.timeInSec = 301;
    device->connection->report(PCRConst::DS_RUNNING);
    deliver();
    device->pauseClicked();
    deliver();
    QCOMPARE(device->connection->statesSent, QList<int>{PCRConst::DS_PAUSED});
}

void TestPCRDevice::temperatureSamplesFollowTheState_data()
{
    QTest::addColumn<PCRConst::DeviceStatus>("state");
    QTest::addColumn<bool>("kept");

    QTest::newRow("start-up") << PCRConst::DS_START_UP << true;
    QTest::newRow("running") << PCRConst::DS_RUNNING << true;
    QTest::newRow("paused") << PCRConst::DS_PAUSED << true;
    QTest::newRow("loading") << PCRConst::DS_LOADING << false;
    QTest::newRow("stopped") << PCRConst::DS_STOPPED << false;
    QTest::newRow("finished") << PCRConst::DS_FINISHED << false;
    QTest::newRow("unknown") << PCRConst::DS_UNKNOWN << false;
}

void TestPCRDevice::temperatureSamplesFollowTheState()
{
    QFETCH(PCRConst::DeviceStatus, state);
    auto device = onlineDevice();
    if (state == PCRConst::DS_LOADING)
        device->restartClicked();
    else
        device->connection->report(state);
    deliver();
    device->tempChart()->clear();
    QSignalSpy updated(device.get(), &PCRDevice::dataUpdated);

    emit device->connection->chartDataReceived(ChartData{40.0, 72.5});
    deliver();
    QTEST(device->tempChart()->count() == 1, "kept");
    QTEST(updated.count() == 1, "kept");
}

void TestPCRDevice::programIsKeptInTheDeviceFirmware_data()
{
    QTest::addColumn<PCRConst::ConnectionType>("type");
    QTest::addColumn<ProgramPtr>("program");
    QTest::addColumn<QString>("firmware");

    const QByteArray pcr = Fixtures::bytes({Fixtures::pcrStep()});
    QTest::newRow("firmware-3 PCR on a vela8")
        << PCRConst::CT_USB_Firmware_V1 << pcrProgram() << QStringLiteral("1.0");
    QTest::newRow("firmware-1 PCR on a vela16")
        << PCRConst::CT_USB_Firmware_V3
        << ProgramPtr(new ProgramV1(QStringLiteral("PCR"), pcr, Program::PT_PCR))
        << QStringLiteral("3.0");
    QTest::newRow("firmware-3 flex on BLE")
        << PCRConst::CT_Bluetooth_Firmware_V3 << flexProgram() << QStringLiteral("3.0");
}

void TestPCRDevice::programIsKeptInTheDeviceFirmware()
{
    QFETCH(PCRConst::ConnectionType, type);
    QFETCH(ProgramPtr, program);
    PCRDevice device(deviceRecord(type), false);
    QSignalSpy updated(&device, &PCRDevice::dataUpdated);

    device.uploadProgram(program);

    const ProgramPtr active = device.activeProgram();
    QCOMPARE(device.pendingProgram(), program);
    QVERIFY(active != program);
    QTEST(active->firmware(), "firmware");
    QCOMPARE(active->programId(), program->programId());
    QVERIFY(active->isSameProgram(program, true));
    QCOMPARE(device.stepTracker().totalCycles(), program->totalCycles());
    QCOMPARE(updated.count(), 1);
    // Offline, nothing was sent and no run was begun.
    QCOMPARE(device.stateController()->currentState(), PCRConst::DS_UNKNOWN);
}

void TestPCRDevice::reportedProgramContinuesOrResetsTheRun_data()
{
    QTest::addColumn<bool>("uploadConfirmed");
    QTest::addColumn<bool>("sameProgram");
    QTest::addColumn<quint32>("reportedTime");
    QTest::addColumn<bool>("runContinues");

    QTest::newRow("same program, same run") << true << true << 100u << true;
    QTest::newRow("same program, another run") << true << true << 5000u << false;
    QTest::newRow("another program") << true << false << 100u << false;
    QTest::newRow("upload never confirmed") << false << false << 100u << false;
}

void TestPCRDevice::reportedProgramContinuesOrResetsTheRun()
{
    QFETCH(bool, uploadConfirmed);
    QFETCH(bool, sameProgram);
    QFETCH(quint32, reportedTime);
    QFETCH(bool, runContinues);
    const ProgramPtr uploaded = pcrProgram();
    const ProgramPtr other = pcrProgram(QStringLiteral("Other"));
    auto device = onlineDevice();
    device->uploadProgram(uploaded);
    if (uploadConfirmed) {
        emit device->connection->newProgramSent();
        device->connection->machine.timeInSec = 100;
        device->connection->report(PCRConst::DS_RUNNING);
    }
    deliver();

    // The machine is found again: a new connection reads its program.
    device->deviceInit();
    deliver();
    deliver();
    device->connection->machine.timeInSec = reportedTime;
    device->connection->report(PCRConst::DS_RUNNING);
    deliver();
    QSignalSpy notSent(device.get(), &PCRDevice::protocolNotSent);
    device->setActiveProgram(sameProgram ? uploaded : other);

    QCOMPARE(device->pendingProgram(), sameProgram ? uploaded : other);
    QCOMPARE(device->tempChart()->count() > 0, runContinues);
    QCOMPARE(notSent.count(), uploadConfirmed ? 0 : 1);
    device->connection->report(PCRConst::DS_STOPPED);
    deliver();
    QCOMPARE(device->shownStatus(), PCRConst::DS_STOPPED);
}

void TestPCRDevice::stepKindsAndCycles_data()
{
    QTest::addColumn<ProgramPtr>("program");
    QTest::addColumn<quint32>("step");
    QTest::addColumn<int>("cycle");
    QTest::addColumn<PCRConst::StepNames>("kind");
    QTest::addColumn<int>("flexStep");
    QTest::addColumn<int>("stepCycle");
    QTest::addColumn<int>("stepTotal");
    QTest::addColumn<int>("runCycle");
    QTest::addColumn<bool>("hadPcrStyleStep");
    QTest::addColumn<int>("dnaPoints");

    const ProgramPtr pcr = pcrProgram();
    QTest::newRow("PCR initial denaturation")
        << pcr << 1u << 0 << PCRConst::SN_INITIAL_DENATURATION << 0 << 0 << 30 << 0 << true << 0;
    QTest::newRow("PCR annealing")
        << pcr << 3u << 4 << PCRConst::SN_ANNEALING << 0 << 4 << 30 << 4 << true << 5;
    QTest::newRow("PCR cycle step counts as extension")
        << pcr << 5u << 4 << PCRConst::SN_EXTENSION << 0 << 4 << 30 << 4 << true << 5;
    QTest::newRow("PCR final extension")
        << pcr << 6u << 30 << PCRConst::SN_FINAL_EXTENSION << 0 << 30 << 30 << 30 << true << 31;
    QTest::newRow("PCR final cooling")
        << pcr << 7u << 30 << PCRConst::SN_FINAL_COOLING << 0 << 30 << 30 << 30 << true << 31;
    QTest::newRow("PCR step beyond the program")
        << pcr << 9u << 30 << PCRConst::SN_FINAL_COOLING << 0 << 30 << 30 << 30 << true << 31;

    const ProgramPtr flex = flexProgram();
    QTest::newRow("flex PCR denaturation")
        << flex << 1u << 1 << PCRConst::SN_DENATURATION << 1 << 1 << 3 << 1 << true << 2;
    QTest::newRow("flex PCR cycle step")
        << flex << 4u << 2 << PCRConst::SN_EXTENSION << 1 << 2 << 3 << 2 << true << 3;
    QTest::newRow("flex touchdown shift of the annealing")
        << flex << 7u << 5 << PCRConst::SN_ANNEALING << 2 << 5 << 11 << 8 << true << 9;
    QTest::newRow("flex heat block after the cycles")
        << flex << 11u << 11 << PCRConst::SN_OTHER << 3 << 11 << 11 << 14 << true << 0;
    QTest::newRow("flex final cooling")
        << flex << 12u << 11 << PCRConst::SN_FINAL_COOLING << 3 << 11 << 11 << 14 << true << 0;

    const ProgramPtr hold = heatBlockProgram();
    QTest::newRow("heat block") << hold << 1u << 0 << PCRConst::SN_OTHER << 0 << 0 << 0 << 0
                                << false << 0;
    QTest::newRow("heat block final cooling")
        << hold << 2u << 0 << PCRConst::SN_FINAL_COOLING << 0 << 0 << 0 << 0 << false << 0;
}

void TestPCRDevice::stepKindsAndCycles()
{
    QFETCH(ProgramPtr, program);
    QFETCH(quint32, step);
    QFETCH(int, cycle);
    auto device = onlineDevice();
    device->setActiveProgram(program);
    device->connection->machine.step = step;
    device->connection->machine.cycle = cycle;
    device->connection->report(PCRConst::DS_RUNNING);
    deliver();

    const StepTracker &tracker = device->stepTracker();
    QTEST(tracker.stepKind(), "kind");
    QTEST(tracker.flexStepNumber(), "flexStep");
    QTEST(tracker.stepCurrentCycle(), "stepCycle");
    QTEST(tracker.stepTotalCycles(), "stepTotal");
    QTEST(tracker.currentCycle(), "runCycle");
    QTEST(tracker.hadPcrStyleStep(), "hadPcrStyleStep");
    QTEST(device->dnaChart()->count(), "dnaPoints");
    QCOMPARE(tracker.totalCycles(), program->totalCycles());
}

void TestPCRDevice::chartSpan_data()
{
    QTest::addColumn<quint32>("timeInSec");
    QTest::addColumn<quint32>("remaining");
    QTest::addColumn<bool>("loading");
    QTest::addColumn<qint64>("span");

    QTest::newRow("200 s run, 101 s left") << 200u << 101u << false << qint64(600);
    QTest::newRow("3 min 10 s run, 20 min left") << 190u << 1200u << false << qint64(1500);
    QTest::newRow("301 s") << 301u << 0u << false << qint64(600);
    QTest::newRow("nothing at all") << 0u << 0u << false << qint64(0);
    QTest::newRow("loading counts no run time") << 200u << 101u << true << qint64(300);
}

void TestPCRDevice::chartSpan()
{
    QFETCH(quint32, timeInSec);
    QFETCH(quint32, remaining);
    QFETCH(bool, loading);
    auto device = runningDevice(pcrProgram(), timeInSec);
    device->connection->machine.remainingTimeInSec = remaining;
    device->connection->report(PCRConst::DS_RUNNING);
    deliver();
    if (loading)
        device->restartClicked();
    QTEST(device->chartSpanSeconds(), "span");
    QCOMPARE(device->remainingSeconds(), qint64(remaining));
}

void TestPCRDevice::finishRingsOnlyForARunSeenOnPower_data()
{
    QTest::addColumn<bool>("poweredWhileRunning");
    QTest::newRow("run seen on power") << true;
    QTest::newRow("run never seen on power") << false;
}

void TestPCRDevice::finishRingsOnlyForARunSeenOnPower()
{
    QFETCH(bool, poweredWhileRunning);
    LogWatch log;
    const QRegularExpression finished(poweredWhileRunning
                                          ? QStringLiteral("^RUN FINISHED: .* bell: ringing$")
                                          : QStringLiteral("^RUN FINISHED: .* bell: silent$"));
    auto device = onlineDevice();
    device->setActiveProgram(pcrProgram());
    ScriptedConnection *connection = device->connection;
    connection->machine.error = poweredWhileRunning ? PCRConst::DE_NO_ERROR : PCRConst::DE_NO_POWER;
    // Each report is handled before the next: the device reads the machine's latest values.
    const auto reportAt = [connection](quint32 time, PCRConst::DeviceStatus state) {
        connection->machine.timeInSec = time;
        connection->report(state);
        deliver();
    };
    reportAt(10, PCRConst::DS_RUNNING);
    QCOMPARE(device->shownStatus(),
             poweredWhileRunning ? PCRConst::DS_RUNNING : PCRConst::DS_NO_POWER);
    reportAt(11, PCRConst::DS_PAUSED);
    reportAt(12, PCRConst::DS_PAUSED);
    reportAt(13, PCRConst::DS_RUNNING);
    connection->machine.error = PCRConst::DE_NO_ERROR;
    reportAt(20, PCRConst::DS_FINISHED);
    reportAt(25, PCRConst::DS_FINISHED);

    QCOMPARE(log.count(finished), 1);
    QCOMPARE(recordNumber(*device, "m_finishTime"), qint64(20));
    // Neither the paused reports nor those without power count.
    const qint64 idle = poweredWhileRunning ? 2 : 6;
    QCOMPARE(device->elapsedSeconds(), 20 - idle);
    QCOMPARE(device->chartSpanSeconds(), qint64(20));
    QCOMPARE(device->remainingSeconds(), qint64(0));
    QVERIFY(device->isFinished());
}

void TestPCRDevice::machineNameShownIsTheOneTheMachineConfirms()
{
    PCRDevice offline(deviceRecord(PCRConst::CT_USB_Firmware_V3), false);
    QTest::ignoreMessage(QtWarningMsg, "Machine name not changed, the device is offline: Bench");
    QVERIFY(!offline.setMachineName(QStringLiteral("Renamed")));
    QCOMPARE(offline.machineName(), QStringLiteral("Bench"));

    auto device = onlineDevice();
    QCOMPARE(device->machineName(), QStringLiteral("Scripted"));
    const QString asked = QStringLiteral("A name longer than the machine keeps");
    QVERIFY(device->setMachineName(asked));
    deliver();
    QCOMPARE(device->connection->namesSent, QStringList{asked});
    // The machine may be busy writing its memory: nothing is shown before it confirms.
    QCOMPARE(device->machineName(), QStringLiteral("Scripted"));

    QSignalSpy updated(device.get(), &PCRDevice::dataUpdated);
    emit device->connection->machineSettingsConfirmed(asked.left(22), true);
    deliver();
    QCOMPARE(device->machineName(), asked.left(22));
    QVERIFY(device->autoStartOn());
    QCOMPARE(updated.count(), 1);
    QCOMPARE(recordText(*device, "machineName"), asked.left(22));
}

void TestPCRDevice::eachReportIsShownWhole()
{
    auto device = onlineDevice();
    device->setActiveProgram(pcrProgram());
    ScriptedConnection *connection = device->connection;
    struct Shown
    {
        PCRConst::StepNames kind;
        int cycle;
        qint64 elapsed;
        float blockTemp;
        bool operator==(const Shown &other) const
        {
            return kind == other.kind && cycle == other.cycle && elapsed == other.elapsed &&
                   blockTemp == other.blockTemp;
        }
    };
    QList<Shown> shown;
    connect(device.get(), &PCRDevice::dataUpdated, device.get(), [&shown, &device] {
        const Shown now{device->stepTracker().stepKind(), device->stepTracker().currentCycle(),
                        device->elapsedSeconds(), device->blockTemperature()};
        if (shown.isEmpty() || !(shown.last() == now))
            shown.append(now);
    });

    // Three reports reach the device's queue before it reads any of them, as
    // when one poll reads many reports.
    const auto report = [connection](quint32 step, int cycle, quint32 time, float blockTemp) {
        connection->machine.step = step;
        connection->machine.cycle = cycle;
        connection->machine.timeInSec = time;
        connection->machine.blockTemp = blockTemp;
        connection->report(PCRConst::DS_RUNNING);
    };
    report(1, 0, 10, 94.0f);
    report(3, 1, 50, 60.0f);
    report(4, 1, 80, 72.0f);
    deliver();

    const QList<Shown> expected{{PCRConst::SN_INITIAL_DENATURATION, 0, 10, 94.0f},
                                {PCRConst::SN_ANNEALING, 1, 50, 60.0f},
                                {PCRConst::SN_EXTENSION, 1, 80, 72.0f}};
    QCOMPARE(shown.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QVERIFY2(shown.at(i) == expected.at(i), qPrintable(QString::number(i)));
}

QTEST_GUILESS_MAIN(TestPCRDevice)
#include "tst_pcrdevice.moc"
