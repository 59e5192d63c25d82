#include "loopbackconnectionv3.h"

#include "containers/shortprotocolcontainer.h"
#include "program/programv1.h"
#include "program/programv3.h"

#include <QJsonDocument>
#include <QLoggingCategory>
#include <QtTest>

#include <functional>

using Command = std::function<void(ConnectionV3 &)>;
Q_DECLARE_METATYPE(Command)

namespace {

const char *const notInitializedWarning = "PCR state received but device not initialized.";

// Hexadecimal text written with spaces between fields, for readability.
QByteArray hex(const char *spaced)
{
    return QByteArray(spaced).replace(' ', "");
}

QByteArray bytes(const char *spacedHex)
{
    return QByteArray::fromHex(hex(spacedHex));
}

// A command sent in answer to a payload waits in the transfer protocol's
// queue until that payload is confirmed, and the queue says so.
void expectQueuedCommand()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Timeout: queued: ")));
}

const QByteArray softwareIdentity32 = hex("06 0a0a 546865726d6f785f5633 1003 1802 00000000");
const QByteArray getMachineSettings = hex("02 0803 1001 00000000");
const QByteArray getCurrentProgram = hex("02 0801 1001 00000000");

ProtocolV3::PCRState machineState(quint32 seconds, int status = ProtocolV3::RUNNING,
                                  float blockTemp = 94.5f)
{
    ProtocolV3::PCRState state;
    state.set_step(2);
    state.set_cycle(3);
    state.set_timeinsec(seconds);
    state.set_steptimeinsec(7);
    state.set_blocktemp(blockTemp);
    state.set_lidtemp(105.0f);
    state.set_probetemp(93.25f);
    state.set_powervoltage(19.0f);
    state.set_status(static_cast<ProtocolV3::Status>(status));
    state.set_remainingtimeinsec(1800);
    return state;
}

ProtocolV3::MachineSettings machineSettings(const QByteArray &serial = QByteArray())
{
    ProtocolV3::MachineSettings settings;
    settings.set_machinename("Bench 16");
    settings.set_firmwaremajorversion(3);
    settings.set_firmwareminorversion(8);
    settings.set_autostarton(1);
    settings.set_serialnumber(serial.toStdString());
    return settings;
}

ProgramPtr defaultPcrProgram()
{
    const QByteArray steps = QJsonDocument(Container::Protocol::defaultStepArray()).toJson();
    return ProgramPtr(new ProgramV3(QStringLiteral("Colony PCR"), steps, true, Program::PT_PCR));
}

// Opens the link, lets the machine report EEPROM ready, a state and its
// settings, and forgets what the machine received on the way.
bool bringUp(LoopbackConnectionV3 &connection)
{
    // One payload at a time: the wire is quiet before the machine speaks.
    connection.connectionInit();
    if (!connection.pump())
        return false;
    connection.machine().send(ProtocolV3::EEPROM_READY);
    if (!connection.pump())
        return false;
    QTest::ignoreMessage(QtWarningMsg, notInitializedWarning);
    expectQueuedCommand();
    connection.machine().send(ProtocolV3::CURRENT_STATE, machineState(0));
    if (!connection.pump())
        return false;
    expectQueuedCommand();
    connection.machine().send(ProtocolV3::MACHINE_SETTINGS, machineSettings());
    const bool quiet = connection.pump();
    connection.machine().clearReceived();
    return quiet && connection.isDeviceInitialized();
}

} // namespace

class TestConnectionV3 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void handshake();
    void closedTransportDropsPayloads();
    void payloadOfEachCommand_data();
    void payloadOfEachCommand();
    void programUpload();
    void programOfTheWrongFirmwareIsNotSent();
    void settingsWaitWhileEepromBusy();
    void eepromBusyReportedOnChangeOnly();
    void eepromBusyEndsAfterTimeout();
    void startTime_data();
    void startTime();
    void reportedStatus_data();
    void reportedStatus();
    void stateGetters();
    void confirmedCommands_data();
    void confirmedCommands();
    void deviceBusy();
    void serialNumber_data();
    void serialNumber();
    void malformedPayloads_data();
    void malformedPayloads();
    void settingsReadFromAnotherThread();
};

void TestConnectionV3::handshake()
{
    LoopbackConnectionV3 connection;
    FakeMachineV3 &machine = connection.machine();
    QSignalSpy handle(&connection, &Connection::isHandleConnectedChanged);
    QSignalSpy initFinished(&connection, &Connection::deviceInitFinished);
    QSignalSpy programs(&connection, &Connection::programReceived);

    connection.connectionInit();
    QVERIFY(connection.pump());
    QCOMPARE(handle.count(), 1);
    QCOMPARE(handle.at(0).at(0).toBool(), true);
    QCOMPARE(machine.received(), QByteArrayList{softwareIdentity32});

    for (quint32 seconds = 0; seconds < 3; ++seconds) {
        QTest::ignoreMessage(QtWarningMsg, notInitializedWarning);
        if (seconds == 0)
            expectQueuedCommand();
        machine.send(ProtocolV3::CURRENT_STATE, machineState(seconds));
        QVERIFY(connection.pump());
    }
    QCOMPARE(machine.receivedCount(getMachineSettings), 1);
    QCOMPARE(initFinished.count(), 0);

    expectQueuedCommand();
    machine.send(ProtocolV3::MACHINE_SETTINGS, machineSettings());
    QVERIFY(connection.pump());
    QCOMPARE(initFinished.count(), 1);
    QVERIFY(connection.isDeviceInitialized());
    QCOMPARE(connection.machineName(), QStringLiteral("Bench 16"));
    QCOMPARE(connection.firmwareVersion(), QStringLiteral("3.8"));
    QCOMPARE(connection.modelName(), QStringLiteral("vela16"));
    QVERIFY(connection.isAutoStartOn());
    QCOMPARE(machine.received().last(), getCurrentProgram);

    ProtocolV3::PCRProtocol running;
    running.set_protocolname("Colony PCR");
    running.set_lidtemp(105.0f);
    machine.send(ProtocolV3::PCR_PROTOCOL, running);
    QVERIFY(connection.pump());
    QCOMPARE(programs.count(), 1);
    QCOMPARE(programs.at(0).at(0).toByteArray(),
             QByteArray::fromStdString(running.SerializeAsString()));
    QCOMPARE(programs.at(0).at(1).toInt(), 3);

    // Initialised: further states ask for nothing.
    machine.send(ProtocolV3::CURRENT_STATE, machineState(4));
    QVERIFY(connection.pump());
    QCOMPARE(machine.receivedCount(getMachineSettings), 1);
    QCOMPARE(machine.received().size(), 3);
}

void TestConnectionV3::closedTransportDropsPayloads()
{
    LoopbackConnectionV3 connection;
    connection.getMachineSettings();
    connection.setState(ProtocolV3::RUNNING);
    connection.sendSoftwareSettings(false);
    QVERIFY(connection.isWireQuiet());
}

void TestConnectionV3::payloadOfEachCommand_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QByteArrayList>("payloads");

    const QByteArray name30(30, 'n');
    const QString accented15 = QString(15, QChar(0xE9)); // 30 bytes of UTF-8

    QTest::newRow("getMachineSettings") << Command([](ConnectionV3 &c) { c.getMachineSettings(); })
                                        << QByteArrayList{getMachineSettings};
    QTest::newRow("getProgramFromDevice")
        << Command([](ConnectionV3 &c) { c.getProgramFromDevice(); })
        << QByteArrayList{getCurrentProgram};
    QTest::newRow("sendEnablePCRStates")
        << Command([](ConnectionV3 &c) { c.sendEnablePCRStates(); })
        << QByteArrayList{hex("02 0805 1001 00000000")};
    QTest::newRow("sendDisablePCRStates")
        << Command([](ConnectionV3 &c) { c.sendDisablePCRStates(); })
        << QByteArrayList{hex("02 0806 1001 00000000")};
    QTest::newRow("setState paused: an empty action")
        << Command([](ConnectionV3 &c) { c.setState(ProtocolV3::PAUSED); })
        << QByteArrayList{hex("02 00000000")};
    QTest::newRow("setState reset")
        << Command([](ConnectionV3 &c) { c.setState(ProtocolV3::RESET); })
        << QByteArrayList{hex("02 1004 00000000")};
    QTest::newRow("sendAction") << Command([](ConnectionV3 &c) {
        ProtocolV3::Action action;
        action.set_type(ProtocolV3::RUN_BOOTLOADER);
        action.set_status(ProtocolV3::STOPPED);
        c.sendAction(&action);
    }) << QByteArrayList{hex("02 0804 1002 00000000")};
    QTest::newRow("sendAction without action") << Command([](ConnectionV3 &c) {
        c.sendAction(static_cast<ProtocolV3::Action *>(nullptr));
    }) << QByteArrayList{};
    QTest::newRow("software identity 3.2")
        << Command([](ConnectionV3 &c) { c.sendSoftwareSettings(false); })
        << QByteArrayList{softwareIdentity32};
    QTest::newRow("initial software settings are empty")
        << Command([](ConnectionV3 &c) { c.sendSoftwareSettings(true); })
        << QByteArrayList{hex("06 00000000")};
    QTest::newRow("setFirmware sends nothing")
        << Command([](ConnectionV3 &c) { c.setFirmware(3, 7); }) << QByteArrayList{};
    QTest::newRow("setFirmware, then sendMachineSettings") << Command([](ConnectionV3 &c) {
        c.setFirmware(3, 7);
        c.sendMachineSettings();
    }) << QByteArrayList{hex("05 1003 1807 00000000")};
    QTest::newRow("setAutoStartOn") << Command([](ConnectionV3 &c) { c.setAutoStartOn(true); })
                                    << QByteArrayList{hex("05 2001 00000000")};
    QTest::newRow("setMachineName")
        << Command([](ConnectionV3 &c) { c.setMachineName(QStringLiteral("Bench")); })
        << QByteArrayList{"050a05" + QByteArray("Bench").toHex() + "00000000"};
    QTest::newRow("setMachineName cut at 22 bytes")
        << Command([name30](ConnectionV3 &c) { c.setMachineName(QString::fromLatin1(name30)); })
        << QByteArrayList{"050a16" + name30.left(22).toHex() + "00000000"};
    QTest::newRow("setMachineName of two-byte characters")
        << Command([accented15](ConnectionV3 &c) { c.setMachineName(accented15); })
        << QByteArrayList{"050a16" + accented15.left(11).toUtf8().toHex() + "00000000"};
    QTest::newRow("setMachineName never splits a character")
        << Command(
               [accented15](ConnectionV3 &c) { c.setMachineName(QLatin1Char('a') + accented15); })
        << QByteArrayList{"050a15" + (QLatin1Char('a') + accented15.left(10)).toUtf8().toHex() +
                          "00000000"};
}

void TestConnectionV3::payloadOfEachCommand()
{
    QFETCH(Command, command);
    QFETCH(QByteArrayList, payloads);

    LoopbackConnectionV3 connection;
    connection.connectionInit();
    QVERIFY(connection.pump());
    connection.machine().send(ProtocolV3::EEPROM_READY);
    QVERIFY(connection.pump());
    connection.machine().clearReceived();

    command(connection);
    QVERIFY(connection.pump());
    QCOMPARE(connection.machine().received(), payloads);
}

void TestConnectionV3::programUpload()
{
    LoopbackConnectionV3 connection;
    QVERIFY(bringUp(connection));
    connection.updateStartTime(60);
    const ProgramPtr program = defaultPcrProgram();
    // The device object hands programs over with queued calls.
    QVERIFY(QMetaObject::invokeMethod(&connection, "setProgram", Qt::QueuedConnection,
                                      Q_ARG(ProgramPtr, program)));
    QTRY_VERIFY(connection.program() == program);
    QSignalSpy eepromBusy(&connection, &ConnectionV3::eepromBusyChanged);
    QSignalSpy programSent(&connection, &Connection::newProgramSent);

    connection.sendCurrentProgram();
    QCOMPARE(eepromBusy.count(), 1);
    QCOMPARE(eepromBusy.at(0).at(0).toBool(), true);
    QVERIFY(!connection.startTime().isValid());
    QCOMPARE(programSent.count(), 0);

    QVERIFY(connection.pump());
    QCOMPARE(programSent.count(), 1);
    const auto &message = qSharedPointerObjectCast<ProgramV3>(program)->pcrProtocol();
    QCOMPARE(connection.machine().received(),
             QByteArrayList{"03" + QByteArray::fromStdString(message.SerializeAsString()).toHex() +
                            "00000000"});
}

void TestConnectionV3::programOfTheWrongFirmwareIsNotSent()
{
    LoopbackConnectionV3 connection;
    QVERIFY(bringUp(connection));
    connection.setProgram(ProgramPtr(new ProgramV1()));
    QTest::ignoreMessage(QtWarningMsg, "No firmware-3 program held, nothing sent");
    connection.sendCurrentProgram();
    QVERIFY(connection.isWireQuiet());
}

void TestConnectionV3::settingsWaitWhileEepromBusy()
{
    LoopbackConnectionV3 connection;
    FakeMachineV3 &machine = connection.machine();
    QSignalSpy eepromBusy(&connection, &ConnectionV3::eepromBusyChanged);
    QSignalSpy confirmed(&connection, &Connection::machineSettingsConfirmed);
    connection.connectionInit();
    QVERIFY(connection.pump());
    machine.clearReceived();

    // A fresh handle counts as EEPROM busy: settings wait here.
    connection.setAutoStartOn(true);
    connection.setMachineName(QStringLiteral("Bench"));
    QVERIFY(connection.isWireQuiet());

    // Ready: both changes go out together, once, and the machine confirms them.
    expectQueuedCommand();
    machine.send(ProtocolV3::EEPROM_READY);
    QVERIFY(connection.pump());
    QCOMPARE(machine.received(),
             QByteArrayList{"050a05" + QByteArray("Bench").toHex() + "2001" + "00000000"});
    QCOMPARE(eepromBusy.count(), 2);
    QCOMPARE(eepromBusy.at(1).at(0).toBool(), true); // busy writing them
    QCOMPARE(confirmed.count(), 1);
    QCOMPARE(confirmed.at(0).at(0).toString(), QStringLiteral("Bench"));
    QCOMPARE(confirmed.at(0).at(1).toBool(), true);
    machine.clearReceived();

    // Sending made the machine busy writing them: the next name waits for it too.
    connection.setMachineName(QStringLiteral("Other"));
    QVERIFY(connection.isWireQuiet());
    expectQueuedCommand();
    machine.send(ProtocolV3::EEPROM_READY);
    QVERIFY(connection.pump());
    QCOMPARE(machine.received(),
             QByteArrayList{"050a05" + QByteArray("Other").toHex() + "2001" + "00000000"});
    QCOMPARE(confirmed.count(), 2);
    QCOMPARE(confirmed.at(1).at(0).toString(), QStringLiteral("Other"));
}

void TestConnectionV3::eepromBusyReportedOnChangeOnly()
{
    LoopbackConnectionV3 connection;
    QVERIFY(bringUp(connection));
    QSignalSpy eepromBusy(&connection, &ConnectionV3::eepromBusyChanged);

    connection.machine().send(ProtocolV3::EEPROM_BUSY);
    QVERIFY(connection.pump());
    connection.machine().send(ProtocolV3::EEPROM_BUSY);
    QVERIFY(connection.pump());
    QCOMPARE(eepromBusy.count(), 1);
    QCOMPARE(eepromBusy.at(0).at(0).toBool(), true);

    connection.machine().send(ProtocolV3::EEPROM_READY);
    QVERIFY(connection.pump());
    QCOMPARE(eepromBusy.count(), 2);
    QCOMPARE(eepromBusy.at(1).at(0).toBool(), false);
}

void TestConnectionV3::eepromBusyEndsAfterTimeout()
{
    // The 15 s bound, shortened: a machine that never says EEPROM_READY.
    LoopbackConnectionV3 connection(20);
    QSignalSpy eepromBusy(&connection, &ConnectionV3::eepromBusyChanged);
    connection.connectionInit();
    QVERIFY(connection.pump());
    connection.machine().clearReceived();

    QTRY_COMPARE_WITH_TIMEOUT(eepromBusy.count(), 1, 2000);
    QCOMPARE(eepromBusy.at(0).at(0).toBool(), false);
    connection.setAutoStartOn(true);
    QVERIFY(connection.pump());
    QCOMPARE(connection.machine().received(), QByteArrayList{hex("05 2001 00000000")});

    // Sending the settings bounds the new busy period the same way.
    QTRY_COMPARE_WITH_TIMEOUT(eepromBusy.count(), 3, 2000);
    QCOMPARE(eepromBusy.at(2).at(0).toBool(), false);
}

void TestConnectionV3::startTime_data()
{
    QTest::addColumn<quint32>("seconds");
    QTest::addColumn<bool>("recomputed");

    QTest::newRow("3 s: a fresh run") << 3u << true;
    QTest::newRow("4 s: a fresh run") << 4u << true;
    QTest::newRow("5 s: the known start stands") << 5u << false;
}

void TestConnectionV3::startTime()
{
    QFETCH(quint32, seconds);
    QFETCH(bool, recomputed);

    LoopbackConnectionV3 connection;
    QVERIFY(bringUp(connection));
    connection.initStartProgram();
    QVERIFY(!connection.startTime().isValid());

    // Without a start time any state gives one.
    connection.machine().send(ProtocolV3::CURRENT_STATE, machineState(600));
    QVERIFY(connection.pump());
    const QDateTime known = connection.startTime();
    QVERIFY(qAbs(known.secsTo(QDateTime::currentDateTimeUtc()) - 600) <= 2);

    connection.machine().send(ProtocolV3::CURRENT_STATE, machineState(seconds));
    QVERIFY(connection.pump());
    if (recomputed)
        QVERIFY(qAbs(connection.startTime().secsTo(QDateTime::currentDateTimeUtc()) -
                     qint64(seconds)) <= 2);
    else
        QCOMPARE(connection.startTime(), known);
}

void TestConnectionV3::reportedStatus_data()
{
    QTest::addColumn<int>("wireStatus");
    QTest::addColumn<PCRConst::DeviceStatus>("expected");

    QTest::newRow("paused") << 0 << PCRConst::DS_PAUSED;
    QTest::newRow("running") << 1 << PCRConst::DS_RUNNING;
    QTest::newRow("stopped") << 2 << PCRConst::DS_STOPPED;
    QTest::newRow("start up") << 3 << PCRConst::DS_START_UP;
    QTest::newRow("reset") << 4 << PCRConst::DS_RESET;
    QTest::newRow("finished") << 5 << PCRConst::DS_FINISHED;
    QTest::newRow("7 is no status") << 7 << PCRConst::DS_UNKNOWN;
}

void TestConnectionV3::reportedStatus()
{
    QFETCH(int, wireStatus);
    QFETCH(PCRConst::DeviceStatus, expected);

    LoopbackConnectionV3 connection;
    QVERIFY(bringUp(connection));
    QSignalSpy states(&connection, &Connection::currentStateChanged);
    QSignalSpy charts(&connection, &Connection::chartDataReceived);

    // The same state twice is published twice.
    for (int report = 0; report < 2; ++report) {
        connection.machine().send(ProtocolV3::CURRENT_STATE, machineState(42, wireStatus, 61.5f));
        QVERIFY(connection.pump());
    }
    QCOMPARE(states.count(), 2);
    QCOMPARE(states.at(1).at(0).value<PCRConst::DeviceStatus>(), expected);
    QCOMPARE(connection.currentState(), expected);
    QCOMPARE(connection.status(), wireStatus);
    QCOMPARE(charts.count(), 2);
    const auto point = charts.at(1).at(0).value<ChartData>();
    QCOMPARE(point.x, 42.0);
    QCOMPARE(point.y, 61.5);
}

void TestConnectionV3::stateGetters()
{
    LoopbackConnectionV3 connection;
    QVERIFY(bringUp(connection));
    ProtocolV3::PCRState state = machineState(120);
    connection.machine().send(ProtocolV3::CURRENT_STATE, state);
    QVERIFY(connection.pump());

    QCOMPARE(connection.step(), 2u);
    QCOMPARE(connection.cycle(), 3);
    QCOMPARE(connection.timeInSec(), 120u);
    QCOMPARE(connection.stepTimeInSec(), 7u);
    QCOMPARE(connection.blockTemp(), 94.5f);
    QCOMPARE(connection.lidTemp(), 105.0f);
    QCOMPARE(connection.probeTemp(), 93.25f);
    QCOMPARE(connection.powerVoltage(), 19.0f);
    QCOMPARE(connection.remainingTimeInSec(), 1800u);
    QCOMPARE(connection.error(), int(ProtocolV3::NO_ERROR));
    QVERIFY(connection.isPowered());

    state.set_error(ProtocolV3::NO_POWER);
    connection.machine().send(ProtocolV3::CURRENT_STATE, state);
    QVERIFY(connection.pump());
    QVERIFY(!connection.isPowered());

    connection.initStartProgram();
    QCOMPARE(connection.cycle(), -1);
    QVERIFY(!connection.startTime().isValid());
}

void TestConnectionV3::confirmedCommands_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QVariantList>("statesSent");

    QTest::newRow("SET_STATE running")
        << Command([](ConnectionV3 &c) { c.setState(ProtocolV3::RUNNING); }) << QVariantList{1};
    QTest::newRow("SET_STATE reset")
        << Command([](ConnectionV3 &c) { c.setState(ProtocolV3::RESET); }) << QVariantList{4};
    QTest::newRow("GET_MACHINE_SETTINGS")
        << Command([](ConnectionV3 &c) { c.getMachineSettings(); }) << QVariantList{};
    QTest::newRow("software settings")
        << Command([](ConnectionV3 &c) { c.sendSoftwareSettings(false); }) << QVariantList{};
}

void TestConnectionV3::confirmedCommands()
{
    QFETCH(Command, command);
    QFETCH(QVariantList, statesSent);

    LoopbackConnectionV3 connection;
    QVERIFY(bringUp(connection));
    QSignalSpy stateSent(&connection, &Connection::newStateSent);
    QSignalSpy programSent(&connection, &Connection::newProgramSent);

    command(connection);
    QCOMPARE(stateSent.count(), 0); // only the machine's confirmation counts
    QVERIFY(connection.pump());
    QVariantList sent;
    for (const QList<QVariant> &signal : qAsConst(stateSent))
        sent.append(signal.at(0));
    QCOMPARE(sent, statesSent);
    QCOMPARE(programSent.count(), 0);
}

void TestConnectionV3::deviceBusy()
{
    LoopbackConnectionV3 connection;
    FakeMachineV3 &machine = connection.machine();
    QSignalSpy busy(&connection, &ConnectionV3::deviceBusyChanged);
    connection.connectionInit();
    QVERIFY(connection.pump());

    // The machine refuses the link with a busy frame.
    QTest::ignoreMessage(QtWarningMsg, "Cannot connect to device - device is busy.");
    connection.injectToHost(bytes("7e 01 75 00 00"));
    QVERIFY(connection.pump());
    QCOMPARE(busy.count(), 1);
    QCOMPARE(busy.at(0).at(0).toBool(), true);

    // The first state on this handle clears it.
    QTest::ignoreMessage(QtWarningMsg, notInitializedWarning);
    expectQueuedCommand();
    machine.send(ProtocolV3::CURRENT_STATE, machineState(1));
    QVERIFY(connection.pump());
    QCOMPARE(busy.count(), 2);
    QCOMPARE(busy.at(1).at(0).toBool(), false);

    QTest::ignoreMessage(QtWarningMsg, "Device is busy");
    machine.send(ProtocolV3::DEVICE_BUSY);
    QVERIFY(connection.pump());
    QTest::ignoreMessage(QtWarningMsg, "Device is busy");
    machine.send(ProtocolV3::DEVICE_BUSY);
    QVERIFY(connection.pump());
    QCOMPARE(busy.count(), 3);
    QCOMPARE(busy.at(2).at(0).toBool(), true);

    // Later states do not clear it; the first state after a new handle does.
    QTest::ignoreMessage(QtWarningMsg, notInitializedWarning);
    machine.send(ProtocolV3::CURRENT_STATE, machineState(2));
    QVERIFY(connection.pump());
    QCOMPARE(busy.count(), 3);
    connection.disconnectHandle();
    connection.connectionInit();
    QVERIFY(connection.pump());
    QTest::ignoreMessage(QtWarningMsg, notInitializedWarning);
    expectQueuedCommand();
    machine.send(ProtocolV3::CURRENT_STATE, machineState(3));
    QVERIFY(connection.pump());
    QCOMPARE(busy.count(), 4);
    QCOMPARE(busy.at(3).at(0).toBool(), false);
}

void TestConnectionV3::serialNumber_data()
{
    QTest::addColumn<QByteArray>("serial");
    QTest::addColumn<QString>("expected");

    QTest::newRow("16 bytes: the first 11")
        << bytes("0a1b2c3d4e5f60718293a4b5c6d7e8f9") << QStringLiteral("0A1B2C3D4E5F60718293A4");
    QTest::newRow("11 bytes") << bytes("000102030405060708090a")
                              << QStringLiteral("000102030405060708090A");
    QTest::newRow("4 bytes: what there is") << bytes("deadbeef") << QStringLiteral("DEADBEEF");
    QTest::newRow("none") << QByteArray() << QString();
}

void TestConnectionV3::serialNumber()
{
    QFETCH(QByteArray, serial);
    QFETCH(QString, expected);

    LoopbackConnectionV3 connection;
    connection.handleProtobufMessage(
        char(ProtocolV3::MACHINE_SETTINGS) +
        QByteArray::fromStdString(machineSettings(serial).SerializeAsString()));
    QCOMPARE(connection.serialNumber(), expected);
}

void TestConnectionV3::malformedPayloads_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<bool>("initializedAfter");

    QTest::newRow("empty") << QByteArray() << QStringList{} << true;
    QTest::newRow("type 0") << bytes("00 0102")
                            << QStringList{"Message Type Error: invalid type. 0",
                                           "Invalid message:  0102"}
                            << true;
    QTest::newRow("type byte 0x85")
        << bytes("85 01")
        << QStringList{"Message Type Error: invalid type. -123", "Invalid message:  01"} << true;
    QTest::newRow("type 12")
        << bytes("0c 01")
        << QStringList{"Message type value too large. Did you just add a new message type?",
                       "Invalid message:  01"}
        << true;
    QTest::newRow("truncated state")
        << bytes("01 2078 35") << QStringList{"PCR state parse error"} << true;
    QTest::newRow("truncated settings")
        << bytes("05 0a05 4142") << QStringList{"Machine Settings parse error"} << false;
    QTest::newRow("settings with a name that is not UTF-8")
        << bytes("05 0a02 c328") << QStringList{"Machine Settings parse error"} << false;
    QTest::newRow("short protocol")
        << bytes("04 0a01 41") << QStringList{"ERROR: No transfer of short protocols"} << true;
    QTest::newRow("software settings from the machine")
        << bytes("06 0a01 41") << QStringList{"Software Settings parse error"} << true;
    QTest::newRow("action from the machine") << bytes("02 0801") << QStringList{} << true;
}

void TestConnectionV3::malformedPayloads()
{
    QFETCH(QByteArray, payload);
    QFETCH(QStringList, warnings);
    QFETCH(bool, initializedAfter);

    LoopbackConnectionV3 connection;
    QVERIFY(bringUp(connection));
    const QString nameBefore = connection.machineName();
    const quint32 timeBefore = connection.timeInSec();
    QSignalSpy updates(&connection, &Connection::dataUpdated);
    QSignalSpy programs(&connection, &Connection::programReceived);
    QSignalSpy states(&connection, &Connection::currentStateChanged);

    for (const QString &warning : qAsConst(warnings))
        QTest::ignoreMessage(QtWarningMsg, warning.toUtf8().constData());
    connection.handleProtobufMessage(payload);

    QCOMPARE(connection.isDeviceInitialized(), initializedAfter);
    QCOMPARE(connection.machineName(), nameBefore);
    QCOMPARE(connection.timeInSec(), timeBefore);
    QCOMPARE(updates.count(), 0);
    QCOMPARE(programs.count(), 0);
    QCOMPARE(states.count(), 0);
    QVERIFY(connection.isWireQuiet());
}

void TestConnectionV3::settingsReadFromAnotherThread()
{
    // A USB connection replaces its settings on its worker thread while the
    // GUI thread reads them: every read sees one whole set of settings.
    LoopbackConnectionV3 connection;
    ProtocolV3::MachineSettings alpha = machineSettings();
    alpha.set_machinename("Alpha bench with a longer name");
    alpha.set_firmwareminorversion(1);
    ProtocolV3::MachineSettings beta = machineSettings();
    beta.set_machinename("Beta");
    beta.set_firmwareminorversion(9);
    const auto payloadOf = [](const ProtocolV3::MachineSettings &settings) {
        return char(ProtocolV3::MACHINE_SETTINGS) +
               QByteArray::fromStdString(settings.SerializeAsString());
    };
    const QByteArray alphaPayload = payloadOf(alpha);
    const QByteArray betaPayload = payloadOf(beta);
    const QStringList names{QString(), QStringLiteral("Alpha bench with a longer name"),
                            QStringLiteral("Beta")};
    const QStringList versions{QStringLiteral("0.0"), QStringLiteral("3.1"), QStringLiteral("3.9")};

    std::atomic<bool> done{false};
    int unexpectedReads = 0;
    QScopedPointer<QThread> reader(QThread::create([&] {
        while (!done) {
            if (!names.contains(connection.machineName()) ||
                !versions.contains(connection.firmwareVersion()))
                ++unexpectedReads;
        }
    }));
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false\ndefault.info=false"));
    reader->start();
    for (int round = 0; round < 10000; ++round)
        connection.handleProtobufMessage(round % 2 ? alphaPayload : betaPayload);
    done = true;
    reader->wait();
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    QCOMPARE(unexpectedReads, 0);
}

QTEST_GUILESS_MAIN(TestConnectionV3)
#include "tst_connectionv3.moc"
