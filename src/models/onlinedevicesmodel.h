#ifndef ONLINEDEVICESMODEL_H
#define ONLINEDEVICESMODEL_H

#include "core/pcrdevice.h"

#include <QSortFilterProxyModel>

class DevicesModel;

// The devices a run can go to (connected, with an initialised connection)
// and the user's choice among them. The choice is kept on the device
// objects, so that it survives a device going offline and coming back.
class OnlineDevicesModel : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(int selectedCount READ selectedCount NOTIFY selectedCountChanged)

public:
    enum Roles { DeviceNameRole = 0, DeviceIdRole = 1, IsSelectedRole = 2, EepromBusyRole = 3 };
    Q_ENUM(Roles)

    explicit OnlineDevicesModel(DevicesModel *devices, QObject *parent = nullptr);

    int count() const;
    int selectedCount() const;
    Q_INVOKABLE void clearSelection();
    // Offline devices that kept their selection count too.
    Q_INVOKABLE bool selectionHasModelName(const QString &modelName) const;

    // In the devices' row order.
    PCRDeviceList selectedDevices() const;
    PCRDevicePtr getOnlineDeviceById(int deviceId) const;
    // Null when there is none.
    PCRDevicePtr firstDevice() const;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();
    void selectedCountChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    static bool isSelected(const PCRDevice &device);
    PCRDevicePtr deviceAt(const QModelIndex &index) const;
    // Our roles are not the devices' roles: say which of ours a change touched.
    void onSourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                             const QVector<int> &sourceRoles);
    void onRowsChanged();

    DevicesModel *const m_devices;
};

#endif // ONLINEDEVICESMODEL_H
