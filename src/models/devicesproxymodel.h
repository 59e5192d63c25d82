#ifndef DEVICESPROXYMODEL_H
#define DEVICESPROXYMODEL_H

#include <QSortFilterProxyModel>

class DevicesModel;

// The devices page's order: initialised before merely connected, connected
// before disconnected, USB before BLE and emulated at the same level, and
// within a level the higher serial number (or, without one, device id)
// first. Kept sorted as the devices change.
class DevicesProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit DevicesProxyModel(DevicesModel *devices, QObject *parent = nullptr);

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    static int priority(const QModelIndex &device);
    static qint64 number(const QModelIndex &device);
};

#endif // DEVICESPROXYMODEL_H
