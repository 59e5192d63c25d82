#include "nowrunningmodel.h"

#include "devicesmodel.h"

#include <algorithm>

NowRunningModel::NowRunningModel(DevicesModel *devices, QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_devices(devices)
{
    setSourceModel(devices);
    rememberAllProtocols();
    // Connected before anyone else can: what rows show is noted before others read it.
    connect(this, &NowRunningModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { rememberProtocols(first, last); });
    connect(this, &NowRunningModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                rememberProtocols(topLeft.row(), bottomRight.row());
            });
    connect(this, &NowRunningModel::rowsRemoved, this, &NowRunningModel::rememberAllProtocols);
    connect(this, &NowRunningModel::modelReset, this, &NowRunningModel::rememberAllProtocols);
    connect(this, &NowRunningModel::rowsInserted, this, &NowRunningModel::onRowsChanged);
    connect(this, &NowRunningModel::rowsRemoved, this, &NowRunningModel::onRowsChanged);
    connect(this, &NowRunningModel::modelReset, this, &NowRunningModel::onRowsChanged);
    connect(this, &NowRunningModel::dataChanged, this, &NowRunningModel::countRunningChanged);
}

int NowRunningModel::count() const
{
    return rowCount();
}

int NowRunningModel::countRunning() const
{
    const PCRDeviceList online = m_devices->onlineDevices();
    return int(std::count_if(online.cbegin(), online.cend(),
                             [](const PCRDevicePtr &device) { return device->isRunning(); }));
}

bool NowRunningModel::isRunningProtocol(int programId) const
{
    const PCRDeviceList devices = m_devices->devices();
    const auto holder =
        std::find_if(devices.cbegin(), devices.cend(), [programId](const PCRDevicePtr &device) {
            return holdsProgram(*device, programId);
        });
    return holder != devices.cend() && (*holder)->isConnected() && (*holder)->isBusyWithRun();
}

bool NowRunningModel::isProtocolRunning(int programId) const
{
    return runningCount(programId) > 0;
}

int NowRunningModel::runningCount(int programId) const
{
    const PCRDeviceList devices = m_devices->devices();
    return int(
        std::count_if(devices.cbegin(), devices.cend(), [programId](const PCRDevicePtr &device) {
            return runsProgram(*device, programId);
        }));
}

QVariant NowRunningModel::data(const QModelIndex &index, int role) const
{
    QVariant value = QSortFilterProxyModel::data(index, role);
    if (role != DevicesModel::ProtocolIdRole || value.isValid() || !index.isValid())
        return value;
    const int deviceId = QSortFilterProxyModel::data(index, DevicesModel::DeviceIdRole).toInt();
    return m_shownProtocols.value(deviceId);
}

bool NowRunningModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    const PCRDevicePtr device = m_devices->deviceAt(sourceRow);
    return device && DevicesModel::holdsProtocol(*device);
}

bool NowRunningModel::holdsProgram(const PCRDevice &device, int programId)
{
    const ProgramPtr program = device.activeProgram();
    return program && program->programId() == programId;
}

bool NowRunningModel::runsProgram(const PCRDevice &device, int programId)
{
    return holdsProgram(device, programId) && device.isConnected() && device.isRunning();
}

void NowRunningModel::onRowsChanged()
{
    emit countChanged();
    emit countRunningChanged();
}

void NowRunningModel::rememberProtocols(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        const QModelIndex at = index(row, 0);
        const QVariant protocolId = QSortFilterProxyModel::data(at, DevicesModel::ProtocolIdRole);
        if (protocolId.isValid())
            m_shownProtocols.insert(at.data(DevicesModel::DeviceIdRole).toInt(), protocolId);
    }
}

void NowRunningModel::rememberAllProtocols()
{
    m_shownProtocols.clear();
    rememberProtocols(0, rowCount() - 1);
}
