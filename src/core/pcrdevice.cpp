#include "pcrdevice.h"

#include "bellcontroller.h"
#include "program/programdurationestimator.h"
#include "program/programv1.h"
#include "program/programv3.h"

#include "bledeviceinterface.h"
#include "connection/connectionv1usb.h"
#include "connection/connectionv3ble.h"
#include "connection/connectionv3emul.h"
#include "connection/connectionv3usb.h"

#include <QCoreApplication>
#include <QDebug>
#include <QJsonArray>
#include <QThread>

#include <utility>

namespace {

const QString keyDeviceId = QStringLiteral("m_deviceId");
const QString keyConnectionData = QStringLiteral("m_connectionData");
const QString keyTempChart = QStringLiteral("ProtocolTempChartData");
const QString keyDnaChart = QStringLiteral("ProtocolDnaChartData");
const QString keyAutoStartOn = QStringLiteral("autoStartOn");
const QString keyFirmware = QStringLiteral("firmware");
const QString keySerialNumber = QStringLiteral("serialNumber");
const QString keyMachineName = QStringLiteral("machineName");
const QString keyModelName = QStringLiteral("modelName");
const QString keyFinishTime = QStringLiteral("m_finishTime");
const QString keyPauseCounter = QStringLiteral("m_secPauseCounter");
const QString keyStopCounter = QStringLiteral("m_secStopCounter");
const QString keyBleName = QStringLiteral("bleName");
const QString keyBleId = QStringLiteral("bleId");
const QString keyConnectionType = QStringLiteral("connectionType");
const QString keyHidSerialNumber = QStringLiteral("hid_serial_number");
const QString keyBleUniqueString = QStringLiteral("ble_unique_string");
const QString keyTime = QStringLiteral("time");
const QString keyTemp = QStringLiteral("temp");
const QString keyCycle = QStringLiteral("cycle");
const QString keyDnaSamples = QStringLiteral("dnaSamples");

// In the order they are read.
const QStringList recordKeys = {keyDeviceId,    keyConnectionData, keyTempChart,    keyDnaChart,
                                keyAutoStartOn, keyFirmware,       keySerialNumber, keyMachineName,
                                keyModelName,   keyFinishTime,     keyPauseCounter, keyStopCounter,
                                keyBleName,     keyBleId};

bool isUsb(PCRConst::ConnectionType type)
{
    return type == PCRConst::CT_USB_Firmware_V1 || type == PCRConst::CT_USB_Firmware_V3;
}

// The identifier a record of this type keeps of its machine; empty when none.
QString identifierKey(int connectionType)
{
    if (isUsb(PCRConst::ConnectionType(connectionType)))
        return keyHidSerialNumber;
    return connectionType == PCRConst::CT_Bluetooth_Firmware_V3 ? keyBleUniqueString : QString();
}

// A stored number that is not one of the types stands for an unknown connection.
PCRConst::ConnectionType connectionTypeFrom(int value)
{
    if (value < PCRConst::CT_USB_Firmware_V1 || value > PCRConst::CT_Undefined)
        return PCRConst::CT_Undefined;
    return PCRConst::ConnectionType(value);
}

bool containsKey(const QJsonObject &object, const QString &key)
{
    if (object.contains(key))
        return true;
    qDebug().noquote() << QStringLiteral("validateDeviceJson::missing key: ") + key;
    return false;
}

template <class Append>
void readPoints(const QJsonArray &points, const QString &xKey, const QString &yKey, Append append)
{
    for (const QJsonValue &value : points) {
        const QJsonObject point = value.toObject();
        append(ChartData{point.value(xKey).toDouble(), point.value(yKey).toDouble()});
    }
}

QJsonArray pointsJson(const ChartDataContainer &chart, const QString &xKey, const QString &yKey)
{
    QJsonArray points;
    for (int i = 0; i < chart.count(); ++i)
        points.append(QJsonObject{{xKey, chart.xAt(i)}, {yKey, chart.yAt(i)}});
    return points;
}

} // namespace

PCRDevice::PCRDevice(const QJsonObject &record, bool manual, QObject *parent)
    : QObject(parent)
    , m_manual(manual)
{
    readRecord(record);
    finishConstruction();
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
    if (m_connection && m_connection->thread() == thread()) {
        // Nothing of it runs now: every call between the two is queued.
        Connection *connection = std::exchange(m_connection, nullptr);
        dropConnectionSignals(connection);
        connection->disconnectHandle();
        delete connection;
        return;
    }
    post([](Connection &connection) { connection.disconnectHandle(); });
    releaseConnection();
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
    if (isFirmwareV1()) {
        m_durationEstimator = new ProgramDurationEstimator(this);
        m_activeProgram = ProgramPtr(new ProgramV1());
    } else {
        m_activeProgram = ProgramPtr(new ProgramV3());
    }
    m_stepTracker.setProgram(m_activeProgram);
}

// Device record

QJsonObject PCRDevice::toJson() const
{
    return {{keyDeviceId, m_deviceId},
            {keyConnectionData, connectionData()},
            {keyTempChart, pointsJson(*m_tempChart, keyTime, keyTemp)},
            {keyDnaChart, pointsJson(*m_dnaChart, keyCycle, keyDnaSamples)},
            {keyAutoStartOn, m_autoStartOn},
            {keyFirmware, m_firmware},
            {keySerialNumber, m_serialNumber},
            {keyMachineName, m_machineName},
            {keyModelName, m_modelName},
            {keyFinishTime, m_finishTime},
            {keyPauseCounter, m_secPauseCounter},
            {keyStopCounter, m_secStopCounter},
            {keyBleName, m_bleName},
            {keyBleId, m_bleId}};
}

bool PCRDevice::validateDeviceJson(const QJsonObject &record)
{
    if (record.isEmpty())
        return false;
    bool valid = true;
    for (const QString &key : recordKeys)
        valid = containsKey(record, key) && valid;
    const QJsonObject connection = record.value(keyConnectionData).toObject();
    const QString identifier = identifierKey(connection.value(keyConnectionType).toInt());
    if (!identifier.isEmpty())
        valid = containsKey(connection, identifier) && valid;
    return valid;
}

QJsonObject PCRDevice::connectionData() const
{
    QJsonObject data{{keyConnectionType, int(m_connectionType)}};
    if (isUsb(m_connectionType))
        data.insert(keyHidSerialNumber, m_hidSerialNumber);
    else if (m_connectionType == PCRConst::CT_Bluetooth_Firmware_V3)
        data.insert(keyBleUniqueString, m_bleUniqueString);
    return data;
}

void PCRDevice::readRecord(const QJsonObject &record)
{
    readConnectionData(record.value(keyConnectionData).toObject());
    readPoints(record.value(keyTempChart).toArray(), keyTime, keyTemp,
               [this](const ChartData &point) { m_tempChart->append(point); });
    readPoints(record.value(keyDnaChart).toArray(), keyCycle, keyDnaSamples,
               [this](const ChartData &point) { m_dnaChart->append(point); });
    setAutoStartOn(record.value(keyAutoStartOn).toBool());
    m_firmware = record.value(keyFirmware).toString();
    m_serialNumber = record.value(keySerialNumber).toString();
    m_machineName = record.value(keyMachineName).toString();
    m_modelName = record.value(keyModelName).toString();
    m_finishTime = record.value(keyFinishTime).toInt();
    m_secPauseCounter = record.value(keyPauseCounter).toInt();
    m_secStopCounter = record.value(keyStopCounter).toInt();
    m_bleName = record.value(keyBleName).toString();
    m_bleId = record.value(keyBleId).toString();
}

void PCRDevice::readConnectionData(const QJsonObject &connectionData)
{
    m_connectionType = connectionTypeFrom(connectionData.value(keyConnectionType).toInt());
    if (isUsb(m_connectionType))
        m_hidSerialNumber = connectionData.value(keyHidSerialNumber).toString();
    else if (m_connectionType == PCRConst::CT_Bluetooth_Firmware_V3)
        m_bleUniqueString = connectionData.value(keyBleUniqueString).toString();
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
    m_initializing = true;
    setProperty(isSelectedRole.constData(), false);
    releaseConnection();
    startConnection(createConnection());
}

Connection *PCRDevice::createConnection()
{
    switch (m_connectionType) {
    case PCRConst::CT_USB_Firmware_V1:
    case PCRConst::CT_USB_Firmware_V3:
        if (m_connectionType == PCRConst::CT_USB_Firmware_V1)
            return new ConnectionV1USB(m_hidDescription);
        return new ConnectionV3USB(m_hidDescription);
    case PCRConst::CT_Bluetooth_Firmware_V3:
        return new ConnectionV3BLE(m_bleDevice, m_manual, this);
    case PCRConst::CT_Emul_V3:
        return new ConnectionV3Emul(m_deviceId);
    default:
        qWarning() << "Error: You are using undefined/uninitialized/unknown connection.";
        m_initializing = false;
        return new ConnectionV3Emul(m_deviceId);
    }
}

void PCRDevice::startConnection(Connection *connection)
{
    // A request the old connection may have lost with its queue would
    // otherwise block the same request on the new one for good.
    if (!m_controller->isLocked())
        m_controller->setRequestedState(PCRConst::DS_UNKNOWN);
    m_connection = connection;
    m_connectionContext = new QObject(this);
    connectFirmwareV3Signals();
    if (isUsb(m_connectionType)) {
        m_connectionThread = new QThread();
        m_connectionThread->setObjectName(QStringLiteral("USB connection %1").arg(m_deviceId));
        // Released by itself should it outlast stopConnectionThread's wait.
        connect(m_connectionThread, &QThread::finished, m_connectionThread, &QObject::deleteLater);
        connection->moveToThread(m_connectionThread);
        m_connectionThread->start();
    }
    connectConnection();
    post([](Connection &c) { c.connectionInit(); });
    m_initTimer->start();
}

void PCRDevice::connectConnection()
{
    Connection *const c = m_connection;
    QObject *const context = m_connectionContext;
    const auto queued = Qt::QueuedConnection;
    connect(
        c, &Connection::deviceInitFinished, context, [this] { onDeviceInitFinished(); }, queued);
    connect(
        c, &Connection::isHandleConnectedChanged, context,
        [this](bool connected) { onIsHandleConnectedChanged(connected); }, queued);
    connect(
        m_controller, &DeviceStateController::stateChangeRequested, c,
        [c](PCRConst::DeviceStatus state) { c->setState(state); }, queued);
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
        c, &Connection::dataUpdated, context, [this] { emit dataUpdated(); }, queued);
    connect(
        c, &Connection::programReceived, context,
        [this](QByteArray protocol, int version) { emit newProgramReceived(protocol, version); },
        queued);
}

void PCRDevice::connectFirmwareV3Signals()
{
    const auto *v3 = qobject_cast<ConnectionV3 *>(m_connection);
    if (!v3)
        return;
    setEepromBusy(true);
    connect(
        v3, &ConnectionV3::eepromBusyChanged, m_connectionContext,
        [this](bool busy) { setEepromBusy(busy); }, Qt::QueuedConnection);
    connect(
        v3, &ConnectionV3::deviceBusyChanged, m_connectionContext,
        [this](bool busy) { onDeviceBusyChanged(busy); }, Qt::QueuedConnection);
}

void PCRDevice::releaseConnection()
{
    if (!m_connection)
        return;
    Connection *connection = std::exchange(m_connection, nullptr);
    dropConnectionSignals(connection);
    connection->deleteLater();
    stopConnectionThread();
}

void PCRDevice::dropConnectionSignals(Connection *connection)
{
    disconnect(m_controller, nullptr, connection, nullptr);
    connection->disconnect(m_connectionContext);
    QCoreApplication::removePostedEvents(m_connectionContext);
    m_connectionContext->deleteLater();
    m_connectionContext = nullptr;
}

void PCRDevice::stopConnectionThread()
{
    QThread *thread = std::exchange(m_connectionThread, nullptr);
    if (!thread)
        return;
    // Its event loop deletes the connection as it finishes.
    thread->quit();
    if (thread->wait(ThreadStopTimeoutMs)) {
        delete thread;
        return;
    }
    qWarning() << "Connection thread of device" << m_deviceId << "did not stop in"
               << ThreadStopTimeoutMs << "ms";
}

template <class Call>
void PCRDevice::post(Call call)
{
    if (!m_connection)
        return;
    Connection *connection = m_connection;
    QMetaObject::invokeMethod(
        connection, [connection, call] { call(*connection); }, Qt::QueuedConnection);
}

void PCRDevice::reconnect(const HidDeviceDescription &description)
{
    qInfo() << "DEVICE RECONNECT: " << m_deviceId;
    keepHidDescription(description);
    deviceInit();
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
    if (!m_bleDevice && !(m_connection && m_connection->isTransportOpen()))
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

void PCRDevice::setMachineName(const QString &name)
{
    if (name == m_machineName)
        return;
    m_machineName = name;
    post([name](Connection &connection) { connection.setMachineName(name); });
}

void PCRDevice::setAutoStartOn(bool on)
{
    if (on == m_autoStartOn)
        return;
    m_autoStartOn = on;
    post([on](Connection &connection) { connection.setAutoStartOn(on); });
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
            << (m_connection ? (initialized ? "true" : "false") : "null") << m_machineName
            << m_serialNumber;
}

void PCRDevice::copyIdentityFromConnection()
{
    m_machineName = m_connection->machineName();
    m_modelName = m_connection->modelName();
    m_firmware = m_connection->firmwareVersion();
    m_serialNumber = m_connection->serialNumber();
    m_autoStartOn = m_connection->isAutoStartOn();
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
    const QDateTime startTime = m_connection ? m_connection->startTime() : QDateTime();
    const qint64 difference = m_runStart.msecsTo(startTime);
    // A run start never taken (the run was still loading) matches nothing.
    const bool same =
        m_runStart.isValid() && startTime.isValid() && qAbs(difference) <= SameRunToleranceMs;
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
    m_runStart = QDateTime();
    m_finishTime = -1;
    m_bellArmed = false;
    m_secPauseCounter = 0;
    m_secStopCounter = 0;
    post([](Connection &connection) { connection.initStartProgram(); });
    m_tempChart->clear();
    m_dnaChart->clear();
    m_stepTracker.clear();
    if (m_durationEstimator)
        m_durationEstimator->reset();
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
}

void PCRDevice::onNewStateSent(int state)
{
    if (state == PCRConst::DS_RESET)
        m_controller->setLocked(false);
}

// State reports

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
    trackStep();
    if (state == PCRConst::DS_LOADING)
        return;
    takeRunStart();
    emit dataUpdated();
    updateDnaChart();
    updateBell(state);
    countIdleReport(state);
}

void PCRDevice::trackStep()
{
    if (m_connection)
        m_stepTracker.update(int(m_connection->step()), m_connection->cycle());
}

void PCRDevice::takeRunStart()
{
    if (m_runStart.isValid())
        return;
    m_runStart = m_connection->startTime();
    qInfo() << "UPDATE PCRDEVICE PROTOCOL STATR TIME:" << m_runStart;
}

void PCRDevice::updateDnaChart()
{
    if (m_stepTracker.followsDnaChart() &&
        m_dnaChart->followCycle(m_stepTracker.stepKind(), m_stepTracker.currentCycle()))
        emit dataUpdated();
}

void PCRDevice::updateBell(PCRConst::DeviceStatus state)
{
    if (!m_bellArmed && isConnectionInitialized() && isRunState(state) && isPowered())
        m_bellArmed = true;
    if (state != PCRConst::DS_FINISHED || m_finishTime != -1)
        return;
    m_finishTime = qint32(machineTimeInSec());
    qInfo() << "RUN FINISHED:" << m_machineName << "at" << m_finishTime
            << "s, bell:" << (m_bellArmed ? "ringing" : "silent");
    if (m_bellArmed)
        BellController::ring();
}

void PCRDevice::countIdleReport(PCRConst::DeviceStatus state)
{
    if (state == PCRConst::DS_PAUSED)
        ++m_secPauseCounter;
    if (state == PCRConst::DS_STOPPED || !isPowered())
        ++m_secStopCounter;
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

bool PCRDevice::isConnected() const
{
    if (m_connectionType == PCRConst::CT_Bluetooth_Firmware_V3)
        return m_bleDevice && m_bleDevice->isAvailable();
    return m_connection && m_connection->isTransportOpen();
}

bool PCRDevice::isConnectionInitialized() const
{
    return m_connection && m_connection->isDeviceInitialized();
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
    return m_connection ? m_connection->powerVoltage() : 0.0f;
}

bool PCRDevice::isPowered() const
{
    return m_connection && m_connection->isPowered();
}

float PCRDevice::blockTemperature() const
{
    return m_connection && isConnected() ? m_connection->blockTemp() : 0.0f;
}

float PCRDevice::lidTemperature() const
{
    return m_connection && isConnected() ? m_connection->lidTemp() : 0.0f;
}

float PCRDevice::sampleTemperature() const
{
    return m_connection && isConnected() ? m_connection->probeTemp() : 0.0f;
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
    if (m_connection->error() == PCRConst::DE_NO_ERROR)
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
    return m_finishTime >= 0 || m_controller->currentState() == PCRConst::DS_FINISHED;
}

qint64 PCRDevice::machineTimeInSec() const
{
    return m_connection ? qint64(m_connection->timeInSec()) : 0;
}

qint64 PCRDevice::elapsedSeconds() const
{
    // The finish time is the machine's run clock, pauses and stops included,
    // so that the chart ends with the run; the time shown leaves them out.
    const qint64 runTime = m_finishTime >= 0 ? m_finishTime : machineTimeInSec();
    return qMax<qint64>(0, runTime - m_secPauseCounter - m_secStopCounter);
}

qint64 PCRDevice::remainingSeconds() const
{
    if (isFinished())
        return 0;
    if (!isFirmwareV1())
        return m_connection ? qint64(m_connection->remainingTimeInSec()) : 0;
    return qMax<qint64>(0, estimatedDuration() - elapsedSeconds());
}

qint64 PCRDevice::estimatedDuration() const
{
    // Once per run, from the readings at the first request.
    if (!m_durationEstimator->isEstimated()) {
        m_durationEstimator->setProgram(m_activeProgram);
        m_durationEstimator->estimate(lidTemperature(), blockTemperature());
    }
    return m_durationEstimator->duration();
}

qint64 PCRDevice::chartSpanSeconds() const
{
    const qint64 elapsed =
        m_controller->currentState() == PCRConst::DS_LOADING ? 0 : machineTimeInSec();
    return TempChartDataContainer::spanSeconds(m_finishTime, elapsed, remainingSeconds());
}

int PCRDevice::stepTimeSeconds() const
{
    return m_connection ? int(m_connection->stepTimeInSec()) : 0;
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
