#include "propertymodel.h"

namespace {

const QString nameKey = QStringLiteral("name");
const QString valueKey = QStringLiteral("value");
const QString timeKey = QStringLiteral("time");
const QString tempKey = QStringLiteral("temp");
const QString isHeaderKey = QStringLiteral("isHeader");

QString keyOfKind(PropertyModel::ValueKind kind)
{
    switch (kind) {
    case PropertyModel::ValueKind::Time:
        return timeKey;
    case PropertyModel::ValueKind::Temp:
        return tempKey;
    case PropertyModel::ValueKind::Value:
        break;
    }
    return valueKey;
}

QString keyOfRole(int role)
{
    switch (role) {
    case PropertyModel::PropertyNameRole:
        return nameKey;
    case PropertyModel::PropertyValueRole:
        return valueKey;
    case PropertyModel::PropertyTimeRole:
        return timeKey;
    case PropertyModel::PropertyTempRole:
        return tempKey;
    case PropertyModel::PropertyIsHeaderRole:
        return isHeaderKey;
    default:
        return QString();
    }
}

} // namespace

PropertyModel::PropertyModel(QObject *parent)
    : ListItemModel(parent)
{}

QVariant PropertyModel::data(const QModelIndex &index, int role) const
{
    const QString key = keyOfRole(role);
    if (!index.isValid() || index.row() >= m_rows.size() || key.isEmpty())
        return QVariant();
    return m_rows.at(index.row()).value(key, QString());
}

QHash<int, QByteArray> PropertyModel::roleNames() const
{
    return {{PropertyNameRole, QByteArrayLiteral("propertyName")},
            {PropertyValueRole, QByteArrayLiteral("propertyValue")},
            {PropertyTimeRole, QByteArrayLiteral("propertyTime")},
            {PropertyTempRole, QByteArrayLiteral("propertyTemp")},
            {PropertyIsHeaderRole, QByteArrayLiteral("propertyIsHeader")}};
}

int PropertyModel::count() const
{
    return m_rows.size();
}

void PropertyModel::addHeader(const QString &name)
{
    appendRow({{nameKey, name}, {isHeaderKey, true}});
}

void PropertyModel::addTimeTemp(const QString &name, double seconds, double temperature)
{
    addValues(name, {{ValueKind::Time, secondsText(seconds)},
                     {ValueKind::Temp, temperatureText(temperature)}});
}

void PropertyModel::addValues(const QString &name, const QList<KindValue> &values)
{
    QVariantMap row{{nameKey, name}};
    for (const KindValue &value : values)
        row.insert(keyOfKind(value.first), value.second);
    appendRow(row);
}

void PropertyModel::addValue(const QString &name, ValueKind kind, const QVariant &value)
{
    addValues(name, {{kind, value}});
}

void PropertyModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
    emit countChanged();
}

void PropertyModel::appendRow(const QVariantMap &row)
{
    beginInsertRows(QModelIndex(), m_rows.size(), m_rows.size());
    m_rows.append(row);
    endInsertRows();
    emit countChanged();
}

QString PropertyModel::secondsText(double seconds)
{
    return QStringLiteral("%1 %2").arg(seconds, 0, 'f', 0).arg(tr("s"));
}

QString PropertyModel::temperatureText(double temperature)
{
    return QStringLiteral("%1%2").arg(temperature, 0, 'f', 1).arg(QStringLiteral("\u00B0C"));
}

QString PropertyModel::durationText(qint64 seconds)
{
    const qint64 total = qMax<qint64>(seconds, 0);
    const qint64 hours = total / 3600;
    const qint64 minutes = total % 3600 / 60;
    const qint64 rest = total % 60;
    QString text;
    if (hours > 0)
        text += QString::number(hours) + tr("h ");
    if (minutes > 0)
        text += QString::number(minutes) + tr("m ");
    if (rest > 0)
        text += QString::number(rest) + tr("s");
    return text;
}
