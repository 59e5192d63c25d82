#ifndef NOWRUNNINGMODEL_H
#define NOWRUNNINGMODEL_H

#include <QHash>
#include <QSortFilterProxyModel>

class DevicesModel;
class PCRDevice;

// The devices that hold a protocol, whatever their state: one tab each on
// the running page. Also answers whether, and on how many devices, a
// protocol runs.
//
// A row leaves when its device has already dropped its protocol; until the
// row is gone it still reports the protocol it held, so that whoever counts
// a protocol's devices by rows sees it leave.
class NowRunningModel : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(int countRunning READ countRunning NOTIFY countRunningChanged)

public:
    explicit NowRunningModel(DevicesModel *devices, QObject *parent = nullptr);

    int count() const;
    // Online devices that run.
    int countRunning() const;
    // Whether the first device holding the protocol is connected and busy with its run.
    Q_INVOKABLE bool isRunningProtocol(int programId) const;
    bool isProtocolRunning(int programId) const;
    // Connected devices that run the protocol.
    int runningCount(int programId) const;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

signals:
    void countChanged();
    void countRunningChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    static bool holdsProgram(const PCRDevice &device, int programId);
    static bool runsProgram(const PCRDevice &device, int programId);
    void onRowsChanged();
    void rememberProtocols(int first, int last);
    void rememberAllProtocols();

    DevicesModel *const m_devices;
    // Device id to the protocol its row last showed.
    QHash<int, QVariant> m_shownProtocols;
};

#endif // NOWRUNNINGMODEL_H
