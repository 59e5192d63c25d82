#include "devicesproxymodel.h"

#include "devicesmodel.h"

#include "utils/pcrconst.h"

DevicesProxyModel::DevicesProxyModel(DevicesModel *devices, QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setSourceModel(devices);
    sort(0, Qt::AscendingOrder);
}

bool DevicesProxyModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const int leftPriority = priority(left);
    const int rightPriority = priority(right);
    if (leftPriority != rightPriority)
        return leftPriority > rightPriority;
    return number(left) > number(right);
}

int DevicesProxyModel::priority(const QModelIndex &device)
{
    const int type = device.data(DevicesModel::ConnectionTypeRole).toInt();
    const bool usb = type == PCRConst::CT_USB_Firmware_V1 || type == PCRConst::CT_USB_Firmware_V3;
    return (device.data(DevicesModel::ConnectionInitializedRole).toBool() ? 4 : 0) +
           (device.data(DevicesModel::IsConnectedRole).toBool() ? 2 : 0) + (usb ? 1 : 0);
}

qint64 DevicesProxyModel::number(const QModelIndex &device)
{
    bool whole = false;
    const qint64 serialNumber =
        device.data(DevicesModel::SerialNumberRole).toString().toLongLong(&whole, 10);
    if (whole && serialNumber != 0)
        return serialNumber;
    return device.data(DevicesModel::DeviceIdRole).toInt();
}
