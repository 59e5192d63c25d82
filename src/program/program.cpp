#include "program.h"

#include "Thermox_v3.8_03.02.2018.pb.h"
#include "propertymodel.h"
#include "utils/pcrconst.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <google/protobuf/io/coded_stream.h>

#include <atomic>
#include <cmath>
#include <limits>

namespace {

std::atomic<int> programIdCounter{0};

// A name numbered by the library as a copy, e.g. "Mix (3)".
const QRegularExpression &numberSuffix()
{
    static const QRegularExpression suffix(QStringLiteral(" \\((\\d+)\\)$"));
    return suffix;
}

QString onOffText(bool on)
{
    return on ? Program::tr("On") : Program::tr("Off");
}

bool anyHeatedLid(const QJsonArray &stepArray)
{
    for (const QJsonValue &step : stepArray) {
        if (step.toObject().value(PCRConst::heatedLid()).toBool())
            return true;
    }
    return false;
}

qint64 durationSeconds(const QJsonValue &value)
{
    const double limit = 9.2e18;
    return static_cast<qint64>(qBound(-limit, value.toDouble(), limit));
}

} // namespace

Program::Program(ProgramType type, int programId, QObject *parent)
    : QObject(parent)
    , m_programId(programId < 0 ? programIdCounter.fetch_add(1) : programId)
    , m_programType(validType(type))
    , m_lastUsed(QDateTime::currentDateTime())
    , m_propertyModel(new PropertyModel(this))
{}

// The property model is a child: it goes with the program.
Program::~Program() = default;

bool Program::isSameProgram(const ProgramPtr &other, bool exactName) const
{
    if (!other || !namesMatch(other->name(), exactName) || programType() != other->programType())
        return false;
    ProgramPtr comparable = other;
    if (firmware() != other->firmware())
        comparable = firmware() == firmwareVersionV1 ? other->toV1(false) : other->toV3(false);
    return stepsCount() == comparable->stepsCount() &&
           fuzzyEqual(lidTemp(), comparable->lidTemp()) && hasSameSteps(*comparable);
}

bool Program::namesMatch(const QString &otherName, bool exactName) const
{
    const QString ownName = name();
    if (ownName == otherName)
        return true;
    if (exactName)
        return false;
    const QString ownBase = baseName(ownName);
    const QString otherBase = baseName(otherName);
    if (ownBase == otherBase)
        return true;
    return ownBase.length() != otherBase.length() &&
           (ownBase.startsWith(otherBase) || otherBase.startsWith(ownBase));
}

bool Program::hasSameSteps(const Program &other) const
{
    const int count = stepsCount();
    // Steps the other program lacks cannot be the same.
    if (other.stepsCount() < count)
        return false;
    for (int index = 0; index < count; ++index) {
        if (stepTime(index) != other.stepTime(index) ||
            !fuzzyEqual(stepTarget(index), other.stepTarget(index)) ||
            stepType(index) != other.stepType(index))
            return false;
    }
    return true;
}

QVariant Program::protocolStepsVariant() const
{
    return protocolSteps().array().toVariantList();
}

bool Program::isCycleStep(int index) const
{
    return stepType(index) == ProtocolV3::CYCLE;
}

int Program::programId() const
{
    return m_programId;
}

Program::ProgramType Program::programType() const
{
    return m_programType;
}

bool Program::isValid() const
{
    return m_programType != PT_INVALID;
}

bool Program::isFavorite() const
{
    return m_isFavorite;
}

void Program::setFavorite(bool favorite)
{
    m_isFavorite = favorite;
}

int Program::usedCount() const
{
    return m_usedCount;
}

void Program::setUsedCount(int usedCount)
{
    m_usedCount = usedCount;
    emit usageDataChanged();
}

QDateTime Program::lastUsed() const
{
    return m_lastUsed;
}

void Program::setLastUsed(const QDateTime &lastUsed)
{
    m_lastUsed = lastUsed;
    emit usageDataChanged();
}

void Program::markUsed()
{
    ++m_usedCount;
    m_lastUsed = QDateTime::currentDateTime();
    emit usageDataChanged();
}

PropertyModel *Program::propertyModel() const
{
    return m_propertyModel;
}

QJsonObject Program::toJson() const
{
    return {
        {QStringLiteral("protocol_array"), protocolSteps().array()},
        {QStringLiteral("name"), name()},
        {QStringLiteral("type"), int(programType())},
        {QStringLiteral("firmware"), firmware()},
        {QStringLiteral("isFavorite"), isFavorite()},
        {QStringLiteral("lastUsed"), lastUsed().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"))},
        {QStringLiteral("usedCount"), usedCount()},
        {QStringLiteral("finalCooling"), finalCooling()}};
}

void Program::updatePropertyModel(const QJsonArray &stepArray)
{
    m_propertyModel->clear();
    if (stepArray.isEmpty())
        return;
    if (programType() != PT_FLEX) {
        createPropertyModel(stepArray.first().toObject(), programType(), false);
        return;
    }
    addOnOffRow(tr("Final cooling"), finalCooling());
    addOnOffRow(tr("Heated lid"), anyHeatedLid(stepArray));
    int number = 1;
    for (const QJsonValue &value : stepArray) {
        const QJsonObject step = value.toObject();
        const int type = programTypeFromObjectType(step.value(PCRConst::objectType()).toString());
        m_propertyModel->addHeader(tr("Step %1:").arg(number++) + QLatin1Char(' ') +
                                   programTypeLabel(type));
        createPropertyModel(step, validType(type), true);
    }
}

void Program::createPropertyModel(const QJsonObject &step, ProgramType type, bool inFlex)
{
    switch (type) {
    case PT_PCR:
        addPcrProperties(step, inFlex);
        break;
    case PT_HEAT_BLOCK:
        addHeatBlockProperties(step, inFlex);
        break;
    case PT_LINEAR_RAMP:
        addLinearRampProperties(step, inFlex);
        break;
    case PT_TOUCHDOWN:
        addTouchdownProperties(step);
        break;
    default:
        qWarning() << "Invalid protocol.";
        break;
    }
}

void Program::addPcrProperties(const QJsonObject &step, bool inFlex)
{
    if (!inFlex)
        addTimeTempRow(tr("Initial denaturation"), step, PCRConst::initTime(),
                       PCRConst::initTemp());
    addTimeTempRow(tr("Denaturation"), step, PCRConst::denaturationTime(),
                   PCRConst::denaturationTemp());
    addTimeTempRow(tr("Annealing"), step, PCRConst::annealingTime(), PCRConst::annealingTemp());
    addTimeTempRow(tr("Extension"), step, PCRConst::extensionTime(), PCRConst::extensionTemp());
    m_propertyModel->addValue(tr("Number of cycles"), PropertyModel::ValueKind::Value,
                              step.value(PCRConst::cyclesNum()).toVariant());
    if (inFlex)
        return;
    addTimeTempRow(tr("Final extension"), step, PCRConst::finalTime(), PCRConst::finalTemp());
    addOnOffRow(tr("Heated lid"), step.value(PCRConst::heatedLid()).toBool());
}

void Program::addHeatBlockProperties(const QJsonObject &step, bool inFlex)
{
    m_propertyModel->addValue(
        tr("Time"), PropertyModel::ValueKind::Value,
        PropertyModel::durationText(durationSeconds(step.value(PCRConst::time()))));
    m_propertyModel->addValue(
        tr("Temperature"), PropertyModel::ValueKind::Value,
        PropertyModel::temperatureText(step.value(PCRConst::startTemp()).toDouble()));
    if (!inFlex)
        addOnOffRow(tr("Heated lid"), step.value(PCRConst::heatedLid()).toBool());
}

void Program::addLinearRampProperties(const QJsonObject &step, bool inFlex)
{
    m_propertyModel->addValue(
        tr("Time"), PropertyModel::ValueKind::Value,
        PropertyModel::durationText(durationSeconds(step.value(PCRConst::time()))));
    m_propertyModel->addValue(
        tr("Start temperature"), PropertyModel::ValueKind::Value,
        PropertyModel::temperatureText(step.value(PCRConst::startTemp()).toDouble()));
    m_propertyModel->addValue(
        tr("Final temperature"), PropertyModel::ValueKind::Value,
        PropertyModel::temperatureText(step.value(PCRConst::finalTemp()).toDouble()));
    // A linear ramp always heats its lid.
    if (!inFlex)
        addOnOffRow(tr("Heated lid"), true);
}

void Program::addTouchdownProperties(const QJsonObject &step)
{
    addTimeTempRow(tr("Denaturation"), step, PCRConst::denaturationTime(),
                   PCRConst::denaturationTemp());
    addTimeTempRow(tr("Annealing"), step, PCRConst::annealingTime(), PCRConst::annealingTemp());
    m_propertyModel->addValues(
        tr("Annealing end"),
        {{PropertyModel::ValueKind::Temp,
          PropertyModel::temperatureText(step.value(PCRConst::annealingEndTemp()).toDouble())},
         {PropertyModel::ValueKind::Value, QStringLiteral(" ")}});
    addTimeTempRow(tr("Extension"), step, PCRConst::extensionTime(), PCRConst::extensionTemp());
    m_propertyModel->addValue(
        tr("Extension end"), PropertyModel::ValueKind::Value,
        PropertyModel::secondsText(step.value(PCRConst::extensionEndTime()).toDouble()));
    m_propertyModel->addValue(tr("Number of cycles"), PropertyModel::ValueKind::Value,
                              step.value(PCRConst::cyclesNum()).toVariant());
}

void Program::addTimeTempRow(const QString &name, const QJsonObject &step, const QString &timeKey,
                             const QString &tempKey)
{
    m_propertyModel->addTimeTemp(name, step.value(timeKey).toDouble(),
                                 step.value(tempKey).toDouble());
}

void Program::addOnOffRow(const QString &name, bool on)
{
    m_propertyModel->addValue(name, PropertyModel::ValueKind::Value, onOffText(on));
}

QString Program::baseName(const QString &name)
{
    QString base = name;
    return base.remove(numberSuffix());
}

QString Program::nextNumberedName(const QString &name)
{
    const QRegularExpressionMatch match = numberSuffix().match(name);
    bool numbered = false;
    const qulonglong number = match.captured(1).toULongLong(&numbered);
    // A number too large to count on is taken as part of the name.
    const bool countOn =
        match.hasMatch() && numbered && number < std::numeric_limits<qulonglong>::max();
    const QString base = countOn ? baseName(name) : name;
    const QString suffix = QStringLiteral(" (%1)").arg(countOn ? number + 1 : 2);
    return base.left(PCRConst::protocolNameMaxLength() - suffix.length()) + suffix;
}

bool Program::fuzzyEqual(float a, float b)
{
    const double difference = std::fabs(double(a) - double(b));
    return difference * 100000.0 <= qMin(std::fabs(double(a)), std::fabs(double(b)));
}

void Program::setProgramType(ProgramType type)
{
    m_programType = validType(type);
}

int Program::copyId(bool newId) const
{
    return newId ? -1 : m_programId;
}

quint32 Program::wireUnsigned(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<quint32>(qBound(0.0, value, double(std::numeric_limits<quint32>::max())));
}

bool Program::parseMessage(google::protobuf::MessageLite &message, const QByteArray &bytes)
{
    google::protobuf::io::CodedInputStream input(
        reinterpret_cast<const quint8 *>(bytes.constData()), bytes.size());
    return message.ParseFromCodedStream(&input);
}

Program::ProgramType Program::validType(int type)
{
    switch (type) {
    case PT_PCR:
    case PT_HEAT_BLOCK:
    case PT_LINEAR_RAMP:
    case PT_FLEX:
    case PT_TOUCHDOWN:
        return static_cast<ProgramType>(type);
    default:
        return PT_INVALID;
    }
}
