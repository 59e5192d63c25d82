#ifndef RUNNINGDEVICESDOUBLE_H
#define RUNNINGDEVICESDOUBLE_H

#include <QSortFilterProxyModel>
#include <QStandardItemModel>

// Stands in for the model of devices that hold a protocol: a filtering
// proxy over a list of devices, so rows come and go exactly as the
// framework's filtering moves them (a device that drops its protocol has
// already dropped it when its row is announced to leave).
class RunningDevicesDouble : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    enum Roles {
        DeviceIdRole = Qt::UserRole + 5,
        IsConnectedRole = Qt::UserRole + 11,
        ProtocolIdRole = Qt::UserRole + 21,
        LidTemperatureRole = Qt::UserRole + 19,
        DeviceBusyRole = Qt::UserRole + 44
    };

    explicit RunningDevicesDouble(QObject *parent = nullptr);

    // Appends a connected, idle device holding no protocol; answers its id.
    int addDevice();
    // Appends a device that runs the protocol.
    int addRunningDevice(int protocolId);
    void removeDevice(int deviceId);
    // -1 drops the protocol.
    void setProtocol(int deviceId, int protocolId);
    void setBusy(int deviceId, bool busy);
    void setConnected(int deviceId, bool connected);
    void setLidTemperature(int deviceId, double temperature);

    // The first device holding the protocol, in device order, is connected
    // and busy with its run.
    Q_INVOKABLE bool isRunningProtocol(int programId) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QStandardItem *device(int deviceId) const;

    QStandardItemModel m_devices;
    int m_nextDeviceId = 100;
};

#endif // RUNNINGDEVICESDOUBLE_H
