#include "machineprograms.h"
#include "machinewire.h"
#include "virtualmachine.h"

#include "program/programv1.h"
#include "protocol/pcrprotocolv1.h"
#include "utils/pcrconst.h"

#include <QtTest>

#include <memory>

namespace {

constexpr int PieceSize = 64;

// The host's side of a firmware-1 link: it writes framed messages as output
// reports (report id stripped, as the machine receives them) and splits what
// the machine sends the way the host does.
class Host
{
public:
    explicit Host(MachineWire *wire)
        : m_wire(wire)
    {
        QObject::connect(wire, &MachineWire::frameReady,
                         [this](const QByteArray &frame) { m_input += frame; });
    }

    void send(ProtocolV1::MessageType type, const google::protobuf::Message &message)
    {
        for (const QByteArray &report : frameMessageV1(type, message)) {
            QCOMPARE(report.size(), PieceSize + 1);
            m_wire->receiveFrame(report.mid(1));
        }
    }

    void sendAction(ProtocolV1::ActionType type, int status = ProtocolV1::RUNNING)
    {
        ProtocolV1::Action action;
        action.set_type(type);
        action.set_status(ProtocolV1::Status(status));
        send(ProtocolV1::ACTION, action);
    }

    // Everything received since the last call, split into messages.
    QList<MessageV1> takeMessages()
    {
        const QList<MessageV1> messages = splitMessagesV1(m_input);
        m_input.clear();
        return messages;
    }

    QList<ProtocolV1::PCRState> takeStates()
    {
        QList<ProtocolV1::PCRState> states;
        for (const MessageV1 &message : takeMessages()) {
            if (message.type != ProtocolV1::CURRENT_STATE)
                continue;
            states.append(ProtocolV1::PCRState());
            states.last().ParseFromArray(message.body.constData(), message.body.size());
        }
        return states;
    }

private:
    MachineWire *const m_wire;
    QByteArray m_input;
};

} // namespace

class TestMachineWireV1 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void settingsAreAnsweredInFramedReports();
    void uploadSpansTwoReportsAndIsReadBack();
    void factoryProgramReadsBackAsPcr();
    void runTimeRestartsAfterUploadAndReset_data();
    void runTimeRestartsAfterUploadAndReset();
    void bodilessActionsAreUnderstood();
    void heldMachineStaysSilent();
    void lineFaultsLoseOrDamageReports();

private:
    std::unique_ptr<VirtualMachine> m_machine;
    MachineWire *m_wire = nullptr;
    std::unique_ptr<Host> m_host;
    QByteArray m_program;
};

void TestMachineWireV1::init()
{
    VirtualMachine::Identity identity;
    identity.model = VirtualMachine::Vela8;
    identity.serialNumber = QStringLiteral("VELA8-0042");
    identity.machineName = QStringLiteral("Bench 8");
    m_machine = std::make_unique<VirtualMachine>(identity);
    m_wire = m_machine->createWire(PieceSize, m_machine.get());
    m_host = std::make_unique<Host>(m_wire);
    m_wire->openLink();
    m_program = MachinePrograms::messageV1(MachinePrograms::shortPcr(true));
}

void TestMachineWireV1::cleanup()
{
    m_host.reset();
    m_machine.reset();
}

void TestMachineWireV1::settingsAreAnsweredInFramedReports()
{
    m_host->sendAction(ProtocolV1::GET_MACHINE_SETTINGS);
    const QList<MessageV1> messages = m_host->takeMessages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().type, ProtocolV1::MACHINE_SETTINGS);
    ProtocolV1::MachineSettings settings;
    QVERIFY(
        settings.ParseFromArray(messages.first().body.constData(), messages.first().body.size()));
    QCOMPARE(QString::fromStdString(settings.machinename()), QStringLiteral("Bench 8"));
    QCOMPARE(settings.firmwaremajorversion(), 1u);

    ProtocolV1::MachineSettings renamed;
    renamed.set_machinename("Renamed");
    m_host->send(ProtocolV1::MACHINE_SETTINGS, renamed);
    QCOMPARE(m_machine->machineName(), QStringLiteral("Renamed"));
}

void TestMachineWireV1::uploadSpansTwoReportsAndIsReadBack()
{
    ProtocolV1::PCRProtocol program;
    QVERIFY(program.ParseFromArray(m_program.constData(), m_program.size()));
    QVERIFY(frameMessageV1(ProtocolV1::PCR_PROTOCOL, program).size() == 2);
    m_host->send(ProtocolV1::PCR_PROTOCOL, program);
    QCOMPARE(m_machine->storedProgram(), m_program);

    m_host->sendAction(ProtocolV1::GET_CURRENT_PROGRAM);
    const QList<MessageV1> messages = m_host->takeMessages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().type, ProtocolV1::PCR_PROTOCOL);
    QCOMPARE(messages.first().body, m_program);
}

// A vela8 out of the box answers the host's first program request with a
// program the host takes as a valid PCR, so that it counts as initialised.
void TestMachineWireV1::factoryProgramReadsBackAsPcr()
{
    m_machine->storeFactoryProgram();
    m_host->sendAction(ProtocolV1::GET_CURRENT_PROGRAM);
    const QList<MessageV1> messages = m_host->takeMessages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().type, ProtocolV1::PCR_PROTOCOL);
    const ProgramV1 program(messages.first().body);
    QCOMPARE(program.programType(), Program::PT_PCR);
    QCOMPARE(program.name(), QStringLiteral("Factory test"));
}

void TestMachineWireV1::runTimeRestartsAfterUploadAndReset_data()
{
    QTest::addColumn<bool>("upload"); // else a reset

    QTest::newRow("upload") << true;
    QTest::newRow("reset") << false;
}

void TestMachineWireV1::runTimeRestartsAfterUploadAndReset()
{
    QFETCH(bool, upload);
    QVERIFY(m_machine->storeProgram(m_program));
    QVERIFY(m_machine->startRun());
    m_machine->clock()->advance(120 * 1000);
    const QList<ProtocolV1::PCRState> before = m_host->takeStates();
    QCOMPARE(before.size(), 120); // one a second
    QCOMPARE(before.last().timeinsec(), 120u);

    if (upload) {
        ProtocolV1::PCRProtocol program;
        program.ParseFromArray(m_program.constData(), m_program.size());
        m_host->send(ProtocolV1::PCR_PROTOCOL, program);
    } else {
        m_host->sendAction(ProtocolV1::SET_STATE, ProtocolV1::RESET);
    }
    m_machine->clock()->advance(3000);
    const QList<ProtocolV1::PCRState> after = m_host->takeStates();
    QCOMPARE(after.size(), 3);
    QCOMPARE(after.first().timeinsec(), 1u);
    QCOMPARE(after.last().timeinsec(), 3u);
    QCOMPARE(int(after.last().status()), int(PCRConst::DS_START_UP));
}

void TestMachineWireV1::bodilessActionsAreUnderstood()
{
    QVERIFY(m_machine->storeProgram(m_program));
    QVERIFY(m_machine->startRun());
    // SET_STATE PAUSED serialises to nothing; RUNNING to two bytes.
    m_host->sendAction(ProtocolV1::SET_STATE, ProtocolV1::PAUSED);
    QCOMPARE(m_machine->engine()->status(), int(PCRConst::DS_PAUSED));
    m_host->sendAction(ProtocolV1::SET_STATE, ProtocolV1::RUNNING);
    QCOMPARE(m_machine->engine()->status(), int(PCRConst::DS_START_UP));
}

void TestMachineWireV1::heldMachineStaysSilent()
{
    m_machine->setHeldByOtherHost(true);
    m_host->sendAction(ProtocolV1::GET_MACHINE_SETTINGS);
    m_machine->clock()->advance(5000);
    QVERIFY(m_host->takeMessages().isEmpty());

    m_machine->setHeldByOtherHost(false);
    m_machine->clock()->advance(1000);
    QCOMPARE(m_host->takeStates().size(), 1);
}

void TestMachineWireV1::lineFaultsLoseOrDamageReports()
{
    m_machine->faults().setSeed(7);
    m_machine->faults().setDropRate(0.5);
    m_machine->clock()->advance(100 * 1000);
    const int received = m_host->takeStates().size();
    QCOMPARE(received + m_machine->faults().droppedCount(), 100);
    QVERIFY(received > 25 && received < 75);

    m_machine->faults().setDropRate(0.0);
    m_machine->faults().setCorruptRate(1.0);
    m_host->sendAction(ProtocolV1::GET_MACHINE_SETTINGS);
    // Both the request and the answer had one byte changed on the way.
    QCOMPARE(m_machine->faults().corruptedCount(), 2);
    m_host->takeMessages();
}

QTEST_GUILESS_MAIN(TestMachineWireV1)
#include "tst_machinewirev1.moc"
