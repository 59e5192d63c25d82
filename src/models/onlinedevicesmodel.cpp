#include "onlinedevicesmodel.h"

#include "devicesmodel.h"

#include "utils/pcrconst.h"

#include <QDebug>

#include <algorithm>

OnlineDevicesModel::OnlineDevicesModel(DevicesModel *devices, QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_devices(devices)
{
    setSourceModel(devices);
    // After the proxy's own handling, so that rows have been let in or out.
    connect(devices, &DevicesModel::dataChanged, this, &OnlineDevicesModel::onSourceDataChanged);
    connect(this, &OnlineDevicesModel::rowsInserted, this, &OnlineDevicesModel::onRowsChanged);
    connect(this, &OnlineDevicesModel::rowsRemoved, this, &OnlineDevicesModel::onRowsChanged);
    connect(this, &OnlineDevicesModel::modelReset, this, &OnlineDevicesModel::onRowsChanged);
}

int OnlineDevicesModel::count() const
{
    return rowCount();
}

int OnlineDevicesModel::selectedCount() const
{
    return selectedDevices().size();
}

void OnlineDevicesModel::clearSelection()
{
    qDebug() << "Clear selection";
    for (const PCRDevicePtr &device : m_devices->devices())
        device->setProperty(isSelectedRole.constData(), false);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {IsSelectedRole});
    emit selectedCountChanged();
}

bool OnlineDevicesModel::selectionHasModelName(const QString &modelName) const
{
    const PCRDeviceList devices = m_devices->devices();
    return std::any_of(devices.crbegin(), devices.crend(), [&modelName](const PCRDevicePtr &d) {
        return isSelected(*d) && d->modelName() == modelName;
    });
}

PCRDeviceList OnlineDevicesModel::selectedDevices() const
{
    PCRDeviceList selected;
    for (const PCRDevicePtr &device : m_devices->onlineDevices()) {
        if (isSelected(*device))
            selected.append(device);
    }
    return selected;
}

PCRDevicePtr OnlineDevicesModel::getOnlineDeviceById(int deviceId) const
{
    const PCRDevicePtr device = m_devices->getDeviceById(deviceId);
    return device && device->isOnline() ? device : PCRDevicePtr();
}

PCRDevicePtr OnlineDevicesModel::firstDevice() const
{
    return deviceAt(index(0, 0));
}

QVariant OnlineDevicesModel::data(const QModelIndex &index, int role) const
{
    const PCRDevicePtr device = deviceAt(index);
    if (!device)
        return QVariant();
    switch (role) {
    case DeviceNameRole:
        return device->machineName();
    case DeviceIdRole:
        return device->deviceId();
    case IsSelectedRole:
        return isSelected(*device);
    case EepromBusyRole:
        return device->isEepromBusy();
    default:
        return QVariant();
    }
}

bool OnlineDevicesModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const PCRDevicePtr device = deviceAt(index);
    if (!device)
        return false;
    if (role != IsSelectedRole || isSelected(*device) == value.toBool())
        return true;
    device->setProperty(isSelectedRole.constData(), value.toBool());
    emit dataChanged(index, index, {IsSelectedRole});
    emit selectedCountChanged();
    return true;
}

QHash<int, QByteArray> OnlineDevicesModel::roleNames() const
{
    return {{DeviceNameRole, QByteArrayLiteral("deviceName")},
            {IsSelectedRole, isSelectedRole},
            {EepromBusyRole, QByteArrayLiteral("eepromBusy")}};
}

bool OnlineDevicesModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    const PCRDevicePtr device = m_devices->deviceAt(sourceRow);
    return device && device->isOnline();
}

bool OnlineDevicesModel::isSelected(const PCRDevice &device)
{
    return device.property(isSelectedRole.constData()).toBool();
}

PCRDevicePtr OnlineDevicesModel::deviceAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return PCRDevicePtr();
    return m_devices->deviceAt(mapToSource(index).row());
}

void OnlineDevicesModel::onSourceDataChanged(const QModelIndex &topLeft,
                                             const QModelIndex &bottomRight,
                                             const QVector<int> &sourceRoles)
{
    QVector<int> roles;
    if (sourceRoles.contains(DevicesModel::DeviceNameRole))
        roles.append(DeviceNameRole);
    if (sourceRoles.contains(DevicesModel::EepromBusyRole))
        roles.append(EepromBusyRole);
    if (roles.isEmpty())
        return;
    for (int sourceRow = topLeft.row(); sourceRow <= bottomRight.row(); ++sourceRow) {
        const QModelIndex row = mapFromSource(m_devices->index(sourceRow, 0));
        if (row.isValid())
            emit dataChanged(row, row, roles);
    }
}

void OnlineDevicesModel::onRowsChanged()
{
    emit countChanged();
    emit selectedCountChanged();
}
