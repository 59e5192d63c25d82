#include "deviceavailablechecker.h"

#include "bleutils.h"

#include <QDebug>

DeviceAvailableChecker::DeviceAvailableChecker(QObject *parent)
    : QObject(parent)
    , m_agent(new QBluetoothDeviceDiscoveryAgent(this))
{
    m_agent->setLowEnergyDiscoveryTimeout(DefaultDiscoveryMs);
    connect(m_agent, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered, this,
            &DeviceAvailableChecker::compareDeviceInfo);
    connect(m_agent, &QBluetoothDeviceDiscoveryAgent::finished, this,
            &DeviceAvailableChecker::checkIfDeviceFound);
    connect(m_agent,
            QOverload<QBluetoothDeviceDiscoveryAgent::Error>::of(
                &QBluetoothDeviceDiscoveryAgent::error),
            this, &DeviceAvailableChecker::onDiscoveryAgentError);
}

void DeviceAvailableChecker::check(const QBluetoothDeviceInfo &info)
{
    qDebug() << "Check and start discovery for device: " << PCR::BleUtils::deviceId(info);
    m_target = info;
    m_found = false;
    // A check still running from an earlier attempt is not the one asked for.
    if (m_agent->isActive())
        m_agent->stop();
    m_agent->start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
}

void DeviceAvailableChecker::setDiscoveryTimeout(int ms)
{
    m_agent->setLowEnergyDiscoveryTimeout(ms);
}

void DeviceAvailableChecker::compareDeviceInfo(const QBluetoothDeviceInfo &info)
{
    qDebug() << PCR::BleUtils::deviceId(info) << PCR::BleUtils::deviceId(m_target);
    if (m_found || !PCR::BleUtils::isSameDevice(info, m_target))
        return;
    qDebug() << "Device has been found: " << PCR::BleUtils::deviceId(info);
    m_found = true;
    m_agent->stop();
    emit available();
}

void DeviceAvailableChecker::checkIfDeviceFound()
{
    if (!m_found)
        emit unavailable();
}

void DeviceAvailableChecker::onDiscoveryAgentError(QBluetoothDeviceDiscoveryAgent::Error error)
{
    qWarning() << "Error while discovering: " << error << m_agent->errorString();
    emit unavailable();
}
