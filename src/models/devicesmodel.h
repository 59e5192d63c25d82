#ifndef DEVICESMODEL_H
#define DEVICESMODEL_H

#include "core/pcrdevice.h"

#include "connection/hiddevicedescription.h"
#include "utils/listitemmodel.h"
#include "utils/pcrconst.h"

#include <QHash>
#include <QList>
#include <QVariant>
#include <QVector>

class BLEDeviceInterface;

// Every known thermocycler, in the order it was found, with one role per
// thing the UI shows of it. Holds the devices; the core adds and removes
// them here.
//
// A device tells only that something changed. The model keeps what it last
// announced of each row and names in dataChanged just the roles whose values
// differ, so that a new temperature does not make the views redraw the row.
class DevicesModel : public ListItemModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Roles {
        DeviceNameRole = Qt::UserRole + 1,
        DeviceStatusRole,
        DeviceStatusNameRole,
        DeviceObjectRole,
        DeviceIdRole,
        ModelNameRole,
        SerialNumberRole,
        IsAutoStartSupportRole,
        AutoStartOnRole,
        FirmwareRole,
        IsConnectedRole,
        ConnectionInitializedRole,
        ConnectionTypeRole,
        ConnectionTypeNameRole,
        IsConnectingRole,
        IsDisconnectingRole,
        PowerVoltageRole,
        PowerIsConnectedRole,
        LidTemperatureRole,
        SampleTemperatureRole,
        ProtocolIdRole,
        ProtocolNameRole,
        ProtocolTypeRole,
        ProtocolTimeRole,
        ProtocolRemainingTimeRole,
        ProtocolCurrentStepCurrentCycleRole,
        ProtocolCurrentStepTotalCycleRole,
        ProtocolCurrentCycleRole,
        ProtocolTotalCycleRole,
        ProtocolStepNameRole,
        ProtocolStepTypeRole,
        ProtocolStepTimeRole,
        ProtocolIsPCRStyleStepRole,
        ProtocolHadPCRStyleStepRole,
        ProtocolPropertyModelRole,
        ProtocolIsFlexRole,
        ProtocolFlexStepNumberRole,
        ProtocolFlexStepNameRole,
        ProtocolIsFinishedRole,
        TempChartDataRole,
        TempChartDataTotalTimeRole,
        DnaChartDataRole,
        EepromBusyRole,
        DeviceBusyRole,
        BleNameRole,
        BleIdRole,
    };
    Q_ENUM(Roles)

    explicit DevicesModel(QObject *parent = nullptr);

    // Its protocol pointer is set and of a valid type.
    static bool holdsProtocol(const PCRDevice &device);

    // Appended, with what the cache remembers under its BLE id.
    void addDevice(const PCRDevicePtr &device);
    // Remembers a stored device's identity for when its machine is found again.
    void cacheDeviceData(const PCRDevicePtr &device);
    PCRDevicePtr getDeviceById(int deviceId) const;
    // Null outside the list.
    PCRDevicePtr deviceAt(int row) const;
    int rowOf(int deviceId) const;
    // In row order.
    PCRDeviceList devices() const;
    PCRDeviceList onlineDevices() const;
    // Distinct, in the row order of their first online device.
    QList<PCRConst::ConnectionType> connectionTypes() const;
    // A known device that matches is reconnected unless it is initialised or connecting.
    bool knowsHidDevice(const HidDeviceDescription &description);
    // A known device that matches gets the link if it has none.
    bool knowsBleDevice(BLEDeviceInterface *bleDevice);
    int count() const override;

    Q_INVOKABLE void deleteDevice(int deviceId);
    Q_INVOKABLE void connectDevice(int deviceId);
    Q_INVOKABLE void disconnectDevice(int deviceId);
    Q_INVOKABLE int connectedCount() const;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Name and auto start of an initialised device.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QHash<int, QByteArray> roleNames() const override;

public slots:
    // The sending device's row, for the given roles (all when empty).
    void deviceDataUpdated(QVector<int> roles = {});
    void onDataUpdated();
    void onEepromBusyChanged();
    void onDeviceBusyChanged();

signals:
    void countChanged(int count);
    // For the core's BLE provider; the model itself never asks.
    void enableDeviceDiscovery();
    void disableDeviceDiscovery();

private:
    struct CachedDevice
    {
        QString machineName;
        QString modelName;
        QString firmware;
        QString serialNumber;
        bool autoStartOn = false;
    };

    struct Row
    {
        PCRDevicePtr device;
        // What was last announced, by role, and the run activity no role shows.
        QVector<QVariant> shown;
        int runActivity = 0;
    };

    static QVariant roleValue(const PCRDevice &device, int role);
    static int runActivity(const PCRDevice &device);
    void applyCache(PCRDevice &device) const;
    void watch(PCRDevice *device);
    int rowOfSender() const;
    // Notes the current values of the roles (all when none are given) and
    // announces those that changed.
    void announceChanges(int row, const QVector<int> &roles);
    static QVector<int> noteChangedRoles(Row &row, const QVector<int> &roles);
    static bool noteRunActivity(Row &row);
    static QVector<int> allRoles();
    QVector<QVariant> currentValues(const PCRDevice &device) const;

    QVector<Row> m_rows;
    QHash<QString, CachedDevice> m_cache;
    const QHash<int, QByteArray> m_roleNames;
};

#endif // DEVICESMODEL_H
