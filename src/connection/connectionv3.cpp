#include "connectionv3.h"

#include "program/programv3.h"
#include "protocol/ctpmanager.h"
#include "protocol/pcrprotocolv3.h"

#include <QDebug>
#include <QTimer>

namespace {

constexpr int ProtocolVersion = 3;
constexpr int SerialNumberBytes = 11;
// A state this young says the run has just (re)started, so its start time
// is taken again even when one is known.
constexpr quint32 FreshRunSeconds = 5;
constexpr quint32 SoftwareMajorVersion = 3;
constexpr quint32 SoftwareMinorVersion = 2;
const char *const SoftwareName = "Thermox_V3";

} // namespace

ConnectionV3::ConnectionV3(QObject *parent, int eepromBusyTimeoutMs)
    : Connection(parent)
    , m_eepromTimer(new QTimer(this))
{
    setProgram(ProgramPtr(new ProgramV3()));
    m_eepromTimer->setSingleShot(true);
    m_eepromTimer->setInterval(eepromBusyTimeoutMs);
    connect(m_eepromTimer, &QTimer::timeout, this, &ConnectionV3::onEepromBusyTimeout);
    connect(this, &Connection::isHandleConnectedChanged, this,
            &ConnectionV3::onHandleConnectedChanged);
}

ConnectionV3::~ConnectionV3() = default;

quint32 ConnectionV3::step() const
{
    return m_state.get(&ProtocolV3::PCRState::step);
}

int ConnectionV3::cycle() const
{
    return static_cast<int>(m_state.get(&ProtocolV3::PCRState::cycle));
}

quint32 ConnectionV3::timeInSec() const
{
    return m_state.get(&ProtocolV3::PCRState::timeinsec);
}

quint32 ConnectionV3::stepTimeInSec() const
{
    return m_state.get(&ProtocolV3::PCRState::steptimeinsec);
}

float ConnectionV3::blockTemp() const
{
    return m_state.get(&ProtocolV3::PCRState::blocktemp);
}

float ConnectionV3::lidTemp() const
{
    return m_state.get(&ProtocolV3::PCRState::lidtemp);
}

float ConnectionV3::probeTemp() const
{
    return m_state.get(&ProtocolV3::PCRState::probetemp);
}

float ConnectionV3::powerVoltage() const
{
    return m_state.get(&ProtocolV3::PCRState::powervoltage);
}

int ConnectionV3::status() const
{
    return m_state.get(&ProtocolV3::PCRState::status);
}

int ConnectionV3::error() const
{
    return m_state.get(&ProtocolV3::PCRState::error);
}

quint32 ConnectionV3::remainingTimeInSec() const
{
    return m_state.get(&ProtocolV3::PCRState::remainingtimeinsec);
}

bool ConnectionV3::isPowered() const
{
    return error() != ProtocolV3::NO_POWER;
}

bool ConnectionV3::isAutoStartOn() const
{
    return m_machineSettings.get(&ProtocolV3::MachineSettings::autostarton) != 0;
}

QString ConnectionV3::machineName() const
{
    return QString::fromStdString(m_machineSettings.get(&ProtocolV3::MachineSettings::machinename));
}

QString ConnectionV3::modelName() const
{
    return QStringLiteral("vela16");
}

QString ConnectionV3::firmwareVersion() const
{
    return m_machineSettings.read([](const ProtocolV3::MachineSettings &settings) {
        return QStringLiteral("%1.%2")
            .arg(settings.firmwaremajorversion())
            .arg(settings.firmwareminorversion());
    });
}

QString ConnectionV3::serialNumber() const
{
    const QByteArray serial = QByteArray::fromStdString(
        m_machineSettings.get(&ProtocolV3::MachineSettings::serialnumber));
    return QString::fromLatin1(serial.left(SerialNumberBytes).toHex().toUpper());
}

QString ConnectionV3::hardwareId() const
{
    return m_hardwareId;
}

void ConnectionV3::sendCurrentProgram()
{
    qInfo() << "Send current program";
    const auto programV3 = qSharedPointerObjectCast<ProgramV3>(program());
    if (!programV3) {
        qWarning() << "No firmware-3 program held, nothing sent";
        return;
    }
    transmitMessage(ProtocolV3::PCR_PROTOCOL, programV3->pcrProtocol());
    setEepromBusy(true);
    clearStartTime();
}

void ConnectionV3::getProgramFromDevice()
{
    qInfo() << "Send get program from device";
    sendActionMessage(ProtocolV3::GET_CURRENT_PROGRAM, ProtocolV3::RUNNING);
}

void ConnectionV3::sendAction(ProtocolV3::Action *action)
{
    if (!action)
        return;
    transmitMessage(ProtocolV3::ACTION, *action);
    qDebug() << "Send Action";
}

void ConnectionV3::sendSoftwareSettings(bool initial)
{
    sendSoftwareSettingsVersion(initial, SoftwareMinorVersion);
}

void ConnectionV3::sendMachineSettings()
{
    if (m_eepromBusy) {
        // Sent as soon as the machine can store them.
        qDebug() << "EEPROM busy, MachineSettings sent when it is ready";
        m_settingsPending = true;
        return;
    }
    m_settingsPending = false;
    qInfo() << "send MachineSettings";
    transmitMessage(ProtocolV3::MACHINE_SETTINGS, m_machineSettings.copy());
    setEepromBusy(true);
}

void ConnectionV3::getMachineSettings()
{
    qInfo() << "Send GetMachineSettings";
    sendActionMessage(ProtocolV3::GET_MACHINE_SETTINGS, ProtocolV3::RUNNING);
}

void ConnectionV3::setMachineName(QString newMachineName)
{
    // Whole characters only: a name cut inside a UTF-8 sequence would come
    // back from the machine as settings that no longer parse.
    const QString name =
        PCRConst::trimToByteLength(newMachineName, PCRConst::machineNameMaxLength());
    const QByteArray utf8 = name.toUtf8();
    m_machineSettings.write([&utf8](ProtocolV3::MachineSettings &settings) {
        settings.set_machinename(utf8.constData(), size_t(utf8.size()));
    });
    qInfo().noquote() << "setMachine name: " << name;
    sendMachineSettings();
}

void ConnectionV3::initStartProgram()
{
    clearStartTime();
    // Reads back as cycle -1: no cycle of the new run has been reported yet.
    m_state.write([](ProtocolV3::PCRState &state) { state.set_cycle(0xFFFFFFFF); });
}

void ConnectionV3::setState(int state)
{
    qInfo() << "Send state to device" << state;
    sendActionMessage(ProtocolV3::SET_STATE, state);
}

void ConnectionV3::setFirmware(int major, int minor)
{
    m_machineSettings.write([major, minor](ProtocolV3::MachineSettings &settings) {
        settings.set_firmwaremajorversion(quint32(major));
        settings.set_firmwareminorversion(quint32(minor));
    });
}

void ConnectionV3::setAutoStartOn(bool on)
{
    m_machineSettings.write(
        [on](ProtocolV3::MachineSettings &settings) { settings.set_autostarton(on ? 1 : 0); });
    sendMachineSettings();
}

void ConnectionV3::checkStartTime()
{
    const quint32 seconds = timeInSec();
    if (!startTime().isValid() || seconds < FreshRunSeconds)
        updateStartTime(seconds);
}

void ConnectionV3::sendEnablePCRStates()
{
    qInfo() << "Send start to sending PCRState..";
    sendActionMessage(ProtocolV3::START_SEND_CURRENT_STATE, ProtocolV3::RUNNING);
}

void ConnectionV3::sendDisablePCRStates()
{
    qInfo() << "Send stop to sending current state";
    sendActionMessage(ProtocolV3::STOP_SEND_CURRENT_STATE, ProtocolV3::RUNNING);
}

void ConnectionV3::transmitPayload(QByteArray payload)
{
    if (isTransportOpen() && m_tpManager)
        m_tpManager->sendPayload(payload);
}

void ConnectionV3::handleProtobufMessage(QByteArray serialized)
{
    if (serialized.isEmpty())
        return;
    const int type = extractMessageTypeV3(serialized);
    qDebug() << "Message with type received: " << type;
    switch (type) {
    case ProtocolV3::INVALID_MESSAGE_TYPE:
        qWarning().noquote() << "Invalid message: " << serialized.toHex();
        break;
    case ProtocolV3::CURRENT_STATE:
        handleCurrentState(serialized);
        break;
    case ProtocolV3::ACTION:
        break;
    case ProtocolV3::PCR_PROTOCOL:
        qInfo() << "PCR PROTOCOL received.";
        emit programReceived(serialized, ProtocolVersion);
        break;
    case ProtocolV3::SHORT_PCR_PROTOCOL:
        qWarning() << "ERROR: No transfer of short protocols";
        break;
    case ProtocolV3::MACHINE_SETTINGS:
        handleMachineSettings(serialized);
        break;
    case ProtocolV3::SOFTWARE_SETTINGS:
        qWarning() << "Software Settings parse error";
        break;
    case ProtocolV3::DEVICE_BUSY:
        qWarning() << "Device is busy";
        setDeviceBusy(true);
        break;
    case ProtocolV3::EEPROM_READY:
        setEepromBusy(false);
        qDebug() << "MessageType: EEPROM_READY";
        break;
    case ProtocolV3::EEPROM_BUSY:
        setEepromBusy(true);
        qDebug() << "MessageType: EEPROM_BUSY";
        break;
    default:
        qWarning() << "Unhandled messageType.";
        break;
    }
}

void ConnectionV3::firstPCRStateReceived()
{
    if (isFirstStateReceived())
        return;
    setDeviceBusy(false);
    Connection::firstPCRStateReceived();
    if (!isDeviceInitialized())
        getMachineSettings();
}

void ConnectionV3::onMessageTransferFinished(QByteArray messageData)
{
    if (messageData.isEmpty())
        return;
    const int type = extractMessageTypeV3(messageData);
    qDebug().noquote() << "Message transfer finished! Type:" << type
                       << ", data:" << messageData.toHex();
    if (type == ProtocolV3::PCR_PROTOCOL)
        emit newProgramSent();
    else if (type == ProtocolV3::ACTION)
        handleConfirmedAction(messageData);
    else if (type == ProtocolV3::MACHINE_SETTINGS)
        handleConfirmedSettings(messageData);
}

void ConnectionV3::onDeviceBusy()
{
    qWarning() << "Cannot connect to device - device is busy.";
    setDeviceBusy(true);
}

void ConnectionV3::onEepromBusyTimeout()
{
    qInfo() << "EEPROM BUSY TIMEOUT";
    setEepromBusy(false);
}

void ConnectionV3::onHandleConnectedChanged(bool connected)
{
    // A machine that never reports EEPROM_READY counts as ready after the time-out.
    if (connected)
        m_eepromTimer->start();
}

TPManager *ConnectionV3::createTPManager(int frameSize, int timeoutMs)
{
    m_tpManager = new TPManager(frameSize, this, timeoutMs);
    connect(m_tpManager, &TPManager::payload, this, &ConnectionV3::handleProtobufMessage);
    connect(m_tpManager, &TPManager::transferSessionFinished, this,
            &ConnectionV3::onMessageTransferFinished);
    connect(m_tpManager, &TPManager::deviceBusy, this, &ConnectionV3::onDeviceBusy);
    return m_tpManager;
}

TPManager *ConnectionV3::tpManager() const
{
    return m_tpManager;
}

void ConnectionV3::setHardwareId(const QString &hardwareId)
{
    m_hardwareId = hardwareId;
}

void ConnectionV3::setEepromBusy(bool busy)
{
    qDebug() << "SET EEPROM BUSY: OLD VALUE:" << m_eepromBusy << "NEW:" << busy;
    if (m_eepromBusy == busy)
        return;
    if (busy)
        m_eepromTimer->start();
    m_eepromBusy = busy;
    emit eepromBusyChanged(busy);
    if (!busy && m_settingsPending)
        sendMachineSettings();
}

void ConnectionV3::setDeviceBusy(bool busy)
{
    if (m_deviceBusy == busy)
        return;
    m_deviceBusy = busy;
    emit deviceBusyChanged(busy);
}

bool ConnectionV3::isSoftwareSettingsSent() const
{
    return m_softwareSettingsSent;
}

void ConnectionV3::setSoftwareSettingsSent(bool sent)
{
    m_softwareSettingsSent = sent;
}

void ConnectionV3::sendSoftwareSettingsVersion(bool initial, quint32 minorVersion)
{
    ProtocolV3::SoftwareSettings settings;
    if (initial) {
        qInfo() << "Send SoftwareSettings 0.0";
    } else {
        qInfo().noquote() << QStringLiteral("Send SoftwareSettings %1.%2")
                                 .arg(SoftwareMajorVersion)
                                 .arg(minorVersion);
        settings.set_softwarename(SoftwareName);
        settings.set_softwaremajorversion(SoftwareMajorVersion);
        settings.set_softwareminorversion(minorVersion);
    }
    transmitMessage(ProtocolV3::SOFTWARE_SETTINGS, settings);
    if (!initial)
        m_softwareSettingsSent = true;
}

void ConnectionV3::replaceMachineSettings(ProtocolV3::MachineSettings settings)
{
    m_machineSettings.replace(std::move(settings));
}

void ConnectionV3::replaceState(ProtocolV3::PCRState state)
{
    m_state.replace(std::move(state));
}

void ConnectionV3::sendActionMessage(ProtocolV3::ActionType type, int status)
{
    ProtocolV3::Action action;
    action.set_type(type);
    action.set_status(static_cast<ProtocolV3::Status>(status));
    // Through the virtual sendAction, so that a transport may answer actions itself.
    sendAction(&action);
}

void ConnectionV3::transmitMessage(ProtocolV3::MessageType type,
                                   const google::protobuf::Message &message)
{
    transmitPayload(buildPayloadV3(type, message));
}

void ConnectionV3::handleCurrentState(const QByteArray &body)
{
    ProtocolV3::PCRState state;
    // Parsed aside so that a damaged state never replaces a good one.
    if (!parseMessageV3(body, state)) {
        qWarning() << "PCR state parse error";
        return;
    }
    replaceState(state);
    logState(state);
    if (!isDeviceInitialized()) {
        qWarning() << "PCR state received but device not initialized.";
        firstPCRStateReceived();
    }
    checkStartTime();
    emit chartDataReceived(ChartData{double(state.timeinsec()), double(state.blocktemp())});
    setCurrentState(deviceStatusFromWireStatus(state.status()));
    emit dataUpdated();
}

void ConnectionV3::handleMachineSettings(const QByteArray &body)
{
    ProtocolV3::MachineSettings settings;
    if (!parseMessageV3(body, settings)) {
        qWarning() << "Machine Settings parse error";
        setIsDeviceInitialized(false);
        return;
    }
    replaceMachineSettings(settings);
    qInfo().noquote() << "Machine Settings Retrieved: " << machineName()
                      << " firmware: " << firmwareVersion();
    emit machineSettingsConfirmed(machineName(), isAutoStartOn());
    setIsDeviceInitialized(true);
    emit dataUpdated();
    getProgramFromDevice();
}

void ConnectionV3::handleConfirmedAction(const QByteArray &body)
{
    ProtocolV3::Action action;
    if (!parseMessageV3(body, action)) {
        qWarning() << "Confirmed Action parse error";
        return;
    }
    qDebug() << "Message transfer finished for Action! Type:" << action.type();
    if (action.type() == ProtocolV3::SET_STATE)
        emit newStateSent(action.status());
}

void ConnectionV3::handleConfirmedSettings(const QByteArray &body)
{
    // What the machine took, which a later local change may already differ from.
    ProtocolV3::MachineSettings settings;
    if (!parseMessageV3(body, settings)) {
        qWarning() << "Confirmed MachineSettings parse error";
        return;
    }
    emit machineSettingsConfirmed(QString::fromStdString(settings.machinename()),
                                  settings.autostarton() != 0);
}

void ConnectionV3::logState(const ProtocolV3::PCRState &state) const
{
    qDebug() << "PCR state received -------> Status" << state.status()
             << "TIME:" << state.timeinsec() << "BLOCK TEMP:" << state.blocktemp()
             << "LID TEMP:" << state.lidtemp() << "REMAIN:" << state.remainingtimeinsec();
}
