#include "bledevice.h"

#include "bleutils.h"
#include "connectcall.h"

#include <QBluetoothAddress>
#include <QDebug>
#include <QTimer>

namespace {
const QByteArray EnableNotifications = QByteArray::fromHex("0100");
const QByteArray DisableNotifications = QByteArray::fromHex("0000");

void registerMetaTypes()
{
    static const bool registered = [] {
        qRegisterMetaType<QLowEnergyController::ControllerState>();
        qRegisterMetaType<QLowEnergyController::Error>();
        return true;
    }();
    Q_UNUSED(registered)
}
} // namespace

BLEDevice::BLEDevice(const QBluetoothDeviceInfo &info, QObject *parent)
    : BLEDeviceInterface(parent)
    , m_info(info)
    , m_watchdog(createTimer(&BLEDevice::onWatchdogTimeout))
    , m_connectingTimer(createTimer(&BLEDevice::onConnectingTimeout))
    , m_reconnectTimer(createTimer(&BLEDevice::onReconnectingTimeout))
    , m_setupTimer(createTimer(&BLEDevice::onSetupTimeout))
{
    registerMetaTypes();
    setTiming(Timing());
    connect(&m_checker, &DeviceAvailableChecker::available, this, &BLEDevice::onDeviceAvailable);
    connect(&m_checker, &DeviceAvailableChecker::unavailable, this,
            &BLEDevice::onDeviceUnavailable);
}

BLEDevice::~BLEDevice()
{
    qDebug() << "Destructor for:" << name() << id();
    removeService();
    removeController();
}

void BLEDevice::setTiming(const Timing &timing)
{
    m_timing = timing;
    m_watchdog->setInterval(timing.watchdogMs);
    m_connectingTimer->setInterval(timing.connectingMs);
    m_reconnectTimer->setInterval(timing.reconnectMs);
    m_setupTimer->setInterval(timing.setupMs);
    m_checker.setDiscoveryTimeout(timing.availableCheckMs);
}

void BLEDevice::updateDeviceInfo(const QBluetoothDeviceInfo &info)
{
    if (info == m_info)
        return;
    qDebug() << "Updating device info";
    const bool renamed = info.name() != m_info.name();
    m_info = info;
    if (renamed) {
        qDebug() << "Updating device name";
        emit nameChanged(info.name());
    }
}

bool BLEDevice::isAvailable() const
{
    return m_available;
}

void BLEDevice::setAvailable(bool available)
{
    if (available == m_available)
        return;
    m_available = available;
    emit availableChanged(available);
}

void BLEDevice::setFoundByFinder(bool found)
{
    qDebug().noquote() << QStringLiteral("Device: %1is %2FOUND by ble device finder!")
                              .arg(id(), found ? QString() : QStringLiteral("NOT "));
    m_foundByFinder = found;
}

bool BLEDevice::connectDevice()
{
    m_initializing = true;
    createController();
    if (!m_controller || m_controller->state() != QLowEnergyController::UnconnectedState) {
        m_initializing = false;
        return false;
    }
    m_setupTimer->start();
    m_checker.check(m_info);
    return true;
}

void BLEDevice::disconnectDevice()
{
    qDebug() << "Uninitialize" << name() << id();
    m_initialized = false;
    if (m_service && m_descriptor.isValid())
        m_service->writeDescriptor(m_descriptor, DisableNotifications);
    else
        closeLink();
}

bool BLEDevice::isInitializing() const
{
    return m_initializing;
}

bool BLEDevice::isInitialized() const
{
    return m_initialized;
}

int BLEDevice::controllerState() const
{
    return m_controller ? m_controller->state() : 0;
}

QString BLEDevice::id() const
{
    return PCR::BleUtils::deviceId(m_info);
}

QString BLEDevice::name() const
{
    return m_info.name();
}

bool BLEDevice::write(const char *data, int size)
{
    if (!data || size <= 0 || !m_initialized || !m_service)
        return false;
    const QByteArray bytes(data, size);
    const QLowEnergyCharacteristic characteristic =
        m_service->characteristic(PCR::BleUtils::writeCharacteristicUuid());
    if (characteristic.isValid())
        m_service->writeCharacteristic(characteristic, bytes,
                                       QLowEnergyService::WriteWithoutResponse);
    return true;
}

void BLEDevice::onWatchdogTimeout()
{
    qDebug() << "BLE watchdog timeout";
    handleProblem();
}

void BLEDevice::onConnectingTimeout()
{
    if (!m_controller || m_controller->state() != QLowEnergyController::ConnectingState)
        return;
    qDebug() << "BLE connecting timeout";
    failAndClose();
}

void BLEDevice::onReconnectingTimeout()
{
    if (!isReconnecting())
        return;
    qDebug() << "BLE re_connecting timeout";
    reconnect();
}

void BLEDevice::onSetupTimeout()
{
    if (!m_initializing)
        return;
    // A machine that takes the connection but never completes service
    // discovery or the subscription would otherwise hold the attempt for good.
    qWarning() << "BLE connection set-up timeout:" << id();
    failAndClose();
}

void BLEDevice::onDeviceAvailable()
{
    if (!m_controller || m_controller->state() != QLowEnergyController::UnconnectedState)
        return;
    if (m_connectCall && m_connectCall->isRunning())
        return;
    if (!m_connectCall)
        m_connectCall = new ConnectCall();
    m_connectCall->start(m_controller);
}

void BLEDevice::onDeviceUnavailable()
{
    handleProblem();
}

void BLEDevice::onControllerStateChanged(QLowEnergyController::ControllerState state)
{
    qDebug() << "CTRL State changed:" << state;
    if (state == QLowEnergyController::ConnectingState) {
        m_connectingTimer->start();
        return;
    }
    m_connectingTimer->stop();
    if (state != QLowEnergyController::UnconnectedState)
        return;
    if (isReconnecting())
        handleProblem();
    else
        resetLink(false);
}

void BLEDevice::onControllerConnected()
{
    qDebug() << id() << "Connected!";
    m_controller->discoverServices();
}

void BLEDevice::onControllerDisconnected()
{
    qDebug() << id() << "Disconnected";
    if (!isReconnecting())
        resetLink(false);
}

void BLEDevice::onControllerError(QLowEnergyController::Error error)
{
    qWarning() << id() << "Error occured:" << error
               << (m_controller ? m_controller->errorString() : QString());
    handleProblem();
}

void BLEDevice::onServiceDiscovered(const QBluetoothUuid &uuid)
{
    qDebug() << "Service discovered";
    if (uuid != PCR::BleUtils::serviceUuid())
        return;
    qDebug() << m_info.address() << "new Thermox service found";
    createService(uuid);
    if (m_service) {
        m_service->discoverDetails();
        return;
    }
    failAndClose();
}

void BLEDevice::onServiceStateChanged(QLowEnergyService::ServiceState state)
{
    qDebug() << "serviceStateChanged" << state;
    if (state == QLowEnergyService::InvalidService)
        handleProblem();
    else if (state == QLowEnergyService::ServiceDiscovered && m_service)
        subscribe();
}

void BLEDevice::onServiceError(QLowEnergyService::ServiceError error)
{
    qDebug() << "Service error occured:" << error;
    if (error == QLowEnergyService::UnknownError)
        handleProblem();
    else
        failAndClose();
}

void BLEDevice::onCharacteristicWritten(const QLowEnergyCharacteristic &characteristic,
                                        const QByteArray &value)
{
    qDebug() << "Characteristic value succesfully written to" << characteristic.uuid()
             << value.toHex();
}

void BLEDevice::onDescriptorWritten(const QLowEnergyDescriptor &descriptor, const QByteArray &value)
{
    Q_UNUSED(descriptor)
    qDebug() << "descriptorWritten" << value.toHex();
    if (value == EnableNotifications) {
        onNotificationsEnabled();
    } else if (value == DisableNotifications) {
        qDebug() << "Notifications disabled";
        closeLink();
    }
}

void BLEDevice::onCharacteristicChanged(const QLowEnergyCharacteristic &characteristic,
                                        const QByteArray &value)
{
    Q_UNUSED(characteristic)
    if (m_initialized) {
        const QByteArray frame = m_receiver.append(value);
        if (frame.isEmpty()) {
            qDebug() << "BLE Next data part received:" << m_receiver.buffer().toHex();
        } else {
            qDebug() << "BLE Message received:" << frame.toHex();
            emit dataReceived(frame);
        }
    }
    m_watchdog->start();
}

QTimer *BLEDevice::createTimer(void (BLEDevice::*onTimeout)())
{
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, onTimeout);
    return timer;
}

void BLEDevice::createController()
{
    removeController();
    m_controller = QLowEnergyController::createCentral(m_info);
    connect(m_controller, &QLowEnergyController::stateChanged, this,
            &BLEDevice::onControllerStateChanged);
    connect(m_controller, &QLowEnergyController::connected, this,
            &BLEDevice::onControllerConnected);
    connect(m_controller, &QLowEnergyController::disconnected, this,
            &BLEDevice::onControllerDisconnected);
    connect(m_controller, &QLowEnergyController::serviceDiscovered, this,
            &BLEDevice::onServiceDiscovered);
    connect(m_controller, QOverload<QLowEnergyController::Error>::of(&QLowEnergyController::error),
            this, &BLEDevice::onControllerError);
}

void BLEDevice::removeController()
{
    if (!m_controller)
        return;
    qDebug() << "Removing Low Energy Controller" << m_controller << id();
    m_connectingTimer->stop();
    disconnect(m_controller, nullptr, this, nullptr);
    // The connect call may still use the controller: both go when it returns.
    if (m_connectCall && m_connectCall->isRunning()) {
        connect(m_connectCall, &ConnectCall::finished, m_controller, &QObject::deleteLater);
        connect(m_connectCall, &ConnectCall::finished, m_connectCall, &QObject::deleteLater);
    } else {
        // A controller still connecting or connected would send its
        // disconnection from its destructor, that is after a new attempt's
        // connect: the platform's link is one per machine, and that late
        // disconnection would end the new attempt. It goes now instead.
        QLowEnergyController *controller = m_controller;
        if (controller->state() != QLowEnergyController::UnconnectedState &&
            controller->state() != QLowEnergyController::ClosingState)
            controller->disconnectFromDevice();
        if (controller->state() == QLowEnergyController::UnconnectedState) {
            controller->deleteLater();
        } else {
            // Deleted while closing, it would send its disconnection again.
            controller->setParent(this);
            connect(controller, &QLowEnergyController::stateChanged, controller,
                    [controller](QLowEnergyController::ControllerState state) {
                        if (state == QLowEnergyController::UnconnectedState)
                            controller->deleteLater();
                    });
        }
        delete m_connectCall;
    }
    m_controller = nullptr;
    m_connectCall = nullptr;
}

void BLEDevice::createService(const QBluetoothUuid &uuid)
{
    removeService();
    m_service = m_controller->createServiceObject(uuid);
    if (!m_service)
        return;
    connect(m_service, &QLowEnergyService::stateChanged, this, &BLEDevice::onServiceStateChanged);
    connect(m_service, &QLowEnergyService::characteristicWritten, this,
            &BLEDevice::onCharacteristicWritten);
    connect(m_service, &QLowEnergyService::descriptorWritten, this,
            &BLEDevice::onDescriptorWritten);
    connect(m_service, QOverload<QLowEnergyService::ServiceError>::of(&QLowEnergyService::error),
            this, &BLEDevice::onServiceError);
}

void BLEDevice::removeService()
{
    if (!m_service)
        return;
    qDebug() << "Removing Low Energy Service" << m_service << id();
    disconnect(m_service, nullptr, this, nullptr);
    m_service->deleteLater();
    m_service = nullptr;
    m_descriptor = QLowEnergyDescriptor();
}

void BLEDevice::subscribe()
{
    qDebug() << "Service details discovered";
    const QLowEnergyCharacteristic notify =
        m_service->characteristic(PCR::BleUtils::notifyCharacteristicUuid());
    if (notify.isValid())
        m_descriptor = notify.descriptor(QBluetoothUuid::ClientCharacteristicConfiguration);
    if (!m_descriptor.isValid())
        return;
    connect(m_service, &QLowEnergyService::characteristicChanged, this,
            &BLEDevice::onCharacteristicChanged, Qt::UniqueConnection);
    m_service->writeDescriptor(m_descriptor, EnableNotifications);
}

void BLEDevice::onNotificationsEnabled()
{
    m_initialized = true;
    m_initializing = false;
    m_setupTimer->stop();
    qDebug() << "Notifications enabled";
    closeReconnectionWindow();
    emit connected();
}

void BLEDevice::handleProblem()
{
    qDebug() << "Initialized" << m_initialized << "initializing" << m_initializing << "reconnecting"
             << isReconnecting();
    if (!m_initialized && !m_initializing) {
        failAndClose();
        return;
    }
    m_watchdog->stop();
    if (!isReconnecting())
        reconnect();
    else if (!m_reconnectTimer->isActive())
        m_reconnectTimer->start();
}

void BLEDevice::failAndClose()
{
    closeReconnectionWindow();
    markUnavailable();
    closeLink();
}

void BLEDevice::markUnavailable()
{
    // A machine the latest scan saw is still there; only the link failed.
    if (m_foundByFinder || !m_available)
        return;
    m_available = false;
    emit availableChanged(false);
}

void BLEDevice::resetLink(bool forceDisconnect)
{
    qDebug() << "Device unreachable" << id() << "forceDisconnect:" << forceDisconnect;
    const bool wasInitialized = m_initialized;
    const bool wasInitializing = m_initializing;
    m_initialized = false;
    m_initializing = false;
    closeReconnectionWindow();
    m_setupTimer->stop();
    m_receiver.clear();
    removeService();
    removeController();
    // Announced once the link is gone, so that a receiver may start a new
    // attempt from its slot. An attempt that never reached the initialized
    // link failed, whether or not its controller had connected.
    if (wasInitializing && !wasInitialized)
        emit connectingFailed();
    else if (wasInitialized || forceDisconnect)
        emit disconnected();
}

void BLEDevice::closeLink()
{
    m_watchdog->stop();
    const int state = controllerState();
    if (state == QLowEnergyController::ConnectedState ||
        state == QLowEnergyController::DiscoveringState ||
        state == QLowEnergyController::DiscoveredState) {
        qDebug() << "Disconnecting";
        // The controller reports the disconnection from inside the call; the
        // link is being reset here already.
        QLowEnergyController *controller = m_controller;
        removeService();
        disconnect(controller, nullptr, this, nullptr);
        controller->disconnectFromDevice();
        resetLink(true);
    } else {
        qDebug() << "Cleanup BLE device state";
        resetLink(false);
    }
}

void BLEDevice::reconnect()
{
    if (!m_reconnectDeadline)
        m_reconnectDeadline = QDeadlineTimer(m_timing.reconnectWindowMs, Qt::CoarseTimer);
    if (m_reconnectDeadline->hasExpired()) {
        qWarning() << "Reinitialize timer has expired!";
        failAndClose();
        return;
    }
    qDebug() << "Trying to reconnect";
    removeService();
    m_initializing = true;
    createController();
    if (m_controller->state() != QLowEnergyController::UnconnectedState) {
        handleProblem();
        return;
    }
    m_setupTimer->start();
    m_checker.check(m_info);
}

bool BLEDevice::isReconnecting() const
{
    return m_reconnectDeadline.has_value();
}

void BLEDevice::closeReconnectionWindow()
{
    m_reconnectDeadline.reset();
}
