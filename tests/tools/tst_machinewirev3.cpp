#include "machineprograms.h"
#include "machinewire.h"
#include "virtualmachine.h"

#include "protocol/ctpmanager.h"
#include "protocol/pcrprotocolv3.h"
#include "utils/pcrconst.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

constexpr int NeverMs = 600000; // no time-out fires within a test
constexpr int WaitMs = 5000;
const QString SerialNumber = QStringLiteral("56454C41313600000000AB");

// Whatever the machine and the host have queued for each other has been
// handled after this, so an absence checked next is real.
void deliverPendingEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

struct Received
{
    int type = 0;
    QByteArray body;
};

// The host end of the link: our own transfer-protocol manager, its frames
// queued to the machine's wire and back as a transport would carry them.
class Host : public QObject
{
    Q_OBJECT

public:
    explicit Host(MachineWire *wire)
        : tp(TPManager::UsbFrameSize, this, NeverMs)
    {
        connect(&tp, &TPManager::sendTPData, wire, &MachineWire::receiveFrame,
                Qt::QueuedConnection);
        connect(wire, &MachineWire::frameReady, &tp, &TPManager::receiveTPData,
                Qt::QueuedConnection);
        connect(&tp, &TPManager::payload, this, [this](QByteArray payload) {
            const int type = extractMessageTypeV3(payload);
            received.append({type, payload});
            emit messageReceived(type);
        });
    }

    void send(ProtocolV3::MessageType type, const google::protobuf::Message &message)
    {
        tp.sendPayload(buildPayloadV3(type, message));
    }

    void sendAction(ProtocolV3::ActionType type, int status = ProtocolV3::RUNNING)
    {
        ProtocolV3::Action action;
        action.set_type(type);
        action.set_status(ProtocolV3::Status(status));
        send(ProtocolV3::ACTION, action);
    }

    // Sends the action and waits until the machine has confirmed it.
    bool sendConfirmedAction(ProtocolV3::ActionType type, int status = ProtocolV3::RUNNING)
    {
        QSignalSpy confirmed(&tp, &TPManager::transferSessionFinished);
        sendAction(type, status);
        return confirmed.wait(WaitMs);
    }

    // Waits for the next message of that type received from now on.
    std::optional<QByteArray> waitFor(int type)
    {
        const int from = received.size();
        auto find = [&]() -> std::optional<QByteArray> {
            for (int i = from; i < received.size(); ++i) {
                if (received.at(i).type == type)
                    return received.at(i).body;
            }
            return std::nullopt;
        };
        if (!QTest::qWaitFor([&] { return find().has_value(); }, WaitMs))
            return std::nullopt;
        return find();
    }

    int count(int type) const
    {
        return int(std::count_if(received.cbegin(), received.cend(),
                                 [type](const Received &r) { return r.type == type; }));
    }

    TPManager tp;
    QList<Received> received;

signals:
    void messageReceived(int type);
};

} // namespace

class TestMachineWireV3 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void handshakeIsAnswered();
    void uploadedProgramIsStoredAndReadBack();
    void settingsAreStoredWhileTheEepromIsBusy();
    void hostStatesDriveTheRun_data();
    void hostStatesDriveTheRun();
    void heldMachineAnswersBusy();
    void closedLinkSendsNothing();
    void requestsAndStatesCrossWithoutLoss();

private:
    ProtocolV3::PCRState stateAfterOneSecond();

    std::unique_ptr<VirtualMachine> m_machine;
    MachineWire *m_wire = nullptr;
    std::unique_ptr<Host> m_host;
};

void TestMachineWireV3::init()
{
    VirtualMachine::Identity identity;
    identity.model = VirtualMachine::Vela16;
    identity.serialNumber = SerialNumber;
    identity.machineName = QStringLiteral("Bench 16");
    m_machine = std::make_unique<VirtualMachine>(identity);
    m_wire = m_machine->createWire(TPManager::UsbFrameSize, m_machine.get());
    m_host = std::make_unique<Host>(m_wire);
    m_wire->openLink();
}

void TestMachineWireV3::cleanup()
{
    m_host.reset();
    m_machine.reset();
}

ProtocolV3::PCRState TestMachineWireV3::stateAfterOneSecond()
{
    m_machine->clock()->advance(VirtualMachine::StateReportPeriodMs);
    ProtocolV3::PCRState state;
    const auto body = m_host->waitFor(ProtocolV3::CURRENT_STATE);
    if (body)
        parseMessageV3(*body, state);
    return state;
}

void TestMachineWireV3::handshakeIsAnswered()
{
    ProtocolV3::SoftwareSettings software;
    software.set_softwarename("Thermox_V3");
    software.set_softwaremajorversion(3);
    software.set_softwareminorversion(2);
    m_host->send(ProtocolV3::SOFTWARE_SETTINGS, software);
    QVERIFY(m_host->waitFor(ProtocolV3::EEPROM_READY));

    // Once a second of the machine's time, a state; a machine without a program waits, stopped.
    const ProtocolV3::PCRState state = stateAfterOneSecond();
    QCOMPARE(int(state.status()), int(PCRConst::DS_STOPPED));
    QCOMPARE(state.blocktemp(), ThermalModel::AmbientC);
    QCOMPARE(state.powervoltage(), VirtualMachine::MainsVoltage);

    m_host->sendAction(ProtocolV3::GET_MACHINE_SETTINGS);
    const auto body = m_host->waitFor(ProtocolV3::MACHINE_SETTINGS);
    QVERIFY(body);
    ProtocolV3::MachineSettings settings;
    QVERIFY(parseMessageV3(*body, settings));
    QCOMPARE(QString::fromStdString(settings.machinename()), QStringLiteral("Bench 16"));
    QCOMPARE(settings.firmwaremajorversion(), 3u);
    QCOMPARE(settings.firmwareminorversion(), 8u);
    QCOMPARE(QByteArray::fromStdString(settings.serialnumber()).toHex().toUpper(),
             SerialNumber.toLatin1());

    // Nothing stored yet: the machine has no program to report.
    QVERIFY(m_host->sendConfirmedAction(ProtocolV3::GET_CURRENT_PROGRAM));
    stateAfterOneSecond();
    QCOMPARE(m_host->count(ProtocolV3::PCR_PROTOCOL), 0);
}

void TestMachineWireV3::uploadedProgramIsStoredAndReadBack()
{
    const QByteArray message = MachinePrograms::messageV3(MachinePrograms::shortPcr(true), true);
    ProtocolV3::PCRProtocol program;
    QVERIFY(program.ParseFromArray(message.constData(), message.size()));
    QSignalSpy confirmed(&m_host->tp, &TPManager::transferSessionFinished);
    m_host->send(ProtocolV3::PCR_PROTOCOL, program);

    QVERIFY(m_host->waitFor(ProtocolV3::EEPROM_BUSY));
    QCOMPARE(confirmed.count(), 1);
    QCOMPARE(m_machine->storedProgram(), message);
    QVERIFY(m_machine->isEepromBusy());
    m_machine->clock()->advance(VirtualMachine::EepromWriteMs);
    QVERIFY(m_host->waitFor(ProtocolV3::EEPROM_READY));
    QVERIFY(!m_machine->isEepromBusy());

    m_host->sendAction(ProtocolV3::GET_CURRENT_PROGRAM);
    const auto body = m_host->waitFor(ProtocolV3::PCR_PROTOCOL);
    QVERIFY(body);
    ProtocolV3::PCRProtocol readBack;
    QVERIFY(parseMessageV3(*body, readBack));
    QCOMPARE(QByteArray::fromStdString(readBack.SerializeAsString()), message);

    // The upload starts the program: the lid heats first, the run's time counts.
    const ProtocolV3::PCRState state = stateAfterOneSecond();
    QCOMPARE(int(state.status()), int(PCRConst::DS_START_UP));
    QCOMPARE(state.step(), 1u);
    QVERIFY(state.timeinsec() >= 1);
    QVERIFY(state.remainingtimeinsec() > 0);
}

void TestMachineWireV3::settingsAreStoredWhileTheEepromIsBusy()
{
    ProtocolV3::MachineSettings settings;
    // 30 bytes; the machine keeps 22.
    settings.set_machinename("Renamed machine, much too long");
    settings.set_autostarton(1);
    settings.set_serialnumber(std::string(11, '\x01'));
    settings.set_firmwaremajorversion(9);
    m_host->send(ProtocolV3::MACHINE_SETTINGS, settings);
    QVERIFY(m_host->waitFor(ProtocolV3::EEPROM_BUSY));
    m_machine->clock()->advance(VirtualMachine::EepromWriteMs);
    QVERIFY(m_host->waitFor(ProtocolV3::EEPROM_READY));

    QCOMPARE(m_machine->machineName(), QStringLiteral("Renamed machine, much "));
    QVERIFY(m_machine->isAutoStartOn());
    QCOMPARE(m_machine->serialNumber(), SerialNumber);
    QCOMPARE(m_machine->firmwareMajorVersion(), 3);
}

void TestMachineWireV3::hostStatesDriveTheRun_data()
{
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("reported");

    QTest::newRow("pause") << int(ProtocolV3::PAUSED) << int(PCRConst::DS_PAUSED);
    QTest::newRow("stop") << int(ProtocolV3::STOPPED) << int(PCRConst::DS_STOPPED);
    QTest::newRow("reset restarts") << int(ProtocolV3::RESET) << int(PCRConst::DS_RUNNING);
    QTest::newRow("running goes on") << int(ProtocolV3::RUNNING) << int(PCRConst::DS_RUNNING);
}

void TestMachineWireV3::hostStatesDriveTheRun()
{
    QFETCH(int, requested);
    QFETCH(int, reported);
    // Half a minute into a run, lid left cold, before the host connects.
    m_wire->closeLink();
    QVERIFY(m_machine->storeProgram(
        MachinePrograms::messageV3(MachinePrograms::shortPcr(false), true)));
    QVERIFY(m_machine->startRun());
    m_machine->clock()->advance(30 * 1000);
    QCOMPARE(m_machine->engine()->status(), int(PCRConst::DS_RUNNING));
    m_wire->openLink();

    QVERIFY(m_host->sendConfirmedAction(ProtocolV3::SET_STATE, requested));
    const ProtocolV3::PCRState state = stateAfterOneSecond();
    QCOMPARE(int(state.status()), reported);
    // Only a reset starts the run's clock again.
    QCOMPARE(state.timeinsec() <= 1, requested == ProtocolV3::RESET);
}

void TestMachineWireV3::heldMachineAnswersBusy()
{
    m_machine->setHeldByOtherHost(true);
    QVERIFY(m_host->waitFor(ProtocolV3::DEVICE_BUSY));

    QSignalSpy busy(&m_host->tp, &TPManager::deviceBusy);
    m_host->sendAction(ProtocolV3::GET_MACHINE_SETTINGS);
    QVERIFY(busy.wait(WaitMs));
    m_machine->clock()->advance(3 * VirtualMachine::StateReportPeriodMs);
    deliverPendingEvents();
    QCOMPARE(m_host->count(ProtocolV3::CURRENT_STATE), 0);
    QCOMPARE(m_host->count(ProtocolV3::MACHINE_SETTINGS), 0);

    m_machine->setHeldByOtherHost(false);
    stateAfterOneSecond();
    QCOMPARE(m_host->count(ProtocolV3::CURRENT_STATE), 1);
    m_host->sendAction(ProtocolV3::GET_MACHINE_SETTINGS);
    QVERIFY(m_host->waitFor(ProtocolV3::MACHINE_SETTINGS));
}

void TestMachineWireV3::closedLinkSendsNothing()
{
    QSignalSpy frames(m_wire, &MachineWire::frameReady);
    m_wire->closeLink();
    m_machine->clock()->advance(5 * VirtualMachine::StateReportPeriodMs);
    m_host->sendAction(ProtocolV3::GET_MACHINE_SETTINGS);
    deliverPendingEvents();
    QCOMPARE(frames.count(), 0);
}

void TestMachineWireV3::requestsAndStatesCrossWithoutLoss()
{
    // The host asks while the machine streams its states, so transfers
    // start from both ends at the same moments.
    constexpr int Requests = 20;
    for (int i = 0; i < Requests; ++i) {
        m_host->sendAction(ProtocolV3::GET_MACHINE_SETTINGS);
        m_machine->clock()->advance(VirtualMachine::StateReportPeriodMs);
        deliverPendingEvents();
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_host->count(ProtocolV3::MACHINE_SETTINGS), Requests, WaitMs);
    QVERIFY(m_host->count(ProtocolV3::CURRENT_STATE) > 0);
}

QTEST_GUILESS_MAIN(TestMachineWireV3)
#include "tst_machinewirev3.moc"
