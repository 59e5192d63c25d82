#include "connectionv1.h"

#include "program/programv1.h"
#include "protocol/pcrprotocolv1.h"

#include <QDebug>

namespace {

constexpr int ProtocolVersion = 1;
// After a new program or a reset, states of a run older than this are left
// over from before the command took effect.
constexpr quint32 LeftOverStateSeconds = 3;
constexpr quint32 SoftwareMajorVersion = 1;
constexpr quint32 SoftwareMinorVersion = 2;
const char *const SoftwareName = "Thermox_V3";

template <typename Message>
bool parseBody(const QByteArray &body, Message &message)
{
    return message.ParseFromArray(body.constData(), body.size());
}

} // namespace

ConnectionV1::ConnectionV1(QObject *parent)
    : Connection(parent)
{
    setProgram(ProgramPtr(new ProgramV1()));
}

ConnectionV1::~ConnectionV1() = default;

quint32 ConnectionV1::step() const
{
    return m_state.get(&ProtocolV1::PCRState::step);
}

int ConnectionV1::cycle() const
{
    return static_cast<int>(m_state.get(&ProtocolV1::PCRState::cycle));
}

quint32 ConnectionV1::timeInSec() const
{
    return m_state.get(&ProtocolV1::PCRState::timeinsec);
}

quint32 ConnectionV1::stepTimeInSec() const
{
    return m_state.get(&ProtocolV1::PCRState::steptimeinsec);
}

float ConnectionV1::blockTemp() const
{
    return m_state.get(&ProtocolV1::PCRState::blocktemp);
}

float ConnectionV1::lidTemp() const
{
    return m_state.get(&ProtocolV1::PCRState::lidtemp);
}

float ConnectionV1::probeTemp() const
{
    return m_state.get(&ProtocolV1::PCRState::probetemp);
}

float ConnectionV1::powerVoltage() const
{
    return m_state.get(&ProtocolV1::PCRState::powervoltage);
}

int ConnectionV1::status() const
{
    return m_state.get(&ProtocolV1::PCRState::status);
}

int ConnectionV1::error() const
{
    return m_state.get(&ProtocolV1::PCRState::error);
}

quint32 ConnectionV1::remainingTimeInSec() const
{
    return 0;
}

bool ConnectionV1::isPowered() const
{
    return error() != ProtocolV1::NO_POWER;
}

bool ConnectionV1::isAutoStartOn() const
{
    return false;
}

QString ConnectionV1::machineName() const
{
    return QString::fromStdString(m_machineSettings.get(&ProtocolV1::MachineSettings::machinename));
}

QString ConnectionV1::modelName() const
{
    return QStringLiteral("vela8");
}

QString ConnectionV1::firmwareVersion() const
{
    return m_machineSettings.read([](const ProtocolV1::MachineSettings &settings) {
        return QStringLiteral("%1.%2")
            .arg(settings.firmwaremajorversion())
            .arg(settings.firmwareminorversion());
    });
}

QString ConnectionV1::serialNumber() const
{
    return hardwareId();
}

QString ConnectionV1::hardwareId() const
{
    return m_hardwareId.copy();
}

void ConnectionV1::connectionInit()
{
    clearStartTime();
    connectDevice();
}

void ConnectionV1::sendCurrentProgram()
{
    qInfo() << "SEND PROGRAM";
    const auto programV1 = qSharedPointerObjectCast<ProgramV1>(program());
    if (!programV1) {
        qWarning() << "No firmware-1 program held, nothing sent";
        return;
    }
    m_programSent = true;
    sendSoftwareSettings(false);
    programV1->print();
    clearStartTime();
    sendMessage(ProtocolV1::PCR_PROTOCOL, programV1->pcrProtocol());
    if (isTransportOpen())
        emit newProgramSent();
}

void ConnectionV1::getProgramFromDevice()
{
    qInfo() << "GET PROGRAM";
    sendActionMessage(ProtocolV1::GET_CURRENT_PROGRAM, ProtocolV1::RUNNING);
}

void ConnectionV1::connectDevice()
{
    setIsHandleConnected(true);
    getMachineSettings();
}

void ConnectionV1::sendAction(ProtocolV1::Action *action)
{
    if (!action)
        return;
    sendMessage(ProtocolV1::ACTION, *action);
    // Nothing confirms a firmware-1 command: written is as good as sent.
    if (isTransportOpen() && action->type() == ProtocolV1::SET_STATE)
        emit newStateSent(action->status());
}

void ConnectionV1::sendSoftwareSettings(bool)
{
    // Firmware 1 knows one identity, whether or not the handle has just opened.
    qInfo() << "SEND SOFTWARE SETTINGS";
    ProtocolV1::SoftwareSettings settings;
    settings.set_softwarename(SoftwareName);
    settings.set_softwaremajorversion(SoftwareMajorVersion);
    settings.set_softwareminorversion(SoftwareMinorVersion);
    sendMessage(ProtocolV1::SOFTWARE_SETTINGS, settings);
}

void ConnectionV1::sendMachineSettings()
{
    sendMessage(ProtocolV1::MACHINE_SETTINGS, m_machineSettings.copy());
}

void ConnectionV1::getMachineSettings()
{
    sendActionMessage(ProtocolV1::GET_MACHINE_SETTINGS, ProtocolV1::RUNNING);
}

void ConnectionV1::setMachineName(QString newMachineName)
{
    const std::string name = newMachineName.toStdString();
    m_machineSettings.write(
        [&name](ProtocolV1::MachineSettings &settings) { settings.set_machinename(name); });
    sendMachineSettings();
    // The machine's answer shows what it stored.
    getMachineSettings();
}

void ConnectionV1::initStartProgram()
{
    clearStartTime();
    m_state.write([](ProtocolV1::PCRState &state) { state.set_cycle(0); });
}

void ConnectionV1::setState(int state)
{
    qInfo() << "SET STATE" << state;
    if (state == ProtocolV1::RESET)
        m_resetSent = true;
    sendActionMessage(ProtocolV1::SET_STATE, state);
}

void ConnectionV1::setFirmware(int major, int minor)
{
    m_machineSettings.write([major, minor](ProtocolV1::MachineSettings &settings) {
        settings.set_firmwaremajorversion(quint32(major));
        settings.set_firmwareminorversion(quint32(minor));
    });
}

void ConnectionV1::setAutoStartOn(bool)
{
    qDebug() << "Do nothing, Firmware ver 1 doesn't support auto start feature.";
}

void ConnectionV1::disconnectHandle()
{
    setFirstStateReceived(false);
    setIsHandleConnected(false);
    setIsDeviceInitialized(false);
    emit dataUpdated();
}

void ConnectionV1::checkStartTime()
{
    const quint32 seconds = timeInSec();
    if (!startTime().isValid() || seconds == 0)
        updateStartTime(seconds);
}

void ConnectionV1::handleProtobufMessage(QByteArray rawData)
{
    qDebug() << "MSG size: " << rawData.size();
    qDebug().noquote() << "MSG: " << rawData.toHex();
    const QList<MessageV1> messages = splitMessagesV1(rawData);
    for (const MessageV1 &message : messages)
        handleMessage(message.type, message.body);
}

void ConnectionV1::setHardwareId(const QString &hardwareId)
{
    m_hardwareId.replace(hardwareId);
}

void ConnectionV1::sendActionMessage(ProtocolV1::ActionType type, int status)
{
    ProtocolV1::Action action;
    action.set_type(type);
    action.set_status(static_cast<ProtocolV1::Status>(status));
    sendAction(&action);
}

void ConnectionV1::handleMessage(ProtocolV1::MessageType type, const QByteArray &body)
{
    switch (type) {
    case ProtocolV1::INVALID_MESSAGE_TYPE:
        qWarning().noquote() << "Invalid message: " << body.toHex();
        qWarning() << "Invalid message type";
        break;
    case ProtocolV1::CURRENT_STATE:
        handleCurrentState(body);
        break;
    case ProtocolV1::PCR_PROTOCOL:
        emit programReceived(body, ProtocolVersion);
        break;
    case ProtocolV1::MACHINE_SETTINGS:
        handleMachineSettings(body);
        break;
    case ProtocolV1::SOFTWARE_SETTINGS:
        qWarning() << "Software Settings parse error";
        break;
    default:
        // The host never answers ACTION or SHORT_PCR_PROTOCOL messages.
        break;
    }
}

void ConnectionV1::handleCurrentState(const QByteArray &body)
{
    ProtocolV1::PCRState state;
    // Parsed aside so that a damaged state never replaces a good one.
    if (!parseBody(body, state)) {
        qWarning() << "PCR state parse error";
        return;
    }
    m_state.replace(state);
    qDebug() << "PCR state received -------> Status" << state.status()
             << "TIME:" << state.timeinsec() << "BLOCK TEMP:" << state.blocktemp()
             << "LID TEMP:" << state.lidtemp();
    if (skipLeftOverState(state.timeinsec()) || skipStateBeforeInit())
        return;
    checkStartTime();
    setCurrentState(deviceStatusFromWireStatus(state.status()));
    emit chartDataReceived(ChartData{double(state.timeinsec()), double(state.blocktemp())});
    emit dataUpdated();
}

void ConnectionV1::handleMachineSettings(const QByteArray &body)
{
    ProtocolV1::MachineSettings settings;
    if (!parseBody(body, settings)) {
        qWarning() << "Machine Settings parse error";
        setIsDeviceInitialized(false);
        return;
    }
    m_machineSettings.replace(settings);
    qInfo().noquote() << "Machine Settings Retrieved: " << machineName()
                      << " firmware: " << firmwareVersion();
    emit machineSettingsConfirmed(machineName(), isAutoStartOn());
    emit dataUpdated();
}

bool ConnectionV1::skipLeftOverState(quint32 seconds)
{
    if (!m_programSent && !m_resetSent)
        return false;
    if (seconds > LeftOverStateSeconds) {
        qDebug() << "Skip PCR state with old data..";
        return true;
    }
    m_programSent = false;
    m_resetSent = false;
    return false;
}

bool ConnectionV1::skipStateBeforeInit()
{
    if (isDeviceInitialized())
        return false;
    qWarning() << "PCR state received but device not initialized.";
    if (isFirstStateReceived())
        return true;
    firstPCRStateReceived();
    getProgramFromDevice();
    return false;
}
