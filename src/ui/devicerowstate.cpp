#include "devicerowstate.h"

#include "utils/pcrconst.h"

#include <QDebug>

DeviceRowState::DeviceRowState(QObject *parent)
    : QObject(parent)
{
    connect(this, &DeviceRowState::rolesChanged, this, &DeviceRowState::update);
    updateStatus();
}

bool DeviceRowState::isBleDevice() const
{
    return m_connectionType == PCRConst::CT_Bluetooth_Firmware_V3;
}

bool DeviceRowState::isUsbDevice() const
{
    return m_connectionType == PCRConst::CT_USB_Firmware_V1 ||
           m_connectionType == PCRConst::CT_USB_Firmware_V3;
}

bool DeviceRowState::isActive() const
{
    return !isTransient() && m_isConnected && m_connectionInitialized;
}

bool DeviceRowState::autoStartVisible() const
{
    return m_connectionType != PCRConst::CT_USB_Firmware_V1;
}

bool DeviceRowState::autoStartEnabled() const
{
    return m_isAutoStartSupport && m_isConnected && !m_eepromBusy && isActive();
}

bool DeviceRowState::connectVisible() const
{
    return isBleDevice() && m_isConnected;
}

bool DeviceRowState::disconnectMode() const
{
    return m_connectionInitialized || m_deviceBusy;
}

bool DeviceRowState::connectEnabled() const
{
    return m_isConnected && !isTransient();
}

bool DeviceRowState::deleteEnabled() const
{
    return !m_connectionInitialized && !isTransient();
}

bool DeviceRowState::infoEnabled() const
{
    return !isTransient();
}

void DeviceRowState::update()
{
    const bool turnedBusy = m_deviceBusy && !m_wasBusy;
    m_wasBusy = m_deviceBusy;
    updateStatus();
    emit stateChanged();
    if (turnedBusy && m_isConnecting)
        emit busyWhileConnecting();
}

void DeviceRowState::updateStatus()
{
    const QString previousText = m_statusText;
    if (m_deviceBusy) {
        // The colour stays what it was: busy says nothing about the link.
        m_statusText = tr("Busy");
    } else if (m_isConnected && m_connectionInitialized) {
        m_statusText = tr("Connected");
        m_statusColor = StatusGreen;
    } else if (m_isConnected && m_isConnecting) {
        m_statusText = tr("Connecting...");
        m_statusColor = StatusGreen;
    } else if (m_isConnected) {
        m_statusColor = StatusPlain;
        if (isUsbDevice()) {
            m_statusText = tr("Plugged in");
        } else if (isBleDevice()) {
            m_statusText = tr("Click icon to connect");
        } else {
            m_statusText = tr("Error");
            if (previousText != m_statusText)
                qWarning() << "Device row: no status for connection type" << m_connectionType;
        }
    } else {
        m_statusText = tr("Offline");
        m_statusColor = StatusRed;
    }
}
