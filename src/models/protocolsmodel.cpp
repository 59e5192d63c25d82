#include "protocolsmodel.h"

#include "program/programv1.h"
#include "program/programv3.h"
#include "utils/pcrconst.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

// Enough for every clash of a large library; the memo starts over past it.
constexpr int maxRememberedNextNames = 4096;

QHash<int, QByteArray> protocolRoleNames()
{
    return {{ProtocolsModel::ProgramIdRole, QByteArrayLiteral("programId")},
            {ProtocolsModel::ProgramTypeRole, QByteArrayLiteral("programType")},
            {ProtocolsModel::ProtocolNameRole, QByteArrayLiteral("protocolName")},
            {ProtocolsModel::IsFavoriteRole, QByteArrayLiteral("isFavorite")},
            {ProtocolsModel::VelaFirmwareRole, QByteArrayLiteral("velaFirmware")},
            {ProtocolsModel::LastUsedRole, QByteArrayLiteral("lastUsed")},
            {ProtocolsModel::UsedCountRole, QByteArrayLiteral("usedCount")},
            {ProtocolsModel::SupportedByV1DeviceRole, QByteArrayLiteral("supportedByV1Device")}};
}

QVariant roleValue(const Program &program, int role)
{
    switch (role) {
    case ProtocolsModel::ProgramIdRole:
        return program.programId();
    case ProtocolsModel::ProgramTypeRole:
        return int(program.programType());
    case ProtocolsModel::ProtocolNameRole:
        return program.name();
    case ProtocolsModel::IsFavoriteRole:
        return program.isFavorite();
    case ProtocolsModel::VelaFirmwareRole:
        return program.firmware();
    case ProtocolsModel::LastUsedRole:
        return program.lastUsed();
    case ProtocolsModel::UsedCountRole:
        return program.usedCount();
    case ProtocolsModel::SupportedByV1DeviceRole:
        return program.isSupportedByV1();
    default:
        return {};
    }
}

} // namespace

ProtocolsModel::ProtocolsModel(QObject *parent)
    : ListItemModel(parent)
    , m_roleNames(protocolRoleNames())
{}

ProtocolsModel::~ProtocolsModel()
{
    qDebug() << "ProtocolsModel::~ProtocolsModel()";
}

int ProtocolsModel::count() const
{
    return m_programs.size();
}

void ProtocolsModel::deleteProtocol(int protocolId)
{
    const int row = rowOf(protocolId);
    if (row >= 0) {
        beginRemoveRows({}, row, row);
        // A device may keep the program; it no longer speaks for a row here.
        disconnect(m_programs.at(row).data(), nullptr, this, nullptr);
        untrackName(row);
        m_programs.removeAt(row);
        m_names.removeAt(row);
        endRemoveRows();
    }
    emit countChanged(count());
}

void ProtocolsModel::editProtocol(int protocolId, const QString &newName,
                                  const QByteArray &protocolSteps, bool finalCooling)
{
    const int row = rowOf(protocolId);
    if (row < 0)
        return;
    const ProgramPtr program = m_programs.at(row);
    const QString oldName = program->name();
    const QString name = getUniqueProtocolName(newName, protocolId);
    untrackName(row);
    program->editProgram(name, protocolSteps, finalCooling);
    trackName(row);
    const QModelIndex changed = index(row, 0);
    emit dataChanged(changed, changed, {});
    if (program->name() != oldName)
        emit sortRoleChanged(QStringLiteral("protocolName"));
}

void ProtocolsModel::upgradeProtocol(int programId, const ProgramPtr &newProgram)
{
    const int row = rowOf(programId);
    if (row < 0 || !newProgram)
        return;
    disconnect(m_programs.at(row).data(), nullptr, this, nullptr);
    untrackName(row);
    m_programs[row] = newProgram;
    trackName(row);
    connect(newProgram.data(), &Program::usageDataChanged, this,
            &ProtocolsModel::onUsageDataChanged);
}

int ProtocolsModel::copyProtocol(int protocolId)
{
    const ProgramPtr program = getProgramObjectById(protocolId);
    if (!program)
        return -1;
    const ProgramPtr copy = program->copyWithName(getUniqueProtocolName(program->name()));
    return addProtocol(copy, true);
}

int ProtocolsModel::protocolType(int programId) const
{
    const int row = rowOf(programId);
    return row < 0 ? int(Program::PT_INVALID) : int(m_programs.at(row)->programType());
}

QString ProtocolsModel::getProgramNameById(int programId) const
{
    const int row = rowOf(programId);
    return row < 0 ? tr("New Protocol") : m_programs.at(row)->name();
}

QVariant ProtocolsModel::getProgramById(int programId) const
{
    const int row = rowOf(programId);
    return row < 0 ? QVariant() : m_programs.at(row)->protocolStepsVariant();
}

ProgramPtr ProtocolsModel::getProgramObjectById(int programId) const
{
    qDebug() << "Get program with ID: " << programId;
    const int row = rowOf(programId);
    if (row < 0) {
        qDebug() << "Protocol not found !!! ";
        return {};
    }
    return m_programs.at(row);
}

ProgramPtr ProtocolsModel::getProgramObjectByName(const QString &name) const
{
    if (!m_nameUse.contains(name))
        return {};
    return m_programs.at(m_names.indexOf(name));
}

ProgramPtr ProtocolsModel::getProgramObjectByRow(int row) const
{
    return row >= 0 && row < count() ? m_programs.at(row) : ProgramPtr();
}

int ProtocolsModel::getRowByProgramId(int programId) const
{
    return rowOf(programId);
}

QString ProtocolsModel::getFixedProtocolName(const QString &protocolName) const
{
    const QString name = protocolName.trimmed();
    return name.isEmpty() ? defaultProtocolName : name;
}

QString ProtocolsModel::getUniqueProtocolName(const QString &protocolName, int excludeId) const
{
    // Each clash moves on to the next numbered name and checks the whole
    // library again, so the result clashes with no other program.
    QString name = getFixedProtocolName(protocolName);
    const int excludedRow = excludeId < 0 ? -1 : rowOf(excludeId);
    while (isNameTaken(name, excludedRow))
        name = nextName(name);
    return name;
}

bool ProtocolsModel::getFinalCoolingById(int programId) const
{
    const ProgramPtr program = getProgramObjectById(programId);
    return program ? program->finalCooling() : true;
}

int ProtocolsModel::addNewProtocol(const ProgramPtr &program)
{
    if (!program)
        return -1;
    qInfo() << "addNewProtocol: " << program->name();
    QString name = program->name();
    if (name.isEmpty())
        name = tr("New Protocol");
    name = getUniqueProtocolName(name);
    if (name != program->name())
        program->setName(name);

    const int row = count();
    beginInsertRows({}, row, row);
    m_programs.append(program);
    m_names.append(QString());
    trackName(row);
    endInsertRows();
    connect(program.data(), &Program::usageDataChanged, this, &ProtocolsModel::onUsageDataChanged);
    emit countChanged(count());
    emit sortRoleChanged(QString());
    return program->programId();
}

int ProtocolsModel::addProtocol(const ProgramPtr &program, bool strictName)
{
    const int equalId = findEqualProtocol(program, strictName);
    return equalId >= 0 ? equalId : addNewProtocol(program);
}

int ProtocolsModel::findEqualProtocol(const ProgramPtr &program, bool strictName) const
{
    if (!program)
        return -1;
    // Strictly equal programs share their name: skip the content comparison
    // for every other row.
    const QString name = program->name();
    if (strictName && !m_nameUse.contains(name))
        return -1;
    for (int row = 0; row < count(); ++row) {
        if (strictName && m_names.at(row) != name)
            continue;
        if (m_programs.at(row)->isSameProgram(program, strictName))
            return m_programs.at(row)->programId();
    }
    return -1;
}

int ProtocolsModel::addProtocolFromJson(const QJsonObject &record)
{
    const ProgramPtr program = programFromRecord(record);
    return program ? addProtocol(program, true) : -1;
}

ProgramPtr ProtocolsModel::programFromRecord(const QJsonObject &record)
{
    if (record.isEmpty())
        return {};
    const QString name = record.value(QStringLiteral("name")).toString();
    const auto type =
        static_cast<Program::ProgramType>(record.value(QStringLiteral("type")).toInt());
    const QString firmware = record.value(QStringLiteral("firmware")).toString();
    const QByteArray steps = QJsonDocument(record.value(QStringLiteral("protocol_array")).toArray())
                                 .toJson(QJsonDocument::Compact);
    const bool finalCooling = record.value(QStringLiteral("finalCooling")).toBool();
    qDebug() << " init complete add protocol;";

    ProgramPtr program;
    if (firmware == firmwareVersionV1)
        program.reset(new ProgramV1(name, steps, type));
    else if (firmware == firmwareVersionV3)
        program.reset(new ProgramV3(name, steps, finalCooling, type));
    if (!program || !program->isValid())
        return {};
    program->setFavorite(record.value(QStringLiteral("isFavorite")).toBool());
    program->setLastUsed(
        QDateTime::fromString(record.value(QStringLiteral("lastUsed")).toString(), Qt::ISODate));
    program->setUsedCount(record.value(QStringLiteral("usedCount")).toInt());
    return program;
}

ProgramList ProtocolsModel::programs() const
{
    return m_programs;
}

ProgramPtr ProtocolsModel::createProgram(const QByteArray &data, int protocolVersion)
{
    ProgramPtr program;
    if (protocolVersion == 1)
        program.reset(new ProgramV1(data));
    else
        program.reset(new ProgramV3(data));
    return program->isValid() ? program : ProgramPtr();
}

QVariant ProtocolsModel::data(const QModelIndex &index, int role) const
{
    const ProgramPtr program = getProgramObjectByRow(index.isValid() ? index.row() : -1);
    return program ? roleValue(*program, role) : QVariant();
}

bool ProtocolsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const ProgramPtr program = getProgramObjectByRow(index.isValid() ? index.row() : -1);
    if (!program)
        return false;
    if (role == IsFavoriteRole && value.toBool() != program->isFavorite()) {
        qInfo() << "Set data isFavorite: " << value.toBool();
        program->setFavorite(value.toBool());
        emit sortRoleChanged(QStringLiteral("isFavorite"));
        emit dataChanged(index, index, {IsFavoriteRole});
    }
    return true;
}

QHash<int, QByteArray> ProtocolsModel::roleNames() const
{
    return m_roleNames;
}

void ProtocolsModel::onUsageDataChanged()
{
    const int row = rowOf(sender());
    if (row >= 0) {
        const QModelIndex changed = index(row, 0);
        emit dataChanged(changed, changed, {LastUsedRole, UsedCountRole});
    }
    emit sortRoleChanged(QStringLiteral("lastUsed"));
    emit sortRoleChanged(QStringLiteral("usedCount"));
}

int ProtocolsModel::rowOf(int programId) const
{
    for (int row = 0; row < count(); ++row) {
        if (m_programs.at(row)->programId() == programId)
            return row;
    }
    return -1;
}

int ProtocolsModel::rowOf(const QObject *program) const
{
    for (int row = 0; row < count(); ++row) {
        if (m_programs.at(row).data() == program)
            return row;
    }
    return -1;
}

bool ProtocolsModel::isNameTaken(const QString &name, int excludedRow) const
{
    const int uses = m_nameUse.value(name);
    const bool excludedHasIt = excludedRow >= 0 && m_names.at(excludedRow) == name;
    return uses > (excludedHasIt ? 1 : 0);
}

QString ProtocolsModel::nextName(const QString &name) const
{
    const auto known = m_nextNames.constFind(name);
    if (known != m_nextNames.cend())
        return known.value();
    if (m_nextNames.size() >= maxRememberedNextNames)
        m_nextNames.clear();
    return m_nextNames.insert(name, Program::nextNumberedName(name)).value();
}

void ProtocolsModel::trackName(int row)
{
    const QString name = m_programs.at(row)->name();
    m_names[row] = name;
    ++m_nameUse[name];
}

void ProtocolsModel::untrackName(int row)
{
    const auto use = m_nameUse.find(m_names.at(row));
    if (use != m_nameUse.end() && --use.value() == 0)
        m_nameUse.erase(use);
}
