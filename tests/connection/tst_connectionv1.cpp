#include "recordingconnectionv1.h"

#include "containers/shortprotocolcontainer.h"
#include "program/programv1.h"
#include "program/programv3.h"

#include <QJsonDocument>
#include <QLoggingCategory>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>

using Command = std::function<void(ConnectionV1 &)>;
Q_DECLARE_METATYPE(Command)

namespace {

const char *const notInitializedWarning = "PCR state received but device not initialized.";
const QByteArray getMachineSettings = "2:08031001";
const QByteArray getCurrentProgram = "2:08011001";
const QByteArray softwareIdentity12 = "6:0a0a546865726d6f785f563310011802";

// Always more than three encoded bytes, as a machine's states are.
ProtocolV1::PCRState machineState(quint32 seconds, int status = ProtocolV1::RUNNING,
                                  float blockTemp = 72.0f)
{
    ProtocolV1::PCRState state;
    state.set_step(3);
    state.set_cycle(5);
    state.set_timeinsec(seconds);
    state.set_steptimeinsec(9);
    state.set_blocktemp(blockTemp);
    state.set_lidtemp(104.0f);
    state.set_status(static_cast<ProtocolV1::Status>(status));
    return state;
}

ProtocolV1::MachineSettings machineSettings()
{
    ProtocolV1::MachineSettings settings;
    settings.set_machinename("Bench 8");
    settings.set_firmwaremajorversion(1);
    settings.set_firmwareminorversion(4);
    return settings;
}

ProgramPtr defaultPcrProgram()
{
    const QByteArray steps = QJsonDocument(Container::Protocol::defaultStepArray()).toJson();
    return ProgramPtr(new ProgramV1(QStringLiteral("Colony PCR"), steps, Program::PT_PCR));
}

QByteArray messageHex(const google::protobuf::Message &message)
{
    return QByteArray::fromStdString(message.SerializeAsString()).toHex();
}

} // namespace

class TestConnectionV1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void connectingAsksForSettings();
    void commands_data();
    void commands();
    void programUpload();
    void programOfTheWrongFirmwareIsNotSent();
    void stateSentOnceWritten();
    void leftOverStatesSkipped_data();
    void leftOverStatesSkipped();
    void statesBeforeInitialization();
    void startTime();
    void settingsAndProgramFromTheMachine();
    void malformedData_data();
    void malformedData();
    void disconnectClearsTheSession();
    void replacedProgramEndsOnItsOwnThread();
};

void TestConnectionV1::connectingAsksForSettings()
{
    RecordingConnectionV1 connection;
    QSignalSpy handle(&connection, &Connection::isHandleConnectedChanged);
    connection.updateStartTime(30);

    connection.connectionInit();
    QCOMPARE(handle.count(), 1);
    QCOMPARE(handle.at(0).at(0).toBool(), true);
    QVERIFY(connection.isHandleConnected());
    QVERIFY(!connection.startTime().isValid());
    QCOMPARE(connection.written(), QByteArrayList{getMachineSettings});
}

void TestConnectionV1::commands_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QByteArrayList>("messages");

    const QByteArray name30(30, 'n');

    QTest::newRow("getMachineSettings") << Command([](ConnectionV1 &c) { c.getMachineSettings(); })
                                        << QByteArrayList{getMachineSettings};
    QTest::newRow("getProgramFromDevice")
        << Command([](ConnectionV1 &c) { c.getProgramFromDevice(); })
        << QByteArrayList{getCurrentProgram};
    QTest::newRow("setState stopped")
        << Command([](ConnectionV1 &c) { c.setState(ProtocolV1::STOPPED); })
        << QByteArrayList{"2:1002"};
    QTest::newRow("setState paused: an empty action")
        << Command([](ConnectionV1 &c) { c.setState(ProtocolV1::PAUSED); }) << QByteArrayList{"2:"};
    QTest::newRow("sendAction") << Command([](ConnectionV1 &c) {
        ProtocolV1::Action action;
        action.set_type(ProtocolV1::GET_CURRENT_SHORT_PROGRAM);
        action.set_status(ProtocolV1::RUNNING);
        c.sendAction(&action);
    }) << QByteArrayList{"2:08021001"};
    QTest::newRow("software identity")
        << Command([](ConnectionV1 &c) { c.sendSoftwareSettings(false); })
        << QByteArrayList{softwareIdentity12};
    QTest::newRow("initial software identity is the same")
        << Command([](ConnectionV1 &c) { c.sendSoftwareSettings(true); })
        << QByteArrayList{softwareIdentity12};
    QTest::newRow("setFirmware, then sendMachineSettings") << Command([](ConnectionV1 &c) {
        c.setFirmware(1, 4);
        c.sendMachineSettings();
    }) << QByteArrayList{"5:10011804"};
    QTest::newRow("setMachineName sends and reads back")
        << Command([](ConnectionV1 &c) { c.setMachineName(QStringLiteral("Bench")); })
        << QByteArrayList{"5:0a05" + QByteArray("Bench").toHex(), getMachineSettings};
    QTest::newRow("setMachineName does not cut")
        << Command([name30](ConnectionV1 &c) { c.setMachineName(QString::fromLatin1(name30)); })
        << QByteArrayList{"5:0a1e" + name30.toHex(), getMachineSettings};
    QTest::newRow("setAutoStartOn sends nothing")
        << Command([](ConnectionV1 &c) { c.setAutoStartOn(true); }) << QByteArrayList{};
}

void TestConnectionV1::commands()
{
    QFETCH(Command, command);
    QFETCH(QByteArrayList, messages);

    RecordingConnectionV1 connection;
    connection.connectDevice();
    connection.clearWritten();
    command(connection);
    QCOMPARE(connection.written(), messages);
}

void TestConnectionV1::programUpload()
{
    RecordingConnectionV1 connection;
    connection.connectDevice();
    connection.clearWritten();
    const ProgramPtr program = defaultPcrProgram();
    connection.setProgram(program);
    connection.updateStartTime(60);
    QSignalSpy programSent(&connection, &Connection::newProgramSent);

    connection.sendCurrentProgram();
    const auto &message = qSharedPointerObjectCast<ProgramV1>(program)->pcrProtocol();
    QCOMPARE(connection.written(),
             (QByteArrayList{softwareIdentity12, "3:" + messageHex(message)}));
    QCOMPARE(programSent.count(), 1);
    QVERIFY(!connection.startTime().isValid());

    // Written to a closed transport, it is not reported as sent.
    connection.disconnectHandle();
    connection.sendCurrentProgram();
    QCOMPARE(programSent.count(), 1);
}

void TestConnectionV1::programOfTheWrongFirmwareIsNotSent()
{
    RecordingConnectionV1 connection;
    connection.connectDevice();
    connection.clearWritten();
    connection.setProgram(ProgramPtr(new ProgramV3()));
    QSignalSpy programSent(&connection, &Connection::newProgramSent);
    QTest::ignoreMessage(QtWarningMsg, "No firmware-1 program held, nothing sent");
    connection.sendCurrentProgram();
    QCOMPARE(connection.written(), QByteArrayList{});
    QCOMPARE(programSent.count(), 0);
}

void TestConnectionV1::stateSentOnceWritten()
{
    RecordingConnectionV1 connection;
    QSignalSpy stateSent(&connection, &Connection::newStateSent);
    connection.setState(ProtocolV1::RUNNING);
    QCOMPARE(stateSent.count(), 0); // transport closed: nothing written

    connection.connectDevice();
    connection.getMachineSettings();
    QCOMPARE(stateSent.count(), 0);
    connection.setState(ProtocolV1::RESET);
    QCOMPARE(stateSent.count(), 1);
    QCOMPARE(stateSent.at(0).at(0).toInt(), 4);
}

void TestConnectionV1::leftOverStatesSkipped_data()
{
    QTest::addColumn<Command>("command");

    QTest::newRow("after a reset")
        << Command([](ConnectionV1 &c) { c.setState(ProtocolV1::RESET); });
    QTest::newRow("after a program") << Command([](ConnectionV1 &c) {
        c.setProgram(defaultPcrProgram());
        c.sendCurrentProgram();
    });
}

void TestConnectionV1::leftOverStatesSkipped()
{
    QFETCH(Command, command);

    RecordingConnectionV1 connection;
    connection.connectDevice();
    connection.setIsDeviceInitialized(true);
    command(connection);
    QSignalSpy charts(&connection, &Connection::chartDataReceived);
    QSignalSpy states(&connection, &Connection::currentStateChanged);

    connection.receive(ProtocolV1::CURRENT_STATE, machineState(120, ProtocolV1::RUNNING));
    QCOMPARE(charts.count(), 0);
    QCOMPARE(states.count(), 0);
    QCOMPARE(connection.timeInSec(), 120u); // stored all the same

    connection.receive(ProtocolV1::CURRENT_STATE, machineState(2, ProtocolV1::START_UP));
    QCOMPARE(charts.count(), 1);
    QCOMPARE(states.count(), 1);
    QCOMPARE(states.at(0).at(0).value<PCRConst::DeviceStatus>(), PCRConst::DS_START_UP);

    // The skip is over.
    connection.receive(ProtocolV1::CURRENT_STATE, machineState(120, ProtocolV1::RUNNING));
    QCOMPARE(charts.count(), 2);
    QCOMPARE(states.count(), 2);
}

void TestConnectionV1::statesBeforeInitialization()
{
    RecordingConnectionV1 connection;
    connection.connectDevice();
    connection.clearWritten();
    QSignalSpy charts(&connection, &Connection::chartDataReceived);
    QSignalSpy updates(&connection, &Connection::dataUpdated);

    QTest::ignoreMessage(QtWarningMsg, notInitializedWarning);
    connection.receive(ProtocolV1::CURRENT_STATE, machineState(10, ProtocolV1::RUNNING, 55.0f));
    QCOMPARE(connection.written(), QByteArrayList{getCurrentProgram});
    QCOMPARE(charts.count(), 1);
    const auto point = charts.at(0).at(0).value<ChartData>();
    QCOMPARE(point.x, 10.0);
    QCOMPARE(point.y, 55.0);
    QCOMPARE(updates.count(), 1);

    QTest::ignoreMessage(QtWarningMsg, notInitializedWarning);
    connection.receive(ProtocolV1::CURRENT_STATE, machineState(11));
    QCOMPARE(connection.written(), QByteArrayList{getCurrentProgram});
    QCOMPARE(charts.count(), 1);
    QCOMPARE(updates.count(), 1);

    // The device object marks a firmware-1 connection initialised.
    connection.setIsDeviceInitialized(true);
    connection.receive(ProtocolV1::CURRENT_STATE, machineState(12));
    QCOMPARE(charts.count(), 2);
}

void TestConnectionV1::startTime()
{
    RecordingConnectionV1 connection;
    connection.connectDevice();
    connection.setIsDeviceInitialized(true);
    const auto secondsAgo = [&connection] {
        return connection.startTime().secsTo(QDateTime::currentDateTimeUtc());
    };

    connection.receive(ProtocolV1::CURRENT_STATE, machineState(50));
    QVERIFY(qAbs(secondsAgo() - 50) <= 2);
    const QDateTime known = connection.startTime();
    connection.receive(ProtocolV1::CURRENT_STATE, machineState(1));
    QCOMPARE(connection.startTime(), known);
    connection.receive(ProtocolV1::CURRENT_STATE, machineState(0));
    QVERIFY(qAbs(secondsAgo()) <= 2);

    connection.initStartProgram();
    QVERIFY(!connection.startTime().isValid());
    QCOMPARE(connection.cycle(), 0);
}

void TestConnectionV1::settingsAndProgramFromTheMachine()
{
    RecordingConnectionV1 connection;
    connection.setHardwareId(QStringLiteral("0123ABC"));
    connection.connectDevice();
    connection.setIsDeviceInitialized(true);
    QSignalSpy updates(&connection, &Connection::dataUpdated);
    QSignalSpy programs(&connection, &Connection::programReceived);
    QSignalSpy charts(&connection, &Connection::chartDataReceived);

    // Two messages read at one poll, zero padding between them.
    const ProtocolV1::PCRState state = machineState(20);
    const ProtocolV1::MachineSettings settings = machineSettings();
    connection.receive(
        {{ProtocolV1::CURRENT_STATE, &state}, {ProtocolV1::MACHINE_SETTINGS, &settings}});
    QCOMPARE(charts.count(), 1);
    QCOMPARE(updates.count(), 2);
    QCOMPARE(connection.machineName(), QStringLiteral("Bench 8"));
    QCOMPARE(connection.firmwareVersion(), QStringLiteral("1.4"));
    QCOMPARE(connection.modelName(), QStringLiteral("vela8"));
    QCOMPARE(connection.serialNumber(), QStringLiteral("0123ABC"));
    QCOMPARE(connection.hardwareId(), QStringLiteral("0123ABC"));
    QVERIFY(!connection.isAutoStartOn());
    QCOMPARE(connection.remainingTimeInSec(), 0u);
    QCOMPARE(connection.step(), 3u);
    QCOMPARE(connection.cycle(), 5);
    QCOMPARE(connection.lidTemp(), 104.0f);

    ProtocolV1::PCRProtocol running;
    running.set_protocolname("Colony PCR");
    running.set_lidtemp(105.0f);
    connection.receive(ProtocolV1::PCR_PROTOCOL, running);
    QCOMPARE(programs.count(), 1);
    QCOMPARE(programs.at(0).at(0).toByteArray().toHex(), messageHex(running));
    QCOMPARE(programs.at(0).at(1).toInt(), 1);
}

void TestConnectionV1::malformedData_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<bool>("initializedAfter");

    QTest::newRow("three bytes are not examined")
        << QByteArray::fromHex("010203") << QStringList{} << true;
    QTest::newRow("type 0") << QByteArray::fromHex("000408011001")
                            << QStringList{"Message Type Error: invalid type. 0",
                                           "Invalid message:  08011001", "Invalid message type"}
                            << true;
    QTest::newRow("type byte 0x85")
        << QByteArray::fromHex("850408011001")
        << QStringList{"Message Type Error: invalid type. -123", "Invalid message:  08011001",
                       "Invalid message type"}
        << true;
    QTest::newRow("length beyond the data")
        << QByteArray::fromHex("01300d000000") << QStringList{"Message too short!"} << true;
    QTest::newRow("state cut short")
        << QByteArray::fromHex("01043dffffff") << QStringList{"PCR state parse error"} << true;
    QTest::newRow("settings cut short") << QByteArray::fromHex("05040a054142")
                                        << QStringList{"Machine Settings parse error"} << false;
    QTest::newRow("software settings from the machine")
        << QByteArray::fromHex("06040a024142") << QStringList{"Software Settings parse error"}
        << true;
}

void TestConnectionV1::malformedData()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, warnings);
    QFETCH(bool, initializedAfter);

    RecordingConnectionV1 connection;
    connection.connectDevice();
    connection.setIsDeviceInitialized(true);
    connection.receive(ProtocolV1::MACHINE_SETTINGS, machineSettings());
    connection.receive(ProtocolV1::CURRENT_STATE, machineState(20));
    connection.clearWritten();
    QSignalSpy updates(&connection, &Connection::dataUpdated);
    QSignalSpy programs(&connection, &Connection::programReceived);

    for (const QString &warning : qAsConst(warnings))
        QTest::ignoreMessage(QtWarningMsg, warning.toUtf8().constData());
    connection.handleProtobufMessage(data);

    QCOMPARE(connection.isDeviceInitialized(), initializedAfter);
    QCOMPARE(connection.machineName(), QStringLiteral("Bench 8"));
    QCOMPARE(connection.timeInSec(), 20u);
    QCOMPARE(updates.count(), 0);
    QCOMPARE(programs.count(), 0);
    QCOMPARE(connection.written(), QByteArrayList{});
}

void TestConnectionV1::disconnectClearsTheSession()
{
    RecordingConnectionV1 connection;
    connection.connectDevice();
    QTest::ignoreMessage(QtWarningMsg, notInitializedWarning);
    connection.receive(ProtocolV1::CURRENT_STATE, machineState(10));
    connection.setIsDeviceInitialized(true);
    QSignalSpy handle(&connection, &Connection::isHandleConnectedChanged);
    QSignalSpy initFinished(&connection, &Connection::deviceInitFinished);
    QSignalSpy updates(&connection, &Connection::dataUpdated);

    connection.disconnectHandle();
    QCOMPARE(handle.count(), 1);
    QCOMPARE(handle.at(0).at(0).toBool(), false);
    QCOMPARE(initFinished.count(), 1);
    QVERIFY(!connection.isDeviceInitialized());
    QCOMPARE(updates.count(), 1);

    // A new handle starts over: its first state asks for the program again.
    connection.connectDevice();
    connection.clearWritten();
    QTest::ignoreMessage(QtWarningMsg, notInitializedWarning);
    connection.receive(ProtocolV1::CURRENT_STATE, machineState(11));
    QCOMPARE(connection.written(), QByteArrayList{getCurrentProgram});
}

// A device hands its connection, on the connection's thread, a copy of each
// program it adopts, and the connection often holds the last reference to
// the one a new program replaces. That program still ends on the thread
// that made it, where the running view watches it, not under the view's
// feet on the connection's thread.
void TestConnectionV1::replacedProgramEndsOnItsOwnThread()
{
    QThread thread;
    auto *connection = new RecordingConnectionV1;
    connection->moveToThread(&thread);
    thread.start();
    // However the test ends: the connection goes on its thread, which ends.
    const std::unique_ptr<QThread, void (*)(QThread *)> stopper(&thread, [](QThread *running) {
        running->quit();
        running->wait();
    });
    connect(&thread, &QThread::finished, connection, &QObject::deleteLater);
    ProgramPtr first = defaultPcrProgram();
    std::atomic<QThread *> endedOn{nullptr};
    connect(first.data(), &QObject::destroyed, first.data(),
            [&endedOn] { endedOn = QThread::currentThread(); }, Qt::DirectConnection);
    const auto onConnectionThread = [connection](const std::function<void()> &work) {
        QMetaObject::invokeMethod(connection, work, Qt::BlockingQueuedConnection);
    };
    onConnectionThread([connection, first] { connection->setProgram(first); });
    first.reset();
    onConnectionThread([connection] { connection->setProgram(defaultPcrProgram()); });
    QTRY_COMPARE(endedOn.load(), QThread::currentThread());
}

QTEST_GUILESS_MAIN(TestConnectionV1)
#include "tst_connectionv1.moc"
