#include "pcrdevice.h"

#include "bellcontroller.h"
#include "program/programv1.h"
#include "program/programv3.h"

#include "bledeviceinterface.h"
#include "connection/connectionfactory.h"
#include "connection/connectionv3.h"

#include <QDebug>

PCRDevice::PCRDevice(const QJsonObject &record, bool manual, QObject *parent)
    : QObject(parent)
    , m_manual(manual)
{
    const DeviceRecord read = DeviceRecord::fromJson(record);
    m_connectionType = read.connectionType;
    finishConstruction();
    applyRecord(read);
}

PCRDevice::PCRDevice(const HidDeviceDescription &description, PCRConst::ConnectionType type,
                     QObject *parent)
    : QObject(parent)
    , m_manual(false)
    , m_connectionType(type)
{
    finishConstruction();
    keepHidDescription(description);
    deviceInit();
}

PCRDevice::PCRDevice(BLEDeviceInterface *bleDevice, PCRConst::ConnectionType type, bool manual,
                     QObject *parent)
    : QObject(parent)
    , m_manual(manual)
    , m_connectionType(type)
{
    finishConstruction();
    if (bleDevice)
        m_bleUniqueString = bleDevice->id();
    setBleDevice(bleDevice);
}

PCRDevice::PCRDevice(PCRConst::ConnectionType type, bool manual, QObject *parent)
    : QObject(parent)
    , m_manual(manual)
    , m_connectionType(type)
{
    finishConstruction();
    deviceInit();
}

PCRDevice::~PCRDevice()
{
    if (m_bleDevice)
        m_bleDevice->disconnect(this);
    m_host->close();
}

qint32 PCRDevice::nextDeviceId()
{
    static qint32 next = 0;
    return next++;
}

void PCRDevice::finishConstruction()
{
    m_initTimer->setSingleShot(true);
    m_initTimer->setInterval(InitTimeoutMs);
    connect(m_initTimer, &QTimer::timeout, this, &PCRDevice::onDeviceInitTimer);
    connect(m_controller, &DeviceStateController::currentStateChanged, this,
            &PCRDevice::dataUpdated, Qt::UniqueConnection);
    // To whichever connection the device has when the request is made.
    connect(m_controller, &DeviceStateController::stateChangeRequested, this,
            [this](PCRConst::DeviceStatus state) {
                post([state](Connection &connection) { connection.setState(state); });
            });
    m_runClock = std::make_unique<RunClock>(isFirmwareV1());
    m_activeProgram = isFirmwareV1() ? ProgramPtr(new ProgramV1()) : ProgramPtr(new ProgramV3());
    m_stepTracker.setProgram(m_activeProgram);
}

// Device record

QJsonObject PCRDevice::toJson() const
{
    return record().toJson();
}

DeviceRecord PCRDevice::record() const
{
    DeviceRecord record;
    record.deviceId = m_deviceId;
    record.connectionType = m_connectionType;
    record.hidSerialNumber = m_hidSerialNumber;
    record.bleUniqueString = m_bleUniqueString;
    record.tempChart = m_tempChart->points();
    record.dnaChart = m_dnaChart->points();
    record.autoStartOn = m_autoStartOn;
    record.firmware = m_firmware;
    record.serialNumber = m_serialNumber;
    record.machineName = m_machineName;
    record.modelName = m_modelName;
    record.finishTime = m_runClock->finishTime();
    record.pauseCounter = m_runClock->pauseCounter();
    record.stopCounter = m_runClock->stopCounter();
    record.bleName = m_bleName;
    record.bleId = m_bleId;
    return record;
}

bool PCRDevice::validateDeviceJson(const QJsonObject &record)
{
    return DeviceRecord::validate(record);
}

void PCRDevice::applyRecord(const DeviceRecord &record)
{
    m_hidSerialNumber = record.hidSerialNumber;
    m_bleUniqueString = record.bleUniqueString;
    for (const ChartData &point : record.tempChart)
        m_tempChart->append(point);
    for (const ChartData &point : record.dnaChart)
        m_dnaChart->append(point);
    setAutoStartOn(record.autoStartOn);
    m_firmware = record.firmware;
    m_serialNumber = record.serialNumber;
    m_machineName = record.machineName;
    m_modelName = record.modelName;
    m_runClock->restore(record.finishTime, record.pauseCounter, record.stopCounter);
    m_bleName = record.bleName;
    m_bleId = record.bleId;
}

void PCRDevice::keepHidDescription(const HidDeviceDescription &description)
{
    m_hidDescription = description;
    if (!description.serialNumber().isEmpty())
        m_hidSerialNumber = description.serialNumber();
}

// Connection

void PCRDevice::deviceInit()
{
    setConnecting(true);
    m_initializing = ConnectionFactory::isKnownType(m_connectionType);
    setProperty(isSelectedRole.constData(), false);
    releaseConnection();
    // A request the old connection may have lost with its queue would
    // otherwise block the same request on the new one for good.
    if (!m_controller->isLocked())
        m_controller->setRequestedState(PCRConst::DS_UNKNOWN);
    const QString threadName = ConnectionFactory::needsOwnThread(m_connectionType)
                                   ? QStringLiteral("USB connection %1").arg(m_deviceId)
                                   : QString();
    m_host->host(createConnection(), threadName);
    m_report = StateReport();
    connectFirmwareV3Signals();
    connectConnection();
    post([](Connection &c) { c.connectionInit(); });
    m_initTimer->start();
}

Connection *PCRDevice::createConnection()
{
    return ConnectionFactory::create(m_connectionType,
                                     {m_hidDescription, m_bleDevice, m_manual, m_deviceId});
}

void PCRDevice::connectConnection()
{
    Connection *const c = m_host->connection();
    QObject *const context = m_host->context();
    const auto queued = Qt::QueuedConnection;
    connect(
        c, &Connection::deviceInitFinished, context, [this] { onDeviceInitFinished(); }, queued);
    connect(
        c, &Connection::isHandleConnectedChanged, context,
        [this](bool connected) { onIsHandleConnectedChanged(connected); }, queued);
    connect(
        c, &Connection::stateReported, context,
        [this](const StateReport &report) { onStateReported(report); }, queued);
    connect(
        c, &Connection::currentStateChanged, context,
        [this](PCRConst::DeviceStatus state) { onConnectionStateChanged(state); }, queued);
    connect(
        c, &Connection::newProgramSent, context, [this] { onNewProgramSent(); }, queued);
    connect(
        c, &Connection::newStateSent, context, [this](int state) { onNewStateSent(state); },
        queued);
    connect(
        c, &Connection::chartDataReceived, context,
        [this](ChartData point) { onChartDataReceived(point); }, queued);
    connect(
        c, &Connection::machineSettingsConfirmed, context,
        [this](const QString &name, bool autoStartOn) {
            onMachineSettingsConfirmed(name, autoStartOn);
        },
        queued);
    connect(
        c, &Connection::dataUpdated, context, [this] { emit dataUpdated(); }, queued);
    connect(
        c, &Connection::programReceived, context,
        [this](QByteArray protocol, int version) { emit newProgramReceived(protocol, version); },
        queued);
}

void PCRDevice::connectFirmwareV3Signals()
{
    const auto *v3 = qobject_cast<ConnectionV3 *>(m_host->connection());
    if (!v3)
        return;
    setEepromBusy(true);
    connect(
        v3, &ConnectionV3::eepromBusyChanged, m_host->context(),
        [this](bool busy) { setEepromBusy(busy); }, Qt::QueuedConnection);
    connect(
        v3, &ConnectionV3::deviceBusyChanged, m_host->context(),
        [this](bool busy) { onDeviceBusyChanged(busy); }, Qt::QueuedConnection);
}

void PCRDevice::releaseConnection()
{
    m_host->release();
}

void PCRDevice::reconnect(const HidDeviceDescription &description)
{
    qInfo() << "DEVICE RECONNECT: " << m_deviceId;
    keepHidDescription(description);
    deviceInit();
}

Connection *PCRDevice::connection() const
{
    return m_host->connection();
}

void PCRDevice::connectDevice()
{
    if (!m_bleDevice)
        return;
    m_disconnectedByUser = false;
    setDisconnecting(false);
    deviceInit();
}

void PCRDevice::disconnectDevice(bool now)
{
    if (!m_bleDevice && !(connection() && connection()->isTransportOpen()))
        return;
    qInfo() << "Disconnecting:" << m_machineName << m_deviceId;
    setConnecting(false);
    setDisconnecting(true);
    m_wasInitialized = false;
    m_disconnectedByUser = true;
    // Queued even now: a USB connection's handle belongs to its own thread.
    post([](Connection &connection) { connection.disconnectHandle(); });
    if (now)
        releaseConnection();
}

void PCRDevice::setBleDevice(BLEDeviceInterface *bleDevice)
{
    qInfo() << "New BLE device:" << bleDevice << "old BLE device:" << m_bleDevice.data();
    if (m_bleDevice && m_bleDevice != bleDevice) {
        m_bleDevice->disconnect(this);
        m_bleDevice->deleteLater();
    }
    m_bleDevice = bleDevice;
    if (m_bleDevice) {
        m_bleName = m_bleDevice->name();
        m_bleId = m_bleDevice->id();
        connect(m_bleDevice, &IAvailable::availableChanged, this,
                &PCRDevice::onDeviceAvailableChanged, Qt::UniqueConnection);
        connect(m_bleDevice, &BLEDeviceInterface::connectingFailed, this,
                &PCRDevice::connectingFailed, Qt::UniqueConnection);
        connect(m_bleDevice, &BLEDeviceInterface::nameChanged, this, &PCRDevice::bleNameChanged,
                Qt::UniqueConnection);
    }
    emit dataUpdated();
    if (m_bleDevice && !m_disconnectedByUser)
        deviceInit();
}

bool PCRDevice::matchesHid(const HidDeviceDescription &description) const
{
    const QString serialNumber = description.serialNumber();
    // The path alone only for a record without a serial: hidraw numbers are
    // reused, so another machine may sit at this path now.
    return !serialNumber.isEmpty() &&
           (serialNumber == m_hidSerialNumber ||
            (m_hidSerialNumber.isEmpty() && m_hidDescription.path() == description.path()));
}

bool PCRDevice::matchesBle(const BLEDeviceInterface *bleDevice) const
{
    if (!bleDevice)
        return false;
    const QString id = bleDevice->id();
    return !id.isEmpty() && id == m_bleId;
}

void PCRDevice::getProgramFromDevice()
{
    post([](Connection &connection) { connection.getProgramFromDevice(); });
}

void PCRDevice::setDeviceInitialized()
{
    post([](Connection &connection) { connection.setIsDeviceInitialized(true); });
}

bool PCRDevice::setMachineName(const QString &name)
{
    if (!isOnline()) {
        qWarning().noquote() << "Machine name not changed, the device is offline:" << m_machineName;
        return false;
    }
    post([name](Connection &connection) { connection.setMachineName(name); });
    return true;
}

void PCRDevice::setAutoStartOn(bool on)
{
    if (on == m_autoStartOn)
        return;
    m_autoStartOn = on;
    post([on](Connection &connection) { connection.setAutoStartOn(on); });
}

void PCRDevice::showStoredIdentity(const QString &machineName, const QString &modelName,
                                   const QString &firmware, const QString &serialNumber,
                                   bool autoStartOn)
{
    m_machineName = machineName;
    m_modelName = modelName;
    m_firmware = firmware;
    m_serialNumber = serialNumber;
    m_autoStartOn = autoStartOn;
    emit dataUpdated();
}

void PCRDevice::onDeviceInitFinished()
{
    m_initTimer->stop();
    m_initializing = false;
    const bool initialized = isConnectionInitialized();
    // A connection that has lost its machine still answers, but with nothing worth keeping.
    if (initialized)
        copyIdentityFromConnection();
    emit dataUpdated();
    setConnecting(false);
    setDisconnecting(false);
    if (initialized)
        m_wasInitialized = true;
    qInfo() << "DEVICE INIT FINISHED: " << !m_initializing
            << (connection() ? (initialized ? "true" : "false") : "null") << m_machineName
            << m_serialNumber;
}

void PCRDevice::copyIdentityFromConnection()
{
    m_machineName = connection()->machineName();
    m_modelName = connection()->modelName();
    m_firmware = connection()->firmwareVersion();
    m_serialNumber = connection()->serialNumber();
    m_autoStartOn = connection()->isAutoStartOn();
}

void PCRDevice::onDeviceInitTimer()
{
    m_initializing = false;
}

void PCRDevice::onIsHandleConnectedChanged(bool connected)
{
    if (connected)
        return;
    setConnecting(false);
    setEepromBusy(false);
}

void PCRDevice::onDeviceBusyChanged(bool busy)
{
    if (busy == m_deviceBusy)
        return;
    m_deviceBusy = busy;
    emit deviceBusyChanged(busy);
    if (!busy)
        return;
    setConnecting(false);
    setDisconnecting(false);
}

void PCRDevice::onDeviceAvailableChanged(bool available)
{
    emit dataUpdated();
    if (available)
        return;
    if (m_connecting)
        emit deviceUnavailable();
    if (m_bleDevice) {
        m_bleDevice->disconnect(this);
        m_bleDevice->deleteLater();
        m_bleDevice.clear();
    }
    qInfo() << "BLE OFF OR NO BLE ADAPTER OR DEVICE UNPAIRED/UNPOWERED";
}

void PCRDevice::bleNameChanged(QString bleName)
{
    if (bleName == m_bleName)
        return;
    m_bleName = bleName;
    emit dataUpdated();
}

void PCRDevice::setConnecting(bool connecting)
{
    if (connecting == m_connecting)
        return;
    m_connecting = connecting;
    emit dataUpdated();
}

void PCRDevice::setDisconnecting(bool disconnecting)
{
    if (disconnecting == m_disconnecting)
        return;
    m_disconnecting = disconnecting;
    emit dataUpdated();
}

void PCRDevice::setEepromBusy(bool busy)
{
    if (busy == m_eepromBusy)
        return;
    m_eepromBusy = busy;
    emit eepromBusyChanged(busy);
}

// Programs and run commands

void PCRDevice::adoptProgram(const ProgramPtr &program)
{
    m_pendingProgram = program;
    m_activeProgram = firmwareCopy(program);
    const ProgramPtr copy = m_activeProgram;
    post([copy](Connection &connection) { connection.setProgram(copy); });
    m_stepTracker.setProgram(copy);
    trackStep();
    emit dataUpdated();
}

ProgramPtr PCRDevice::firmwareCopy(const ProgramPtr &program) const
{
    if (!program || !program->isValid())
        return program;
    const bool programIsV1 = program->firmware() == firmwareVersionV1;
    if (isFirmwareV1() && !programIsV1)
        return program->toV1(false);
    if (!isFirmwareV1() && programIsV1)
        return program->toV3(false);
    return program->clone(false);
}

void PCRDevice::uploadProgram(const ProgramPtr &program)
{
    adoptProgram(program);
    if (!isConnected())
        return;
    resetRun();
    lockForLoading();
    m_controller->setRequestedState(PCRConst::DS_RESET);
    post([](Connection &connection) { connection.sendCurrentProgram(); });
    emit dataUpdated();
}

void PCRDevice::setActiveProgram(const ProgramPtr &program)
{
    const bool sameRun = isSameRun(program);
    const PCRConst::DeviceStatus stateBefore = m_controller->currentState();
    qInfo() << "IS SAME PROTOCOL: " << sameRun << " , IN CONTROLLER STATE: " << stateBefore;
    if (!sameRun) {
        resetRun();
        if (stateBefore == PCRConst::DS_LOADING) {
            // The upload never reached the machine: show what it runs instead.
            m_controller->setLocked(false);
            m_controller->setRequestedState(PCRConst::DS_LOADING);
            emit protocolNotSent();
        }
    }
    adoptProgram(program);
}

bool PCRDevice::isSameRun(const ProgramPtr &program) const
{
    if (!program || program != m_pendingProgram)
        return false;
    const QDateTime startTime = m_report.startTime();
    const QDateTime runStart = m_runClock->runStart();
    const qint64 difference = runStart.msecsTo(startTime);
    // A run start never taken (the run was still loading) matches nothing.
    const bool same =
        runStart.isValid() && startTime.isValid() && qAbs(difference) <= SameRunToleranceMs;
    qInfo() << "START TIME:" << startTime << " TIME DIFF:" << difference << "IS SAME:" << same;
    return same;
}

void PCRDevice::playClicked()
{
    const PCRConst::DeviceStatus state = m_controller->currentState();
    qInfo() << "PLAY CLICKED" << state;
    if (state != PCRConst::DS_PAUSED && state != PCRConst::DS_STOPPED) {
        restartClicked();
        return;
    }
    markPendingProgramUsed();
    m_controller->requestState(PCRConst::DS_START_UP);
    emit dataUpdated();
}

void PCRDevice::pauseClicked()
{
    qInfo() << "PAUSE CLICKED";
    m_controller->requestState(PCRConst::DS_PAUSED);
}

void PCRDevice::restartClicked()
{
    qInfo() << "RESET CLICKED";
    // Locked, an upload or a reset is on its way and its confirmation unlocks.
    // Otherwise a reset still requested from a restart the machine never
    // took up must go out again, or nothing would lift the lock.
    const bool awaitingConfirmation = m_controller->isLocked();
    markPendingProgramUsed();
    resetRun();
    lockForLoading();
    if (!awaitingConfirmation)
        m_controller->setRequestedState(PCRConst::DS_LOADING);
    m_controller->requestState(PCRConst::DS_RESET);
    emit dataUpdated();
}

void PCRDevice::cancelClicked()
{
    qInfo() << "CANCEL CLICKED";
    m_controller->requestState(PCRConst::DS_STOPPED);
}

void PCRDevice::markPendingProgramUsed()
{
    if (m_pendingProgram)
        m_pendingProgram->markUsed();
}

void PCRDevice::resetRun()
{
    m_runClock->reset();
    post([](Connection &connection) { connection.initStartProgram(); });
    m_tempChart->clear();
    m_dnaChart->clear();
    m_stepTracker.clear();
    m_controller->updateCurrentState(PCRConst::DS_LOADING);
}

void PCRDevice::lockForLoading()
{
    m_controller->updateCurrentState(PCRConst::DS_LOADING);
    m_controller->setLocked(true);
}

void PCRDevice::onNewProgramSent()
{
    m_controller->setLocked(false);
    // The machine has the program and starts it: a run of the library's
    // program, like a restart, or "Most used" and "Recent" would never count
    // the runs started from the library.
    markPendingProgramUsed();
}

void PCRDevice::onMachineSettingsConfirmed(const QString &machineName, bool autoStartOn)
{
    if (machineName == m_machineName && autoStartOn == m_autoStartOn)
        return;
    m_machineName = machineName;
    m_autoStartOn = autoStartOn;
    emit dataUpdated();
}

void PCRDevice::onNewStateSent(int state)
{
    if (state == PCRConst::DS_RESET)
        m_controller->setLocked(false);
}

// State reports

void PCRDevice::onStateReported(const StateReport &report)
{
    // Together, so that the step shown always belongs to the values shown.
    m_report = report;
    trackStep();
}

void PCRDevice::onConnectionStateChanged(PCRConst::DeviceStatus state)
{
    m_controller->updateCurrentState(state);
    handleStateReport();
}

void PCRDevice::handleStateReport()
{
    const PCRConst::DeviceStatus state = m_controller->currentState();
    qDebug() << "isStateChanging: " << m_controller->isStateChanging() << "Device state: " << state
             << deviceStatusText(state);
    if (state == PCRConst::DS_LOADING)
        return;
    takeRunStart();
    emit dataUpdated();
    updateDnaChart();
    updateBell(state);
    m_runClock->countIdleReport(state, isPowered());
}

void PCRDevice::trackStep()
{
    if (connection())
        m_stepTracker.update(int(m_report.step()), m_report.cycle());
}

void PCRDevice::takeRunStart()
{
    if (m_runClock->takeRunStart(m_report.startTime()))
        qInfo() << "UPDATE PCRDEVICE PROTOCOL STATR TIME:" << m_runClock->runStart();
}

void PCRDevice::updateDnaChart()
{
    if (m_stepTracker.followsDnaChart() &&
        m_dnaChart->followCycle(m_stepTracker.stepKind(), m_stepTracker.currentCycle()))
        emit dataUpdated();
}

void PCRDevice::updateBell(PCRConst::DeviceStatus state)
{
    if (isConnectionInitialized() && isRunState(state) && isPowered())
        m_runClock->armBell();
    if (state != PCRConst::DS_FINISHED || !m_runClock->finish(machineTimeInSec()))
        return;
    const bool ring = m_runClock->isBellArmed();
    qInfo() << "RUN FINISHED:" << m_machineName << "at" << m_runClock->finishTime()
            << "s, bell:" << (ring ? "ringing" : "silent");
    if (ring)
        BellController::ring();
}

void PCRDevice::onChartDataReceived(ChartData point)
{
    if (!isRunState(m_controller->currentState()))
        return;
    m_tempChart->append(point);
    emit dataUpdated();
}

bool PCRDevice::isRunState(PCRConst::DeviceStatus state)
{
    return state == PCRConst::DS_START_UP || state == PCRConst::DS_RUNNING ||
           state == PCRConst::DS_PAUSED;
}

// Read access

int PCRDevice::deviceId() const
{
    return m_deviceId;
}

QString PCRDevice::machineName() const
{
    return m_machineName;
}

QString PCRDevice::modelName() const
{
    return m_modelName;
}

QString PCRDevice::firmware() const
{
    return m_firmware;
}

QString PCRDevice::serialNumber() const
{
    return m_serialNumber;
}

bool PCRDevice::autoStartOn() const
{
    return m_autoStartOn;
}

PCRConst::ConnectionType PCRDevice::connectionType() const
{
    return m_connectionType;
}

QString PCRDevice::connectionTypeName() const
{
    switch (m_connectionType) {
    case PCRConst::CT_USB_Firmware_V1:
    case PCRConst::CT_USB_Firmware_V3:
        return QStringLiteral("USB");
    case PCRConst::CT_Bluetooth_Firmware_V3:
        return QStringLiteral("BLE");
    case PCRConst::CT_Emul_V3:
        return QStringLiteral("EMUL");
    default:
        return QString();
    }
}

bool PCRDevice::isFirmwareV1() const
{
    return m_connectionType == PCRConst::CT_USB_Firmware_V1;
}

QString PCRDevice::bleId() const
{
    return m_bleId;
}

QString PCRDevice::bleName() const
{
    return m_bleName;
}

BLEDeviceInterface *PCRDevice::bleDevice() const
{
    return m_bleDevice;
}

bool PCRDevice::isConnected() const
{
    if (m_connectionType == PCRConst::CT_Bluetooth_Firmware_V3)
        return m_bleDevice && m_bleDevice->isAvailable();
    return connection() && connection()->isTransportOpen();
}

bool PCRDevice::isConnectionInitialized() const
{
    return connection() && connection()->isDeviceInitialized();
}

bool PCRDevice::isOnline() const
{
    return isConnected() && isConnectionInitialized();
}

bool PCRDevice::isConnecting() const
{
    return m_connecting;
}

bool PCRDevice::isDisconnecting() const
{
    return m_disconnecting;
}

bool PCRDevice::isInitializing() const
{
    return m_initializing;
}

bool PCRDevice::isDisconnectedByUser() const
{
    return m_disconnectedByUser;
}

bool PCRDevice::wasInitialized() const
{
    return m_wasInitialized;
}

bool PCRDevice::isEepromBusy() const
{
    return m_eepromBusy;
}

bool PCRDevice::isDeviceBusy() const
{
    return m_deviceBusy;
}

float PCRDevice::powerVoltage() const
{
    return connection() ? m_report.powerVoltage() : 0.0f;
}

bool PCRDevice::isPowered() const
{
    return connection() && m_report.isPowered();
}

float PCRDevice::blockTemperature() const
{
    return connection() && isConnected() ? m_report.blockTemp() : 0.0f;
}

float PCRDevice::lidTemperature() const
{
    return connection() && isConnected() ? m_report.lidTemp() : 0.0f;
}

float PCRDevice::sampleTemperature() const
{
    return connection() && isConnected() ? m_report.probeTemp() : 0.0f;
}

ProgramPtr PCRDevice::pendingProgram() const
{
    return m_pendingProgram;
}

ProgramPtr PCRDevice::activeProgram() const
{
    return m_activeProgram;
}

const DeviceStateController *PCRDevice::stateController() const
{
    return m_controller;
}

PCRConst::DeviceStatus PCRDevice::shownStatus() const
{
    if (m_connectionType == PCRConst::CT_Bluetooth_Firmware_V3 && !isConnectionInitialized())
        return PCRConst::DS_OFFLINE;
    if (!isConnected() && !isConnectionInitialized())
        return PCRConst::DS_OFFLINE;
    if (m_report.error() == PCRConst::DE_NO_ERROR)
        return m_controller->currentState();
    return isPowered() ? PCRConst::DS_UNKNOWN : PCRConst::DS_NO_POWER;
}

bool PCRDevice::isRunning() const
{
    return isConnectionInitialized() && isRunState(m_controller->currentState()) && isPowered();
}

bool PCRDevice::isBusyWithRun() const
{
    return m_controller->currentState() == PCRConst::DS_LOADING || isRunning() ||
           m_controller->isStateChanging();
}

bool PCRDevice::isFinished() const
{
    return m_runClock->hasFinished() || m_controller->currentState() == PCRConst::DS_FINISHED;
}

qint64 PCRDevice::machineTimeInSec() const
{
    return connection() ? qint64(m_report.timeInSec()) : 0;
}

qint64 PCRDevice::elapsedSeconds() const
{
    return m_runClock->elapsedSeconds(machineTimeInSec());
}

qint64 PCRDevice::remainingSeconds() const
{
    if (isFinished())
        return 0;
    const qint64 machineRemaining = connection() ? qint64(m_report.remainingTimeInSec()) : 0;
    return m_runClock->remainingSeconds(machineTimeInSec(), machineRemaining, m_activeProgram,
                                        lidTemperature(), blockTemperature());
}

qint64 PCRDevice::chartSpanSeconds() const
{
    const qint64 elapsed =
        m_controller->currentState() == PCRConst::DS_LOADING ? 0 : machineTimeInSec();
    return TempChartDataContainer::spanSeconds(m_runClock->finishTime(), elapsed,
                                               remainingSeconds());
}

int PCRDevice::stepTimeSeconds() const
{
    return connection() ? int(m_report.stepTimeInSec()) : 0;
}

const StepTracker &PCRDevice::stepTracker() const
{
    return m_stepTracker;
}

TempChartDataContainer *PCRDevice::tempChart() const
{
    return m_tempChart;
}

DnaChartDataContainer *PCRDevice::dnaChart() const
{
    return m_dnaChart;
}
