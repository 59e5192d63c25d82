#include "steplist.h"

#include "utils/pcrconst.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Keys whose -1 is a legitimate stored value, not a field left unset.
bool mayBeUnset(const QString &key)
{
    return key == PCRConst::initTemp() || key == PCRConst::initTime() ||
           key == PCRConst::finalTemp() || key == PCRConst::finalTime();
}

bool isUnsetNumber(const QVariant &value)
{
    const bool isNumber = value.type() == QVariant::Int || value.type() == QVariant::LongLong ||
                          value.type() == QVariant::Double;
    return isNumber && value.toDouble() == PCRConst::nullValue();
}

} // namespace

StepList::StepList(QObject *parent)
    : QAbstractListModel(parent)
{}

int StepList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_records.size();
}

QVariant StepList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_records.size())
        return {};
    const QVariantMap &record = m_records.at(index.row());
    switch (role) {
    case ObjectTypeRole:
        return record.value(PCRConst::objectType());
    case HiddenRole:
        return record.value(hiddenKey());
    default:
        return {};
    }
}

QHash<int, QByteArray> StepList::roleNames() const
{
    return {{ObjectTypeRole, "objectType"}, {HiddenRole, "hidden"}};
}

QVariantMap StepList::defaults(const QString &objectType)
{
    QVariantMap record{{PCRConst::objectType(), objectType}, {hiddenKey(), false}};
    if (objectType == PCRConst::objectTypePCR()) {
        record.insert({{PCRConst::initTemp(), double(PCRConst::defaultInitializationTemp())},
                       {PCRConst::initTime(), PCRConst::defaultInitializationTime()},
                       {PCRConst::denaturationTemp(), double(PCRConst::defaultDenatureTemp())},
                       {PCRConst::denaturationTime(), PCRConst::defaultDenatureTime()},
                       {PCRConst::annealingTemp(), double(PCRConst::defaultAnnealTemp())},
                       {PCRConst::annealingTime(), PCRConst::defaultAnnealTime()},
                       {PCRConst::extensionTemp(), double(PCRConst::defaultExtensionTemp())},
                       {PCRConst::extensionTime(), PCRConst::defaultExtentionTime()},
                       {PCRConst::finalTemp(), double(PCRConst::defaultFinalExtensionTemp())},
                       {PCRConst::finalTime(), PCRConst::defaultFinalExtensionTime()},
                       {PCRConst::cyclesNum(), PCRConst::defaultCycleNumber()},
                       {PCRConst::heatedLid(), PCRConst::defaultHeatedLid()}});
    } else if (objectType == PCRConst::objectTypeHeatBlock()) {
        record.insert({{PCRConst::startTemp(), double(PCRConst::defaultHeatBlockTemp())},
                       {PCRConst::time(), PCRConst::defaultHeatBlockTime()},
                       {PCRConst::heatedLid(), PCRConst::defaultHeatedLid()}});
    } else if (objectType == PCRConst::objectTypeLinearRamp()) {
        record.insert({{PCRConst::time(), PCRConst::defaultNonPCRHoldTime()},
                       {PCRConst::startTemp(), double(PCRConst::defaultLinearRampStartTemp())},
                       {PCRConst::finalTemp(), double(PCRConst::defaultLinearRampFinalTemp())}});
    } else if (objectType == PCRConst::objectTypeTouchdown()) {
        record.insert({{PCRConst::denaturationTemp(), double(PCRConst::defaultDenatureTemp())},
                       {PCRConst::denaturationTime(), PCRConst::defaultDenatureTime()},
                       {PCRConst::annealingTemp(), double(PCRConst::defaultAnnealTemp())},
                       {PCRConst::annealingEndTemp(), double(PCRConst::defaultAnnealTemp())},
                       {PCRConst::annealingTime(), PCRConst::defaultAnnealTime()},
                       {PCRConst::extensionTemp(), double(PCRConst::defaultExtensionTemp())},
                       {PCRConst::extensionTime(), PCRConst::defaultExtentionTime()},
                       {PCRConst::extensionEndTime(), PCRConst::defaultExtentionTime()},
                       {PCRConst::cyclesNum(), PCRConst::defaultCycleNumber()}});
    } else {
        return {};
    }
    return record;
}

bool StepList::append(const QString &objectType)
{
    const QVariantMap record = defaults(objectType);
    if (record.isEmpty() || m_records.size() >= maxStepCount)
        return false;
    beginInsertRows({}, m_records.size(), m_records.size());
    m_records.append(record);
    endInsertRows();
    emit countChanged();
    return true;
}

void StepList::remove(int row)
{
    if (row < 0 || row >= m_records.size())
        return;
    beginRemoveRows({}, row, row);
    m_records.removeAt(row);
    endRemoveRows();
    emit countChanged();
}

void StepList::load(const QVariant &storedSteps)
{
    beginResetModel();
    m_records.clear();
    const QVariantList steps = storedSteps.toList();
    for (const QVariant &step : steps) {
        const QVariantMap stored = step.toMap();
        QVariantMap record = defaults(stored.value(PCRConst::objectType()).toString());
        if (record.isEmpty() || m_records.size() >= maxStepCount)
            continue;
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            record.insert(it.key(), it.value());
        record.insert(hiddenKey(), false);
        m_records.append(record);
    }
    endResetModel();
    emit countChanged();
}

void StepList::clear()
{
    load({});
}

QVariant StepList::value(int row, const QString &key) const
{
    return m_records.value(row).value(key);
}

void StepList::setValue(int row, const QString &key, const QVariant &value)
{
    if (row < 0 || row >= m_records.size() || m_records.at(row).value(key) == value)
        return;
    m_records[row].insert(key, value);
    if (key == PCRConst::objectType() || key == hiddenKey())
        emit dataChanged(index(row), index(row));
}

void StepList::setAll(const QString &key, const QVariant &value)
{
    for (int row = 0; row < m_records.size(); ++row)
        setValue(row, key, value);
}

QStringList StepList::objectTypes() const
{
    QStringList types;
    for (const QVariantMap &record : m_records)
        types.append(record.value(PCRConst::objectType()).toString());
    return types;
}

int StepList::firstRowOf(const QStringList &objectTypes) const
{
    for (int row = 0; row < m_records.size(); ++row) {
        if (objectTypes.contains(m_records.at(row).value(PCRConst::objectType()).toString()))
            return row;
    }
    return -1;
}

QString StepList::toJson() const
{
    QJsonArray steps;
    for (const QVariantMap &record : m_records)
        steps.append(QJsonObject::fromVariantMap(record));
    return QString::fromUtf8(QJsonDocument(steps).toJson(QJsonDocument::Compact));
}

int StepList::firstUnsetRow() const
{
    for (int row = 0; row < m_records.size(); ++row) {
        const QVariantMap &record = m_records.at(row);
        for (auto it = record.cbegin(); it != record.cend(); ++it) {
            if (!mayBeUnset(it.key()) && isUnsetNumber(it.value()))
                return row;
        }
    }
    return -1;
}
