#include "devicesmodel.h"

#include "program/propertymodel.h"

#include "bledeviceinterface.h"

#include <QDebug>
#include <QMetaObject>

#include <algorithm>
#include <utility>

namespace {

using Value = QVariant (*)(const PCRDevice &);

struct RoleSpec
{
    int role;
    const char *name;
    Value value;
};

QVariant positiveOrZero(double value)
{
    return value > 0 ? value : 0.0;
}

// The protocol roles that only a held protocol has.
template <class Get>
QVariant ofProtocol(const PCRDevice &device, Get get)
{
    if (!DevicesModel::holdsProtocol(device))
        return {};
    return get(*device.activeProgram());
}

// In role order: a role's value is table[role - DeviceNameRole].
const RoleSpec roleTable[] = {
    {DevicesModel::DeviceNameRole, "deviceName",
     [](const PCRDevice &d) -> QVariant { return d.machineName(); }},
    {DevicesModel::DeviceStatusRole, "deviceStatus",
     [](const PCRDevice &d) -> QVariant { return int(d.shownStatus()); }},
    {DevicesModel::DeviceStatusNameRole, "deviceStatusName",
     [](const PCRDevice &d) -> QVariant { return deviceStatusText(d.shownStatus()); }},
    {DevicesModel::DeviceObjectRole, "deviceObject",
     [](const PCRDevice &d) { return QVariant::fromValue(const_cast<PCRDevice *>(&d)); }},
    {DevicesModel::DeviceIdRole, "deviceId",
     [](const PCRDevice &d) -> QVariant { return d.deviceId(); }},
    {DevicesModel::ModelNameRole, "modelName",
     [](const PCRDevice &d) -> QVariant { return d.modelName(); }},
    {DevicesModel::SerialNumberRole, "serialNumber",
     [](const PCRDevice &d) -> QVariant { return d.serialNumber(); }},
    {DevicesModel::IsAutoStartSupportRole, "isAutoStartSupport",
     [](const PCRDevice &d) -> QVariant {
         return d.connectionType() > PCRConst::CT_USB_Firmware_V1;
     }},
    {DevicesModel::AutoStartOnRole, "autoStartOn",
     [](const PCRDevice &d) -> QVariant { return d.autoStartOn(); }},
    {DevicesModel::FirmwareRole, "firmware",
     [](const PCRDevice &d) -> QVariant { return d.firmware(); }},
    {DevicesModel::IsConnectedRole, "isConnected",
     [](const PCRDevice &d) -> QVariant { return d.isConnected(); }},
    {DevicesModel::ConnectionInitializedRole, "connectionInitialized",
     [](const PCRDevice &d) -> QVariant { return d.isConnectionInitialized(); }},
    {DevicesModel::ConnectionTypeRole, "connectionType",
     [](const PCRDevice &d) -> QVariant { return int(d.connectionType()); }},
    {DevicesModel::ConnectionTypeNameRole, "connectionTypeName",
     [](const PCRDevice &d) -> QVariant { return d.connectionTypeName(); }},
    {DevicesModel::IsConnectingRole, "isConnecting",
     [](const PCRDevice &d) -> QVariant { return d.isConnecting(); }},
    {DevicesModel::IsDisconnectingRole, "isDisconnecting",
     [](const PCRDevice &d) -> QVariant { return d.isDisconnecting(); }},
    {DevicesModel::PowerVoltageRole, "powerVoltage",
     [](const PCRDevice &d) -> QVariant { return double(d.powerVoltage()); }},
    {DevicesModel::PowerIsConnectedRole, "powerIsConnected",
     [](const PCRDevice &d) -> QVariant { return d.isPowered(); }},
    {DevicesModel::LidTemperatureRole, "lidTemperature",
     [](const PCRDevice &d) { return positiveOrZero(double(d.lidTemperature())); }},
    {DevicesModel::SampleTemperatureRole, "sampleTemperature",
     [](const PCRDevice &d) { return positiveOrZero(double(d.sampleTemperature())); }},
    {DevicesModel::ProtocolIdRole, "protocolId",
     [](const PCRDevice &d) {
         return ofProtocol(d, [](const Program &p) -> QVariant { return p.programId(); });
     }},
    {DevicesModel::ProtocolNameRole, "protocolName",
     [](const PCRDevice &d) {
         return ofProtocol(d, [](const Program &p) -> QVariant { return p.name(); });
     }},
    {DevicesModel::ProtocolTypeRole, "protocolType",
     [](const PCRDevice &d) {
         return ofProtocol(d, [](const Program &p) -> QVariant { return int(p.programType()); });
     }},
    {DevicesModel::ProtocolTimeRole, "protocolTime",
     [](const PCRDevice &d) -> QVariant { return int(d.elapsedSeconds()); }},
    {DevicesModel::ProtocolRemainingTimeRole, "protocolRemainingTime",
     [](const PCRDevice &d) -> QVariant { return int(d.remainingSeconds()); }},
    {DevicesModel::ProtocolCurrentStepCurrentCycleRole, "protocolCurrentStepCurrentCycle",
     [](const PCRDevice &d) -> QVariant { return d.stepTracker().stepCurrentCycle(); }},
    {DevicesModel::ProtocolCurrentStepTotalCycleRole, "protocolCurrentStepTotalCycle",
     [](const PCRDevice &d) -> QVariant { return d.stepTracker().stepTotalCycles(); }},
    {DevicesModel::ProtocolCurrentCycleRole, "protocolCurrentCycle",
     [](const PCRDevice &d) -> QVariant { return d.stepTracker().currentCycle(); }},
    {DevicesModel::ProtocolTotalCycleRole, "protocolTotalCycle",
     [](const PCRDevice &d) -> QVariant { return d.stepTracker().totalCycles(); }},
    {DevicesModel::ProtocolStepNameRole, "protocolStepName",
     [](const PCRDevice &d) -> QVariant { return stepNameText(d.stepTracker().stepKind()); }},
    {DevicesModel::ProtocolStepTypeRole, "protocolStepType",
     [](const PCRDevice &d) -> QVariant { return int(d.stepTracker().stepKind()); }},
    {DevicesModel::ProtocolStepTimeRole, "protocolStepTime",
     [](const PCRDevice &d) -> QVariant { return d.stepTimeSeconds(); }},
    {DevicesModel::ProtocolIsPCRStyleStepRole, "protocolIsPCRStyleStep",
     [](const PCRDevice &d) -> QVariant { return d.stepTracker().isPcrStyleStep(); }},
    {DevicesModel::ProtocolHadPCRStyleStepRole, "protocolHadPCRStyleStep",
     [](const PCRDevice &d) -> QVariant { return d.stepTracker().hadPcrStyleStep(); }},
    {DevicesModel::ProtocolPropertyModelRole, "protocolPropertyModel",
     [](const PCRDevice &d) {
         return ofProtocol(d,
                           [](const Program &p) { return QVariant::fromValue(p.propertyModel()); });
     }},
    {DevicesModel::ProtocolIsFlexRole, "protocolIsFlex",
     [](const PCRDevice &d) -> QVariant { return d.stepTracker().isFlex(); }},
    {DevicesModel::ProtocolFlexStepNumberRole, "protocolFlexStepNumber",
     [](const PCRDevice &d) -> QVariant { return d.stepTracker().flexStepNumber(); }},
    {DevicesModel::ProtocolFlexStepNameRole, "protocolFlexStepName",
     [](const PCRDevice &d) -> QVariant {
         return programTypeLabel(d.stepTracker().flexStepType());
     }},
    {DevicesModel::ProtocolIsFinishedRole, "protocolIsFinished",
     [](const PCRDevice &d) -> QVariant { return d.isFinished(); }},
    {DevicesModel::TempChartDataRole, "tempChartData",
     [](const PCRDevice &d) { return QVariant::fromValue(d.tempChart()); }},
    {DevicesModel::TempChartDataTotalTimeRole, "tempChartDataTotalTime",
     [](const PCRDevice &d) -> QVariant { return qMax<qint64>(0, d.chartSpanSeconds()); }},
    {DevicesModel::DnaChartDataRole, "dnaChartData",
     [](const PCRDevice &d) { return QVariant::fromValue(d.dnaChart()); }},
    {DevicesModel::EepromBusyRole, "eepromBusy",
     [](const PCRDevice &d) -> QVariant { return d.isEepromBusy(); }},
    {DevicesModel::DeviceBusyRole, "deviceBusy",
     [](const PCRDevice &d) -> QVariant { return d.isDeviceBusy(); }},
    {DevicesModel::BleNameRole, "bleName",
     [](const PCRDevice &d) -> QVariant { return d.bleName(); }},
    {DevicesModel::BleIdRole, "bleId", [](const PCRDevice &d) -> QVariant { return d.bleId(); }},
};

constexpr int roleCount = int(std::size(roleTable));

bool isDeviceRole(int role)
{
    return role >= DevicesModel::DeviceNameRole && role < DevicesModel::DeviceNameRole + roleCount;
}

int slotOf(int role)
{
    return role - DevicesModel::DeviceNameRole;
}

QHash<int, QByteArray> buildRoleNames()
{
    QHash<int, QByteArray> names;
    for (const RoleSpec &entry : roleTable)
        names.insert(entry.role, entry.name);
    return names;
}

// Equal values of the same type: an int 0 is not an absent protocol.
bool sameValue(const QVariant &left, const QVariant &right)
{
    return left.userType() == right.userType() && left == right;
}

QString cacheText(const QString &machineName, const QString &modelName, const QString &firmware,
                  const QString &serialNumber, bool autoStartOn)
{
    return QStringLiteral("Machine name: ") + machineName + QStringLiteral(", model name: ") +
           modelName + QStringLiteral(", firmware: ") + firmware + QStringLiteral(", s/n: ") +
           serialNumber + QStringLiteral(", auto start: ") +
           (autoStartOn ? QStringLiteral("true") : QStringLiteral("false"));
}

} // namespace

DevicesModel::DevicesModel(QObject *parent)
    : ListItemModel(parent)
    , m_roleNames(buildRoleNames())
{
    static_assert(std::size(roleTable) == BleIdRole - DeviceNameRole + 1, "one entry per role");
}

bool DevicesModel::holdsProtocol(const PCRDevice &device)
{
    const ProgramPtr program = device.activeProgram();
    return program && program->programType() != Program::PT_INVALID;
}

// Devices

void DevicesModel::addDevice(const PCRDevicePtr &device)
{
    if (!device || rowOf(device->deviceId()) >= 0)
        return;
    applyCache(*device);
    const int row = m_rows.size();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.append(Row{device, currentValues(*device), runActivity(*device)});
    watch(device.data());
    endInsertRows();
    emit countChanged(count());
}

void DevicesModel::applyCache(PCRDevice &device) const
{
    const auto cached = m_cache.constFind(device.bleId());
    if (cached == m_cache.constEnd())
        return;
    qInfo().noquote() << "Using cached device data"
                      << cacheText(cached->machineName, cached->modelName, cached->firmware,
                                   cached->serialNumber, cached->autoStartOn);
    device.showStoredIdentity(cached->machineName, cached->modelName, cached->firmware,
                              cached->serialNumber, cached->autoStartOn);
}

void DevicesModel::watch(PCRDevice *device)
{
    connect(device, &PCRDevice::dataUpdated, this, &DevicesModel::onDataUpdated);
    connect(device, &PCRDevice::eepromBusyChanged, this, &DevicesModel::onEepromBusyChanged);
    connect(device, &PCRDevice::deviceBusyChanged, this, &DevicesModel::onDeviceBusyChanged);
}

void DevicesModel::cacheDeviceData(const PCRDevicePtr &device)
{
    // USB machines have no BLE id: one entry under the empty id would give
    // one machine's name to another.
    if (!device || device->bleId().isEmpty())
        return;
    m_cache.insert(device->bleId(),
                   CachedDevice{device->machineName(), device->modelName(), device->firmware(),
                                device->serialNumber(), device->autoStartOn()});
}

PCRDevicePtr DevicesModel::getDeviceById(int deviceId) const
{
    return deviceAt(rowOf(deviceId));
}

PCRDevicePtr DevicesModel::deviceAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).device : PCRDevicePtr();
}

int DevicesModel::rowOf(int deviceId) const
{
    const auto found = std::find_if(m_rows.cbegin(), m_rows.cend(), [deviceId](const Row &row) {
        return row.device->deviceId() == deviceId;
    });
    return found == m_rows.cend() ? -1 : int(found - m_rows.cbegin());
}

PCRDeviceList DevicesModel::devices() const
{
    PCRDeviceList list;
    list.reserve(m_rows.size());
    for (const Row &row : m_rows)
        list.append(row.device);
    return list;
}

PCRDeviceList DevicesModel::onlineDevices() const
{
    PCRDeviceList list;
    for (const Row &row : m_rows) {
        if (row.device->isOnline())
            list.append(row.device);
    }
    return list;
}

QList<PCRConst::ConnectionType> DevicesModel::connectionTypes() const
{
    QList<PCRConst::ConnectionType> types;
    for (const PCRDevicePtr &device : onlineDevices()) {
        if (!types.contains(device->connectionType()))
            types.append(device->connectionType());
    }
    return types;
}

bool DevicesModel::knowsHidDevice(const HidDeviceDescription &description)
{
    const auto found = std::find_if(m_rows.cbegin(), m_rows.cend(), [&description](const Row &row) {
        return row.device->matchesHid(description);
    });
    if (found == m_rows.cend())
        return false;
    PCRDevice &device = *found->device;
    if (!device.isConnectionInitialized() && !device.isConnecting())
        device.reconnect(description);
    return true;
}

bool DevicesModel::knowsBleDevice(BLEDeviceInterface *bleDevice)
{
    const auto found = std::find_if(m_rows.cbegin(), m_rows.cend(), [bleDevice](const Row &row) {
        return row.device->matchesBle(bleDevice);
    });
    if (found == m_rows.cend())
        return false;
    PCRDevice &device = *found->device;
    if (!device.bleDevice())
        device.setBleDevice(bleDevice);
    return true;
}

int DevicesModel::count() const
{
    return m_rows.size();
}

void DevicesModel::deleteDevice(int deviceId)
{
    const int row = rowOf(deviceId);
    if (row < 0)
        return;
    qInfo() << "Deleting device:" << row;
    beginRemoveRows(QModelIndex(), row, row);
    const PCRDevicePtr device = m_rows.takeAt(row).device;
    device->disconnect(this);
    endRemoveRows();
    emit countChanged(count());
    // The last reference goes with the event loop's next turn, after the
    // views have let go of the object; other holders keep it alive.
    QMetaObject::invokeMethod(
        this, [device] { Q_UNUSED(device) }, Qt::QueuedConnection);
}

void DevicesModel::connectDevice(int deviceId)
{
    if (const PCRDevicePtr device = getDeviceById(deviceId))
        device->connectDevice();
}

void DevicesModel::disconnectDevice(int deviceId)
{
    if (const PCRDevicePtr device = getDeviceById(deviceId))
        device->disconnectDevice(false);
}

int DevicesModel::connectedCount() const
{
    return int(std::count_if(m_rows.cbegin(), m_rows.cend(),
                             [](const Row &row) { return row.device->isConnected(); }));
}

// Item model

QVariant DevicesModel::data(const QModelIndex &index, int role) const
{
    const PCRDevicePtr device = deviceAt(index.isValid() ? index.row() : -1);
    if (!device || !isDeviceRole(role))
        return QVariant();
    return roleValue(*device, role);
}

bool DevicesModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const int row = index.isValid() ? index.row() : -1;
    const PCRDevicePtr device = deviceAt(row);
    if (!device || !device->isConnectionInitialized())
        return false;
    if (role == DeviceNameRole) {
        // Shown once the machine confirms it; announced then.
        const QString oldName = device->machineName();
        const QString newName = value.toString();
        if (!device->setMachineName(newName))
            return false;
        qInfo() << "Changing device name from" << oldName << newName;
    } else if (role == AutoStartOnRole) {
        device->setAutoStartOn(value.toBool());
    } else {
        return true;
    }
    announceChanges(row, {role});
    return true;
}

QHash<int, QByteArray> DevicesModel::roleNames() const
{
    return m_roleNames;
}

// Change notifications

void DevicesModel::deviceDataUpdated(QVector<int> roles)
{
    const int row = rowOfSender();
    if (row >= 0)
        announceChanges(row, roles);
}

void DevicesModel::onDataUpdated()
{
    deviceDataUpdated();
}

void DevicesModel::onEepromBusyChanged()
{
    deviceDataUpdated({EepromBusyRole});
}

void DevicesModel::onDeviceBusyChanged()
{
    deviceDataUpdated({DeviceBusyRole});
}

int DevicesModel::rowOfSender() const
{
    const QObject *device = sender();
    const auto found = std::find_if(m_rows.cbegin(), m_rows.cend(),
                                    [device](const Row &row) { return row.device == device; });
    return found == m_rows.cend() ? -1 : int(found - m_rows.cbegin());
}

void DevicesModel::announceChanges(int row, const QVector<int> &roles)
{
    const QVector<int> changed =
        noteChangedRoles(m_rows[row], roles.isEmpty() ? allRoles() : roles);
    // A run that starts or ends shows in no role of its own; whoever
    // follows it hears of a change of the row.
    const bool activityChanged = roles.isEmpty() && noteRunActivity(m_rows[row]);
    if (changed.isEmpty() && !activityChanged)
        return;
    const QModelIndex at = index(row, 0);
    emit dataChanged(at, at, changed);
}

QVector<int> DevicesModel::noteChangedRoles(Row &row, const QVector<int> &roles)
{
    QVector<int> changed;
    for (const int role : roles) {
        if (!isDeviceRole(role))
            continue;
        QVariant value = roleValue(*row.device, role);
        QVariant &last = row.shown[slotOf(role)];
        if (sameValue(last, value))
            continue;
        last = std::move(value);
        changed.append(role);
    }
    return changed;
}

bool DevicesModel::noteRunActivity(Row &row)
{
    const int activity = runActivity(*row.device);
    return std::exchange(row.runActivity, activity) != activity;
}

QVector<int> DevicesModel::allRoles()
{
    static const QVector<int> roles = [] {
        QVector<int> all;
        for (const RoleSpec &entry : roleTable)
            all.append(entry.role);
        return all;
    }();
    return roles;
}

QVector<QVariant> DevicesModel::currentValues(const PCRDevice &device) const
{
    QVector<QVariant> values;
    values.reserve(roleCount);
    for (const RoleSpec &entry : roleTable)
        values.append(entry.value(device));
    return values;
}

QVariant DevicesModel::roleValue(const PCRDevice &device, int role)
{
    return roleTable[slotOf(role)].value(device);
}

int DevicesModel::runActivity(const PCRDevice &device)
{
    return (device.isRunning() ? 2 : 0) | (device.isBusyWithRun() ? 1 : 0);
}
