#ifndef RUNNINGPROTOCOLSMODEL_H
#define RUNNINGPROTOCOLSMODEL_H

#include "protocolsmodel.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QVector>

// The library as the library page lists it: sorted by the criterion the
// user picked, with the role "nowRunning" telling whether a device runs
// the protocol. Running states come from the model of devices that hold a
// protocol (one row per device, roles "deviceId" and "protocolId").
class RunningProtocolsModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    enum SortRoles {
        NoneRole = 0,
        AZProtocolNameRole = 1,
        FavoriteRole = 2,
        RecentRole = 3,
        MostUsedRole = 4,
        NowRunningProtocolRole = 5
    };
    Q_ENUM(SortRoles)

    enum Roles { NowRunningRole = Qt::UserRole + 9 };

    RunningProtocolsModel(ProtocolsModel *protocols, QAbstractItemModel *nowRunning,
                          QObject *parent = nullptr);

    // Sorts by a SortRoles criterion; the proxy's sort role holds it.
    Q_INVOKABLE void setSortRole(int role);
    Q_INVOKABLE int protocolIndex(int protocolId) const;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void sortRoleChanged(const QString &roleName);

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private slots:
    void onRowsInserted(const QModelIndex &parent, int first, int last);
    void onRowsAboutToBeRemoved(const QModelIndex &parent, int first, int last);
    void onLeavingRowsGone();
    void onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                       const QVector<int> &roles);
    void onRunningRowsRearranged();
    void onSourceSortRoleChanged(const QString &roleName);

private:
    bool isRunning(int programId) const;
    // Milliseconds since the epoch of a last use, lowest for none.
    qint64 recency(const QVariant &lastUsed) const;
    // The protocol id a row of the running model shows now, -1 for none.
    int protocolOfRow(int row) const;
    void readRows(int first, int last, QSet<int> &protocolIds);
    // Protocols whose devices changed: tell views of those whose running
    // state is no longer the one last announced.
    void announce(const QSet<int> &protocolIds);

    QPointer<ProtocolsModel> m_protocols;
    QPointer<QAbstractItemModel> m_nowRunning;
    // The protocol each row of the running model showed when last seen.
    // A row may leave after its device dropped the protocol, or after the
    // device is gone; this still names the protocol it held.
    QVector<int> m_rowProtocols;
    QSet<int> m_announcedRunning;
    QSet<int> m_leavingProtocols;
    // Rows leave the running model before their device has left the list
    // of devices: the running state is read again once that has happened.
    QTimer m_leavingTimer;
    // Instants of local last-use times seen while sorting, by wall-clock reading.
    mutable QHash<qint64, qint64> m_localRecency;
};

#endif // RUNNINGPROTOCOLSMODEL_H
