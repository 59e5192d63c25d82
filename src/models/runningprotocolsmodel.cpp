#include "runningprotocolsmodel.h"

#include "protocolsmodel.h"

#include <QDateTime>
#include <QDebug>

#include <limits>
#include <optional>
#include <utility>

namespace {

// The role of the running model's rows naming the device's protocol.
constexpr int deviceProtocolIdRole = Qt::UserRole + 21;
constexpr qint64 MSecsPerDay = 24 * 60 * 60 * 1000;

// The library role a criterion compares, -1 for the criteria that keep the
// library's order.
int comparedRole(int criterion)
{
    switch (criterion) {
    case RunningProtocolsModel::AZProtocolNameRole:
        return ProtocolsModel::ProtocolNameRole;
    case RunningProtocolsModel::FavoriteRole:
        return ProtocolsModel::IsFavoriteRole;
    case RunningProtocolsModel::RecentRole:
        return ProtocolsModel::LastUsedRole;
    case RunningProtocolsModel::MostUsedRole:
        return ProtocolsModel::UsedCountRole;
    default:
        return -1;
    }
}

// Whether left comes before right by the criterion's key; nullopt when the
// keys are equal.
std::optional<bool> keyOrder(int criterion, const QVariant &left, const QVariant &right)
{
    switch (criterion) {
    case RunningProtocolsModel::AZProtocolNameRole: {
        const QString leftName = left.toString().toUpper();
        const QString rightName = right.toString().toUpper();
        if (leftName == rightName)
            return std::nullopt;
        return leftName < rightName;
    }
    case RunningProtocolsModel::FavoriteRole:
        if (left.toBool() == right.toBool())
            return std::nullopt;
        return left.toBool();
    case RunningProtocolsModel::MostUsedRole:
        if (left.toInt() == right.toInt())
            return std::nullopt;
        return left.toInt() > right.toInt();
    default:
        return std::nullopt;
    }
}

} // namespace

RunningProtocolsModel::RunningProtocolsModel(ProtocolsModel *protocols,
                                             QAbstractItemModel *nowRunning, QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_protocols(protocols)
    , m_nowRunning(nowRunning)
{
    setSourceModel(protocols);
    // Sorted from the start, in the library's order, so that choosing a
    // criterion sorts once.
    sort(0, Qt::AscendingOrder);
    connect(protocols, &ProtocolsModel::sortRoleChanged, this,
            &RunningProtocolsModel::sortRoleChanged);
    connect(protocols, &ProtocolsModel::sortRoleChanged, this,
            &RunningProtocolsModel::onSourceSortRoleChanged);
    m_leavingTimer.setSingleShot(true);
    m_leavingTimer.setInterval(0);
    connect(&m_leavingTimer, &QTimer::timeout, this, &RunningProtocolsModel::onLeavingRowsGone);
    if (!nowRunning)
        return;
    if (nowRunning->metaObject()->indexOfMethod("isRunningProtocol(int)") < 0)
        qWarning() << "Running devices model without isRunningProtocol(int):"
                   << nowRunning->metaObject()->className();
    connect(nowRunning, &QAbstractItemModel::rowsInserted, this,
            &RunningProtocolsModel::onRowsInserted);
    connect(nowRunning, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &RunningProtocolsModel::onRowsAboutToBeRemoved);
    connect(nowRunning, &QAbstractItemModel::dataChanged, this,
            &RunningProtocolsModel::onDataChanged);
    connect(nowRunning, &QAbstractItemModel::modelReset, this,
            &RunningProtocolsModel::onRunningRowsRearranged);
    connect(nowRunning, &QAbstractItemModel::layoutChanged, this,
            &RunningProtocolsModel::onRunningRowsRearranged);
    connect(nowRunning, &QAbstractItemModel::rowsMoved, this,
            &RunningProtocolsModel::onRunningRowsRearranged);
    onRunningRowsRearranged();
}

void RunningProtocolsModel::setSortRole(int role)
{
    if (role == sortRole())
        return;
    QSortFilterProxyModel::setSortRole(role);
    m_localRecency.clear();
    sort(0, Qt::AscendingOrder);
}

int RunningProtocolsModel::protocolIndex(int protocolId) const
{
    if (!m_protocols)
        return -1;
    const int sourceRow = m_protocols->getRowByProgramId(protocolId);
    if (sourceRow < 0)
        return -1;
    return mapFromSource(m_protocols->index(sourceRow, 0)).row();
}

QVariant RunningProtocolsModel::data(const QModelIndex &index, int role) const
{
    if (role != NowRunningRole)
        return QSortFilterProxyModel::data(index, role);
    const QVariant programId = QSortFilterProxyModel::data(index, ProtocolsModel::ProgramIdRole);
    if (!programId.isValid())
        return {};
    return isRunning(programId.toInt());
}

bool RunningProtocolsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role == NowRunningRole)
        return false;
    return QSortFilterProxyModel::setData(index, value, role);
}

QHash<int, QByteArray> RunningProtocolsModel::roleNames() const
{
    QHash<int, QByteArray> names = QSortFilterProxyModel::roleNames();
    names.insert(NowRunningRole, QByteArrayLiteral("nowRunning"));
    return names;
}

bool RunningProtocolsModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const int criterion = sortRole();
    const int role = comparedRole(criterion);
    if (criterion == RecentRole) {
        const qint64 leftRecency = recency(left.data(role));
        const qint64 rightRecency = recency(right.data(role));
        if (leftRecency != rightRecency)
            return leftRecency > rightRecency;
    } else if (role >= 0) {
        const std::optional<bool> order = keyOrder(criterion, left.data(role), right.data(role));
        if (order)
            return *order;
    }
    // Equal keys keep the library's order, whatever order a criterion
    // chosen before left behind.
    return left.row() < right.row();
}

qint64 RunningProtocolsModel::recency(const QVariant &lastUsed) const
{
    const QDateTime time = lastUsed.toDateTime();
    // Never used sorts after every use.
    if (!time.isValid())
        return std::numeric_limits<qint64>::min();
    if (time.timeSpec() != Qt::LocalTime)
        return time.toMSecsSinceEpoch();
    // A local time's instant costs a time-zone conversion; a sort asks for
    // each one many times, so it is remembered by the wall-clock reading.
    const qint64 wallClock =
        time.date().toJulianDay() * MSecsPerDay + time.time().msecsSinceStartOfDay();
    auto known = m_localRecency.constFind(wallClock);
    if (known == m_localRecency.constEnd())
        known = m_localRecency.insert(wallClock, time.toMSecsSinceEpoch());
    return known.value();
}

void RunningProtocolsModel::onRowsInserted(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    m_rowProtocols.insert(first, last - first + 1, -1);
    QSet<int> touched;
    readRows(first, last, touched);
    announce(touched);
}

void RunningProtocolsModel::onRowsAboutToBeRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    // The rows may already show nothing, or another device: use what they
    // held when last seen, and look again once their devices are gone.
    for (int row = first; row <= last; ++row)
        m_leavingProtocols.insert(m_rowProtocols.at(row));
    m_rowProtocols.remove(first, last - first + 1);
    m_leavingProtocols.remove(-1);
    if (!m_leavingProtocols.isEmpty())
        m_leavingTimer.start();
}

void RunningProtocolsModel::onLeavingRowsGone()
{
    announce(std::exchange(m_leavingProtocols, {}));
}

void RunningProtocolsModel::onDataChanged(const QModelIndex &topLeft,
                                          const QModelIndex &bottomRight, const QVector<int> &)
{
    if (!topLeft.isValid() || topLeft.parent().isValid())
        return;
    QSet<int> touched;
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
        touched.insert(m_rowProtocols.at(row));
    readRows(topLeft.row(), bottomRight.row(), touched);
    announce(touched);
}

void RunningProtocolsModel::onRunningRowsRearranged()
{
    QSet<int> touched = m_announcedRunning;
    for (const int protocolId : qAsConst(m_rowProtocols))
        touched.insert(protocolId);
    m_rowProtocols.fill(-1, m_nowRunning ? m_nowRunning->rowCount() : 0);
    readRows(0, m_rowProtocols.size() - 1, touched);
    announce(touched);
}

void RunningProtocolsModel::onSourceSortRoleChanged(const QString &roleName)
{
    // Insertions find their place by themselves; changed keys need a sort.
    const int role = comparedRole(sortRole());
    if (!roleName.isEmpty() && role >= 0 &&
        roleName == QString::fromLatin1(roleNames().value(role)))
        invalidate();
}

bool RunningProtocolsModel::isRunning(int programId) const
{
    bool running = false;
    if (m_nowRunning)
        QMetaObject::invokeMethod(m_nowRunning, "isRunningProtocol", Qt::DirectConnection,
                                  Q_RETURN_ARG(bool, running), Q_ARG(int, programId));
    return running;
}

int RunningProtocolsModel::protocolOfRow(int row) const
{
    const QVariant id = m_nowRunning->index(row, 0).data(deviceProtocolIdRole);
    return id.isValid() ? id.toInt() : -1;
}

void RunningProtocolsModel::announce(const QSet<int> &protocolIds)
{
    for (const int protocolId : protocolIds) {
        const bool running = isRunning(protocolId);
        if (running == m_announcedRunning.contains(protocolId))
            continue;
        if (running)
            m_announcedRunning.insert(protocolId);
        else
            m_announcedRunning.remove(protocolId);
        const int sourceRow = m_protocols ? m_protocols->getRowByProgramId(protocolId) : -1;
        if (sourceRow < 0)
            continue;
        const QModelIndex changed = mapFromSource(m_protocols->index(sourceRow, 0));
        emit dataChanged(changed, changed, {NowRunningRole});
    }
}

void RunningProtocolsModel::readRows(int first, int last, QSet<int> &protocolIds)
{
    for (int row = first; row <= last; ++row) {
        m_rowProtocols[row] = protocolOfRow(row);
        protocolIds.insert(m_rowProtocols.at(row));
    }
    protocolIds.remove(-1);
}
