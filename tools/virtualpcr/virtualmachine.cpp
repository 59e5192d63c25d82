#include "virtualmachine.h"

#include "machinewirev1.h"
#include "machinewirev3.h"

#include "protocol/pcrprotocolv1.h"

#include "utils/pcrconst.h"

#include <QDebug>

namespace {

constexpr int FirmwareV1Major = 1;
constexpr int FirmwareV1Minor = 0;
constexpr int FirmwareV3Major = 3;
constexpr int FirmwareV3Minor = 8;

QString trimmedToBytes(const QString &name, int maxBytes)
{
    QString trimmed = name;
    while (trimmed.toUtf8().size() > maxBytes)
        trimmed.chop(1);
    return trimmed;
}

} // namespace

VirtualMachine::VirtualMachine(const Identity &identity, QObject *parent)
    : QObject(parent)
    , m_identity(identity)
    , m_clock(new MachineClock(this))
    , m_engine(new RunEngine(this))
{
    m_identity.machineName = trimmedToBytes(identity.machineName, MachineNameMaxBytes);
    connect(m_clock, &MachineClock::advanced, this, &VirtualMachine::onClockAdvanced);
}

QString VirtualMachine::modelName(Model model)
{
    return model == Vela8 ? QStringLiteral("vela8") : QStringLiteral("vela16");
}

std::optional<VirtualMachine::Model> VirtualMachine::modelFromName(const QString &name)
{
    for (const Model model : {Vela8, Vela16}) {
        if (name.compare(modelName(model), Qt::CaseInsensitive) == 0)
            return model;
    }
    return std::nullopt;
}

QString VirtualMachine::serialNumberProblem(Model model, const QString &serialNumber)
{
    if (serialNumber.isEmpty() || serialNumber.size() > SerialNumberMaxChars)
        return QStringLiteral("a serial number has 1 to %1 characters").arg(SerialNumberMaxChars);
    for (const QChar c : serialNumber) {
        if (c.unicode() <= ' ' || c.unicode() > '~')
            return QStringLiteral("a serial number is printable ASCII without spaces");
    }
    const QByteArray bytes = QByteArray::fromHex(serialNumber.toLatin1());
    if (model == Vela16 &&
        (bytes.size() != SerialNumberBytesV3 || bytes.toHex().toUpper() != serialNumber.toLatin1()))
        return QStringLiteral("a vela16 serial number is 22 upper-case hexadecimal digits");
    return {};
}

VirtualMachine::Model VirtualMachine::model() const
{
    return m_identity.model;
}

QString VirtualMachine::modelName() const
{
    return modelName(m_identity.model);
}

int VirtualMachine::firmware() const
{
    return m_identity.model == Vela8 ? 1 : 3;
}

int VirtualMachine::firmwareMajorVersion() const
{
    return m_identity.model == Vela8 ? FirmwareV1Major : FirmwareV3Major;
}

int VirtualMachine::firmwareMinorVersion() const
{
    return m_identity.model == Vela8 ? FirmwareV1Minor : FirmwareV3Minor;
}

QString VirtualMachine::serialNumber() const
{
    return m_identity.serialNumber;
}

QString VirtualMachine::machineName() const
{
    return m_identity.machineName;
}

bool VirtualMachine::isAutoStartOn() const
{
    return m_identity.autoStart;
}

QByteArray VirtualMachine::storedProgram() const
{
    return m_engine->hasProgram() ? m_engine->program().message() : QByteArray();
}

bool VirtualMachine::storeProgram(const QByteArray &message)
{
    const auto program = MachineProgram::fromMessage(firmware(), message);
    if (!program)
        return false;
    beginEepromWrite();
    m_engine->load(*program);
    qInfo().noquote() << serialNumber() << "program stored:" << program->steps().size() << "steps";
    return true;
}

void VirtualMachine::storeFactoryProgram()
{
    if (firmware() != 1)
        return;
    ProtocolV1::PCRProtocol program;
    program.set_protocolname("Factory test");
    program.set_lidtemp(105.0f);
    const auto addStep = [&program](ProtocolV1::StepType type, float target, quint32 time) {
        ProtocolV1::PCRStep *step = program.add_steps();
        step->set_type(type);
        step->set_target(target);
        step->set_time(time);
    };
    // Initialisation, denaturation, annealing, extension, 30 cycles back to
    // step 2, final extension, then the hold every firmware-1 PCR ends with.
    addStep(ProtocolV1::HOLD, 95.0f, 180);
    addStep(ProtocolV1::HOLD, 95.0f, 30);
    addStep(ProtocolV1::HOLD, 55.0f, 30);
    addStep(ProtocolV1::HOLD, 72.0f, 60);
    addStep(ProtocolV1::CYCLE, 2.0f, 30);
    addStep(ProtocolV1::HOLD, 72.0f, 300);
    addStep(ProtocolV1::HOLD, PCRConst::defaultHoldTemp(), PCRConst::defaultHoldTime());
    const std::string bytes = program.SerializeAsString();
    storeProgram(QByteArray(bytes.data(), int(bytes.size())));
}

void VirtualMachine::storeSettings(const QString &machineName, bool autoStart)
{
    beginEepromWrite();
    m_identity.machineName = trimmedToBytes(machineName, MachineNameMaxBytes);
    m_identity.autoStart = autoStart;
    qInfo().noquote() << serialNumber() << "settings stored: name" << m_identity.machineName
                      << "auto-start" << autoStart;
}

bool VirtualMachine::isEepromBusy() const
{
    return m_eepromReadyAtMs >= 0;
}

void VirtualMachine::applyHostState(int status)
{
    switch (status) {
    case PCRConst::DS_START_UP:
    case PCRConst::DS_RUNNING:
        if (m_engine->status() == PCRConst::DS_PAUSED)
            m_engine->resume();
        else if (!m_engine->isRunActive())
            startRun();
        break;
    case PCRConst::DS_PAUSED:
        m_engine->pause();
        break;
    case PCRConst::DS_STOPPED:
        m_engine->stop();
        break;
    case PCRConst::DS_RESET:
        startRun();
        break;
    default:
        qDebug().noquote() << serialNumber() << "ignores the requested state" << status;
    }
}

bool VirtualMachine::startRun()
{
    return m_engine->start();
}

RunEngine *VirtualMachine::engine() const
{
    return m_engine;
}

MachineClock *VirtualMachine::clock() const
{
    return m_clock;
}

FrameFaults &VirtualMachine::faults()
{
    return m_faults;
}

const FrameFaults &VirtualMachine::faults() const
{
    return m_faults;
}

float VirtualMachine::powerVoltage() const
{
    return isPowered() ? MainsVoltage : 0.0f;
}

bool VirtualMachine::isPowered() const
{
    return m_engine->isPowered();
}

bool VirtualMachine::isHeldByOtherHost() const
{
    return m_heldByOtherHost;
}

MachineWire *VirtualMachine::createWire(int frameSize, QObject *parent)
{
    if (firmware() == 1)
        return new MachineWireV1(this, parent);
    return new MachineWireV3(this, frameSize, parent);
}

void VirtualMachine::setPowered(bool powered)
{
    if (powered == isPowered())
        return;
    m_engine->setPowered(powered);
    qInfo().noquote() << serialNumber() << (powered ? "mains power on" : "mains power lost");
    if (powered && m_identity.autoStart && !m_engine->isRunActive())
        startRun();
}

void VirtualMachine::setHeldByOtherHost(bool held)
{
    if (held == m_heldByOtherHost)
        return;
    m_heldByOtherHost = held;
    emit heldByOtherHostChanged(held);
}

void VirtualMachine::onClockAdvanced(qint64 nowMs)
{
    while (m_simulatedMs + SimulationStepMs <= nowMs)
        simulateSlice();
}

void VirtualMachine::beginEepromWrite()
{
    const bool wasBusy = isEepromBusy();
    m_eepromReadyAtMs = m_simulatedMs + EepromWriteMs;
    if (!wasBusy)
        emit eepromBusyChanged(true);
}

void VirtualMachine::simulateSlice()
{
    m_simulatedMs += SimulationStepMs;
    m_engine->advance(SimulationStepMs);
    if (isEepromBusy() && m_simulatedMs >= m_eepromReadyAtMs) {
        m_eepromReadyAtMs = -1;
        emit eepromBusyChanged(false);
    }
    if (m_simulatedMs % StateReportPeriodMs == 0)
        emit stateReportDue();
}
