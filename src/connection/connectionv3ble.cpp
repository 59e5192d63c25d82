#include "connectionv3ble.h"

#include "bledeviceinterface.h"
#include "protocol/ctpmanager.h"

#include <QDebug>

#include <utility>

namespace {
// QLowEnergyController::UnconnectedState: no connection attempt under way.
constexpr int UnconnectedControllerState = 0;
// QLowEnergyController::ClosingState: the link is on its way down.
constexpr int ClosingControllerState = 5;
constexpr quint32 SoftwareMinorVersion = 3;
} // namespace

ConnectionV3BLE::ConnectionV3BLE(QPointer<BLEDeviceInterface> device, bool /*manual*/,
                                 QObject *parent)
    : ConnectionV3(parent)
    , m_device(std::move(device))
{
    TPManager *tp = createTPManager(TPManager::BleFrameSize, TPManager::BleTimeoutMs);
    connect(tp, &TPManager::sendTPData, this, &ConnectionV3BLE::sendTpData);
    if (!m_device)
        return;
    connect(m_device, &BLEDeviceInterface::dataReceived, tp, &TPManager::receiveTPData);
    connect(m_device, &BLEDeviceInterface::connected, this, &ConnectionV3BLE::connected);
    connect(m_device, &BLEDeviceInterface::disconnected, this, &ConnectionV3BLE::resetConnection);
    connect(m_device, &BLEDeviceInterface::connectingFailed, this,
            &ConnectionV3BLE::resetConnection);
    connect(m_device, &IAvailable::availableChanged, this,
            &ConnectionV3BLE::onDeviceAvailableChanged);
}

ConnectionV3BLE::~ConnectionV3BLE()
{
    // Leave the machine free for the next connection.
    if (isDeviceInitialized() || isSoftwareSettingsSent())
        disconnectHandle();
}

bool ConnectionV3BLE::isTransportOpen() const
{
    return m_device && m_device->isAvailable();
}

bool ConnectionV3BLE::isDeviceInitialized() const
{
    return m_device && m_device->isInitialized() && Connection::isDeviceInitialized() &&
           !machineName().isEmpty();
}

QString ConnectionV3BLE::hardwareId() const
{
    return m_device ? m_device->id() : QString();
}

void ConnectionV3BLE::connectionInit()
{
    if (!m_device)
        return;
    clearStartTime();
    if (m_device->isInitialized()) {
        // The link is up already: the handle is open and the handshake can start.
        setIsHandleConnected(true);
        connected();
        return;
    }
    if (m_device->controllerState() == ClosingControllerState) {
        // Left closing by the connection before this one: connect once it is down.
        m_connectWhenClosed = true;
        return;
    }
    if (m_device->controllerState() != UnconnectedControllerState)
        return;
    connectDevice();
}

void ConnectionV3BLE::connectDevice()
{
    if (!m_device)
        return;
    if (m_device->controllerState() == UnconnectedControllerState && m_device->connectDevice())
        emit dataUpdated();
    setIsHandleConnected(true);
}

void ConnectionV3BLE::disconnectHandle()
{
    setIsDeviceInitialized(false);
    setSoftwareSettingsSent(false);
    setFirstStateReceived(false);
    // Handle connected is cleared when the link reports itself disconnected.
    if (m_device)
        m_device->disconnectDevice();
}

void ConnectionV3BLE::sendSoftwareSettings(bool initial)
{
    sendSoftwareSettingsVersion(initial, SoftwareMinorVersion);
}

void ConnectionV3BLE::connected()
{
    qInfo() << "BLE CONNECTED";
    sendSoftwareSettings(false);
}

void ConnectionV3BLE::resetConnection()
{
    qInfo() << Q_FUNC_INFO;
    setSoftwareSettingsSent(false);
    // The next link starts a new handshake: its first state asks for the settings again.
    setFirstStateReceived(false);
    resetCTPManager();
    setIsHandleConnected(false);
    setIsDeviceInitialized(false);
    setDeviceBusy(false);
    if (std::exchange(m_connectWhenClosed, false))
        connectDevice();
}

void ConnectionV3BLE::resetCTPManager()
{
    tpManager()->reset();
}

void ConnectionV3BLE::onDeviceAvailableChanged(bool available)
{
    if (available || !m_device)
        return;
    resetConnection();
    // The link is gone for good: nothing it still sends concerns this connection.
    m_device->disconnect(this);
    m_device->disconnect(tpManager());
    m_device->deleteLater();
    m_device.clear();
    emit dataUpdated();
}

void ConnectionV3BLE::sendTpData(QByteArray frame)
{
    if (frame.size() < TPManager::BleFrameSize)
        frame.append(QByteArray(TPManager::BleFrameSize - frame.size(), '\0'));
    if (m_device)
        m_device->write(frame.constData(), frame.size());
}
