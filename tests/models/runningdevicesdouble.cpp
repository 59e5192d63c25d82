#include "runningdevicesdouble.h"

RunningDevicesDouble::RunningDevicesDouble(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setSourceModel(&m_devices);
}

int RunningDevicesDouble::addDevice()
{
    auto *item = new QStandardItem;
    const int deviceId = m_nextDeviceId++;
    item->setData(deviceId, DeviceIdRole);
    item->setData(true, IsConnectedRole);
    item->setData(false, DeviceBusyRole);
    m_devices.appendRow(item);
    return deviceId;
}

int RunningDevicesDouble::addRunningDevice(int protocolId)
{
    const int deviceId = addDevice();
    setProtocol(deviceId, protocolId);
    setBusy(deviceId, true);
    return deviceId;
}

void RunningDevicesDouble::removeDevice(int deviceId)
{
    m_devices.removeRow(device(deviceId)->row());
}

void RunningDevicesDouble::setProtocol(int deviceId, int protocolId)
{
    device(deviceId)->setData(protocolId < 0 ? QVariant() : QVariant(protocolId), ProtocolIdRole);
}

void RunningDevicesDouble::setBusy(int deviceId, bool busy)
{
    device(deviceId)->setData(busy, DeviceBusyRole);
}

void RunningDevicesDouble::setConnected(int deviceId, bool connected)
{
    device(deviceId)->setData(connected, IsConnectedRole);
}

void RunningDevicesDouble::setLidTemperature(int deviceId, double temperature)
{
    device(deviceId)->setData(temperature, LidTemperatureRole);
}

bool RunningDevicesDouble::isRunningProtocol(int programId) const
{
    for (int row = 0; row < m_devices.rowCount(); ++row) {
        const QStandardItem *item = m_devices.item(row);
        const QVariant protocolId = item->data(ProtocolIdRole);
        if (protocolId.isValid() && protocolId.toInt() == programId)
            return item->data(IsConnectedRole).toBool() && item->data(DeviceBusyRole).toBool();
    }
    return false;
}

bool RunningDevicesDouble::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    return m_devices.item(sourceRow)->data(ProtocolIdRole).isValid();
}

QStandardItem *RunningDevicesDouble::device(int deviceId) const
{
    for (int row = 0; row < m_devices.rowCount(); ++row) {
        if (m_devices.item(row)->data(DeviceIdRole).toInt() == deviceId)
            return m_devices.item(row);
    }
    return nullptr;
}
