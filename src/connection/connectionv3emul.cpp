#include "connectionv3emul.h"

#include "containers/shortprotocolcontainer.h"
#include "program/programv3.h"

#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTimer>

namespace {

constexpr int ProtocolVersion = 3;
constexpr int HardwareIdLength = 11;
constexpr quint32 FirmwareMajorVersion = 3;
constexpr quint32 FirmwareMinorVersion = 500;
constexpr float PowerVoltage = 19.0f;
constexpr float ProbeTemp = 20.001007f;
constexpr float BlockTemp = 15.001007f;
constexpr float LidTemp = 25.001007f;

// One step counter for every emulated machine of the process, so that
// several of them share a single pace.
int sharedStepCounter = 0;

} // namespace

ConnectionV3Emul::ConnectionV3Emul(int index, QObject *parent, int tickIntervalMs)
    : ConnectionV3(parent)
    , m_index(index)
    , m_tickIntervalMs(tickIntervalMs)
{
    setHardwareId(randomHardwareId());
    clearStartTime();
    connectDevice();
}

ConnectionV3Emul::~ConnectionV3Emul()
{
    disconnectHandle();
}

bool ConnectionV3Emul::isTransportOpen() const
{
    return m_connected;
}

void ConnectionV3Emul::connectionInit()
{
    clearStartTime();
    connectDevice();
}

void ConnectionV3Emul::connectDevice()
{
    m_connected = m_index % 2 != 0;
    replaceMachineSettings(emulatedSettings());
    setIsDeviceInitialized(true);
    emit deviceInitFinished();
    setEepromBusy(false);
    startTick();
    uploadDefaultProgram();
    startRunning();
    setDeviceBusy(false);
    setEepromBusy(false);
    emit stateReported(snapshot(currentState()));
    emit dataUpdated();
    if (isAutoStartOn())
        QTimer::singleShot(0, this, &ConnectionV3Emul::getProgramFromDevice);
}

void ConnectionV3Emul::disconnectHandle()
{
    m_connected = false;
    setIsDeviceInitialized(false);
    stopPollingTimer();
    emit dataUpdated();
}

void ConnectionV3Emul::transmitPayload(QByteArray payload)
{
    if (!payload.isEmpty() && payload.at(0) == char(ProtocolV3::PCR_PROTOCOL))
        m_storedProgram = payload.mid(1);
    // The emulated machine takes every payload at once. Confirm it as a real
    // transfer would, or an upload or a state change would never finish.
    QTimer::singleShot(0, this, [this, payload] { onMessageTransferFinished(payload); });
}

void ConnectionV3Emul::sendAction(ProtocolV3::Action *action)
{
    if (action && action->type() == ProtocolV3::GET_CURRENT_PROGRAM)
        QTimer::singleShot(0, this, &ConnectionV3Emul::onGetCurrentProgramTimeout);
    ConnectionV3::sendAction(action);
}

void ConnectionV3Emul::poll()
{
    if (m_connected)
        tick();
}

void ConnectionV3Emul::onGetCurrentProgramTimeout()
{
    emit programReceived(m_storedProgram, ProtocolVersion);
}

QString ConnectionV3Emul::randomHardwareId()
{
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    QString id;
    for (int i = 0; i < HardwareIdLength; ++i)
        id.append(alphabet.at(QRandomGenerator::global()->bounded(alphabet.size())));
    return id;
}

ProtocolV3::MachineSettings ConnectionV3Emul::emulatedSettings() const
{
    ProtocolV3::MachineSettings settings;
    settings.set_machinename(QStringLiteral("Thermox16 emul %1").arg(m_index).toStdString());
    settings.set_firmwaremajorversion(FirmwareMajorVersion);
    settings.set_firmwareminorversion(FirmwareMinorVersion);
    settings.set_autostarton(1);
    settings.set_serialnumber(hardwareId().toStdString());
    return settings;
}

void ConnectionV3Emul::uploadDefaultProgram()
{
    const QByteArray steps =
        QJsonDocument(Container::Protocol::defaultStepArray()).toJson(QJsonDocument::Compact);
    setProgram(ProgramPtr(
        new ProgramV3(QStringLiteral("Default protocol"), steps, true, Program::PT_PCR)));
    sendCurrentProgram();
}

void ConnectionV3Emul::startRunning()
{
    m_state.Clear();
    m_state.set_status(ProtocolV3::RUNNING);
    m_state.set_error(ProtocolV3::NO_ERROR);
    m_state.set_powervoltage(PowerVoltage);
    m_state.set_cycle(1);
    m_state.set_step(2);
    m_cycles = 1;
    replaceState(m_state);
    m_elapsed.start();
}

void ConnectionV3Emul::startTick()
{
    // A second power-on restarts the tick rather than adding another.
    stopPollingTimer();
    setPollingTimerId(startTimer(m_tickIntervalMs, Qt::CoarseTimer));
}

void ConnectionV3Emul::tick()
{
    if (sharedStepCounter >= StepsPerCycle) {
        sharedStepCounter = 0;
        m_state.set_step(1);
        m_state.set_cycle(++m_cycles);
    }
    m_state.set_timeinsec(quint32(m_elapsed.elapsed() / 1000));
    ++sharedStepCounter;
    m_state.set_probetemp(ProbeTemp);
    m_state.set_blocktemp(BlockTemp);
    m_state.set_lidtemp(LidTemp);
    m_state.set_steptimeinsec(quint32(sharedStepCounter));
    replaceState(m_state);
    emit chartDataReceived(ChartData{double(m_state.timeinsec()), double(m_state.blocktemp())});
    // Shown without a state change: the emulated machine's status stays as it is.
    emit stateReported(snapshot(currentState()));
    emit dataUpdated();
}
