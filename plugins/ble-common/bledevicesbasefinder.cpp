#include "bledevicesbasefinder.h"

#include "bledevice.h"
#include "bleutils.h"

#include <QDebug>
#include <QTimer>

BLEDevicesBaseFinder::BLEDevicesBaseFinder(QObject *parent)
    : BLEDevicesProviderInterface(parent)
{
    qInfo() << "Creating BLEDevicesFinder - General";
    initializeDeviceDiscoveryAgent();
}

BLEDevicesBaseFinder::~BLEDevicesBaseFinder()
{
    // The machines' objects are the agent's children.
    delete m_agent;
}

void BLEDevicesBaseFinder::setIntervals(int scanMs, int restartMs)
{
    m_scanMs = scanMs;
    m_restartMs = restartMs;
    m_agent->setLowEnergyDiscoveryTimeout(scanMs);
}

bool BLEDevicesBaseFinder::scanActive() const
{
    return m_scanActive;
}

void BLEDevicesBaseFinder::setScanActive(bool scanActive)
{
    if (scanActive == m_scanActive)
        return;
    m_scanActive = scanActive;
    emit scanActiveChanged(scanActive);
}

void BLEDevicesBaseFinder::start()
{
    qInfo() << "Start BLE scan";
    m_stopped = false;
    startDiscovery();
}

void BLEDevicesBaseFinder::stop()
{
    qInfo() << "Stop BLE scan";
    m_stopped = true;
    setScanActive(false);
    m_currentIterationDevices.clear();
    m_agent->stop();
}

void BLEDevicesBaseFinder::scan()
{
    if (!m_stopped)
        startDiscovery();
}

void BLEDevicesBaseFinder::deviceDiscovered(const QBluetoothDeviceInfo &info)
{
    if (!(info.coreConfigurations() & QBluetoothDeviceInfo::LowEnergyCoreConfiguration) ||
        !PCR::BleUtils::hasDeviceService(info))
        return;
    const QString id = PCR::BleUtils::deviceId(info);
    m_currentIterationDevices.append(id);
    velaDeviceDiscovered(info, id);
}

void BLEDevicesBaseFinder::velaDeviceDiscovered(const QBluetoothDeviceInfo &info, const QString &id)
{
    Q_UNUSED(id)
    addDevice(info);
}

void BLEDevicesBaseFinder::addDevice(const QBluetoothDeviceInfo &info)
{
    const QString id = PCR::BleUtils::deviceId(info);
    if (m_devices.contains(id)) {
        BLEDevice *device = m_devices.value(id);
        if (!device) {
            qWarning() << "Device" << id << "is null!";
            forget(id);
        } else if (device->name() == info.name()) {
            emit newDeviceAvailable(device);
            return;
        } else {
            qInfo() << "Device updated:" << device->name() << "to:" << info.name();
            device->updateDeviceInfo(info);
            return;
        }
    }
    announceNewDevice(info, id);
}

void BLEDevicesBaseFinder::markDeviceAsUnavailable(const QString &deviceId)
{
    qDebug() << "Check if device exist and next mark it as unavailable..." << deviceId;
    if (!m_devices.contains(deviceId))
        return;
    qInfo() << "Mark device as unavailable: " << deviceId;
    const QPointer<BLEDevice> device = m_devices.value(deviceId);
    if (device)
        device->setAvailable(false);
    forget(deviceId);
}

void BLEDevicesBaseFinder::onDeviceAvailableChanged(const QPointer<BLEDevice> &device,
                                                    bool available)
{
    if (available || !device)
        return;
    // A newer object may stand under the id by now; only this one goes.
    if (m_devices.value(device->id()) == device)
        forget(device->id());
    device->deleteLater();
}

void BLEDevicesBaseFinder::checkDevicesAndMarkAsUnavailable()
{
    if (m_devices.isEmpty())
        return;
    qDebug() << "Review devices to detect unavailable devices...";
    qDebug() << "Available devices:" << m_devices.keys();
    qDebug() << "Current iteration devices: " << m_currentIterationDevices;
    const QStringList ids = m_devices.keys();
    for (const QString &id : ids) {
        BLEDevice *device = m_devices.value(id);
        if (!device) {
            qDebug() << "Device is null:" << id;
            forget(id);
        } else if (m_currentIterationDevices.contains(id)) {
            device->setFoundByFinder(true);
        } else {
            device->setFoundByFinder(false);
            qDebug() << id << "initializing" << device->isInitializing() << "initialized"
                     << device->isInitialized();
            if (!device->isInitialized() && !device->isInitializing()) {
                qInfo() << "Device paired but probably turned off (not powered): " << id;
                markDeviceAsUnavailable(id);
            }
        }
    }
}

void BLEDevicesBaseFinder::markAllAvailableDevicesAsUnavailable()
{
    const QStringList ids = m_devices.keys();
    for (const QString &id : ids)
        markDeviceAsUnavailable(id);
}

void BLEDevicesBaseFinder::onDeviceDiscoveryAgentError(QBluetoothDeviceDiscoveryAgent::Error error)
{
    setScanActive(false);
    qWarning() << "Error: " << error << m_agent->errorString();
    markAllAvailableDevicesAsUnavailable();
    if (error == QBluetoothDeviceDiscoveryAgent::UnsupportedPlatformError ||
        error == QBluetoothDeviceDiscoveryAgent::UnsupportedDiscoveryMethod)
        return;
    initializeDeviceDiscoveryAgent();
    QTimer::singleShot(m_restartMs, this, &BLEDevicesBaseFinder::scan);
}

void BLEDevicesBaseFinder::onDeviceDiscoveryAgentFinished()
{
    qInfo() << "Discovering of ble device finished. Current:" << m_devices.keys();
    setScanActive(false);
    checkDevicesAndMarkAsUnavailable();
}

void BLEDevicesBaseFinder::initializeDeviceDiscoveryAgent()
{
    qDebug() << Q_FUNC_INFO;
    // Deleting the agent inside its own error signal is not safe: it goes on
    // the next turn of the event loop, with the objects still parented to it.
    if (m_agent) {
        disconnect(m_agent, nullptr, this, nullptr);
        m_agent->deleteLater();
    }
    m_agent = new QBluetoothDeviceDiscoveryAgent();
    m_agent->setLowEnergyDiscoveryTimeout(m_scanMs);
    connect(m_agent,
            QOverload<QBluetoothDeviceDiscoveryAgent::Error>::of(
                &QBluetoothDeviceDiscoveryAgent::error),
            this, &BLEDevicesBaseFinder::onDeviceDiscoveryAgentError);
    connect(m_agent, &QBluetoothDeviceDiscoveryAgent::finished, this,
            &BLEDevicesBaseFinder::onDeviceDiscoveryAgentFinished);
    connect(m_agent, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered, this,
            &BLEDevicesBaseFinder::deviceDiscovered);
}

void BLEDevicesBaseFinder::startDiscovery()
{
    setScanActive(true);
    // A scan that runs already goes on: the agent ignores the request, and
    // forgetting what it saw so far would have its review drop those machines.
    if (m_agent->isActive())
        return;
    m_currentIterationDevices.clear();
    m_agent->start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
}

void BLEDevicesBaseFinder::announceNewDevice(const QBluetoothDeviceInfo &info, const QString &id)
{
    qInfo() << "New BLE device available: " << id << info.name();
    auto *device = new BLEDevice(info, m_agent);
    connect(
        device, &IAvailable::availableChanged, this,
        [this, guard = QPointer<BLEDevice>(device)](bool available) {
            onDeviceAvailableChanged(guard, available);
        },
        Qt::QueuedConnection);
    device->setAvailable(true);
    device->setFoundByFinder(true);
    m_devices.insert(id, device);
    m_availableDevices.insert(id, true);
    emit newDeviceAvailable(device);
}

void BLEDevicesBaseFinder::forget(const QString &id)
{
    m_devices.remove(id);
    m_availableDevices.remove(id);
}
