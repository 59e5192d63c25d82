#include "programv3.h"

#include "programv1.h"
#include "utils/pcrconst.h"

#include <QDebug>
#include <QJsonArray>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace {

// A fresh UUID and three random characters: 40 characters that let a machine
// and the library tell uploads apart.
QByteArray newIdString()
{
    static const char alphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    // Seeded once per thread: opening the random device for every program
    // cost more than building the program (a large library loads slowly).
    thread_local std::mt19937 engine(std::random_device{}());
    std::uniform_int_distribution<int> pick(0, int(sizeof(alphabet)) - 2);
    QByteArray id = QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '-';
    for (int i = 0; i < 3; ++i)
        id += alphabet[pick(engine)];
    return id;
}

ProtocolV3::ProtocolType wireProtocolType(int blockType)
{
    switch (blockType) {
    case Program::PT_PCR:
        return ProtocolV3::PCR_PROTOCOL_TYPE;
    case Program::PT_HEAT_BLOCK:
        return ProtocolV3::HEAT_BLOCK_PROTOCOL_TYPE;
    case Program::PT_LINEAR_RAMP:
        return ProtocolV3::LINEAR_RAMP_PROTOCOL_TYPE;
    case Program::PT_TOUCHDOWN:
        return ProtocolV3::TOUCHDOWN_PROTOCOL_TYPE;
    default:
        return ProtocolV3::INVALID_PROTOCOL_TYPE;
    }
}

// The touchdown changes are spread over the cycles after the first one.
qint64 touchdownIntervals(qint32 cycles)
{
    return qMax<qint64>(qint64(cycles) - 1, 1);
}

// A shrinking extension gives a negative change per cycle, which the uint32
// time field carries in two's complement.
quint32 signedWireSeconds(double seconds)
{
    const double limit = std::numeric_limits<qint32>::max();
    const double bounded = std::isnan(seconds) ? 0.0 : qBound(-limit, seconds, limit);
    return static_cast<quint32>(static_cast<qint32>(bounded));
}

qint32 signedSeconds(quint32 wireSeconds)
{
    return static_cast<qint32>(wireSeconds);
}

qint32 cyclesFromWire(quint32 cycles)
{
    return static_cast<qint32>(qMin<quint32>(cycles, std::numeric_limits<qint32>::max()));
}

bool stepCountFits(int needed, int remaining, bool inFlex)
{
    return inFlex ? remaining >= needed : remaining == needed;
}

} // namespace

ProgramV3::ProgramV3(ProgramType type, int programId, QObject *parent)
    : Program(type, programId, parent)
{
    m_protocol.set_id(newIdString().toStdString());
}

ProgramV3::ProgramV3(const QString &name, const QByteArray &steps, bool finalCooling,
                     ProgramType type, int programId, QObject *parent)
    : ProgramV3(type, programId, parent)
{
    qDebug() << "Create Programm ver 3: " << name;
    m_protocol.set_isflex(programType() == PT_FLEX ? 1 : 0);
    editProgram(name, steps, finalCooling);
}

ProgramV3::ProgramV3(const QString &name, const QByteArray &steps, bool finalCooling,
                     ProgramType type, QObject *parent)
    : ProgramV3(name, steps, finalCooling, type, -1, parent)
{}

ProgramV3::ProgramV3(const QByteArray &serializedMessage, QObject *parent)
    : ProgramV3(PT_INVALID, -1, parent)
{
    if (!parseMessage(m_protocol, serializedMessage)) {
        qWarning() << "Parse error.. Unrecognized protocol received from device.";
        return;
    }
    fillFromPCRProtocol();
}

ProgramV3::ProgramV3()
    : ProgramV3(PT_INVALID, -1, nullptr)
{}

ProgramV3::~ProgramV3()
{
    qDebug() << "ProgramV3::~ProgramV3()";
}

bool ProgramV3::isSupportedByV1() const
{
    if (programType() == PT_FLEX || m_blocks.empty())
        return false;
    return std::all_of(m_blocks.cbegin(), m_blocks.cend(),
                       [this](const Container::Protocol &block) { return blockFitsV1(block); });
}

bool ProgramV3::blockFitsV1(const Container::Protocol &block) const
{
    const auto fits = [](float seconds) { return wireUnsigned(seconds) <= firmwareV1MaxSeconds(); };
    switch (block.type) {
    case PT_PCR:
        return fits(block.initTime) && fits(block.denaturationTime) && fits(block.annealingTime) &&
               fits(block.extensionTime) && fits(block.finalTime);
    case PT_HEAT_BLOCK:
    case PT_LINEAR_RAMP:
        return fits(block.time);
    default:
        return false;
    }
}

void ProgramV3::editProgram(const QString &name, const QByteArray &steps, bool finalCooling)
{
    setName(name);
    m_protocol.clear_steps();
    m_blocks.clear();
    m_protocol.set_finalcooling(finalCooling ? ProtocolV3::ENABLE_COOLING_STATE
                                             : ProtocolV3::DISABLE_COOLING_STATE);
    const QJsonArray stepArray = QJsonDocument::fromJson(steps).array();
    if (!buildBlocks(stepArray)) {
        setProgramType(PT_INVALID);
        return;
    }
    updatePropertyModel(protocolSteps().array());
}

// False when the array gives no block at all.
bool ProgramV3::buildBlocks(const QJsonArray &stepArray)
{
    const bool flex = programType() == PT_FLEX;
    for (const QJsonValue &value : stepArray) {
        const QJsonObject step = value.toObject();
        const int objectType =
            programTypeFromObjectType(step.value(PCRConst::objectType()).toString());
        appendBlock(step, flex ? validType(objectType) : programType(), flex);
    }
    if (flex && finalCooling() && stepsCount() > 0)
        appendFinalCooling(m_protocol.steps(stepsCount() - 1).protocoltype());
    return !m_blocks.empty();
}

bool ProgramV3::appendBlock(const QJsonObject &step, ProgramType blockType, bool inFlex)
{
    if (wireProtocolType(blockType) == ProtocolV3::INVALID_PROTOCOL_TYPE)
        return false;
    m_blocks.emplace_back(step, blockType);
    appendWireSteps(m_blocks.back(), inFlex);
    return true;
}

void ProgramV3::appendWireSteps(const Container::Protocol &block, bool inFlex)
{
    switch (block.type) {
    case PT_PCR:
        appendPcrSteps(block, inFlex);
        break;
    case PT_HEAT_BLOCK:
        appendHeatBlockSteps(block, inFlex);
        break;
    case PT_LINEAR_RAMP:
        appendLinearRampSteps(block, inFlex);
        break;
    case PT_TOUCHDOWN:
        appendTouchdownSteps(block, inFlex);
        break;
    default:
        break;
    }
}

void ProgramV3::appendPcrSteps(const Container::Protocol &block, bool inFlex)
{
    const auto wireType = ProtocolV3::PCR_PROTOCOL_TYPE;
    if (!inFlex)
        appendHold(wireType, block.initialTemp, block.initTime);
    const int denaturationPosition = stepsCount() + 1;
    appendHold(wireType, block.denaturationTemp, block.denaturationTime);
    appendHold(wireType, block.annealingTemp, block.annealingTime);
    appendHold(wireType, block.extensionTemp, block.extensionTime);
    appendCycle(wireType, denaturationPosition, block.cyclesNum);
    if (!inFlex) {
        appendHold(wireType, block.finalTemp, block.finalTime);
        if (finalCooling())
            appendFinalCooling(wireType);
    }
    setLidTempForHeatedLid(block.heatedLid);
}

void ProgramV3::appendHeatBlockSteps(const Container::Protocol &block, bool inFlex)
{
    const auto wireType = ProtocolV3::HEAT_BLOCK_PROTOCOL_TYPE;
    appendHold(wireType, block.initialTemp, block.time);
    if (!inFlex && finalCooling())
        appendFinalCooling(wireType);
    setLidTempForHeatedLid(block.heatedLid);
}

void ProgramV3::appendLinearRampSteps(const Container::Protocol &block, bool inFlex)
{
    const auto wireType = ProtocolV3::LINEAR_RAMP_PROTOCOL_TYPE;
    appendHold(wireType, block.initialTemp, 1);
    ProtocolV3::PCRStep *ramp = nextStep(wireType);
    ramp->set_type(ProtocolV3::LINEAR_RAMP);
    ramp->set_target(block.finalTemp);
    ramp->set_time(wireUnsigned(block.time));
    if (!inFlex && finalCooling())
        appendFinalCooling(wireType);
    // A ramp always heats its lid.
    setLidTempForHeatedLid(true);
}

void ProgramV3::appendTouchdownSteps(const Container::Protocol &block, bool inFlex)
{
    const auto wireType = ProtocolV3::TOUCHDOWN_PROTOCOL_TYPE;
    const qint64 intervals = touchdownIntervals(block.cyclesNum);
    const int denaturationPosition = stepsCount() + 1;
    appendHold(wireType, block.denaturationTemp, block.denaturationTime);
    appendHold(wireType, block.annealingTemp, block.annealingTime);
    ProtocolV3::PCRStep *annealingChange = nextStep(wireType);
    annealingChange->set_type(ProtocolV3::TOUCHDOWN);
    annealingChange->set_target(
        static_cast<float>((double(block.annealingEndTemp) - block.annealingTemp) / intervals));
    appendHold(wireType, block.extensionTemp, block.extensionTime);
    ProtocolV3::PCRStep *extensionChange = nextStep(wireType);
    extensionChange->set_type(ProtocolV3::TOUCHDOWN);
    extensionChange->set_time(
        signedWireSeconds((double(block.extensionEndTime) - block.extensionTime) / intervals));
    appendCycle(wireType, denaturationPosition, block.cyclesNum);
    if (!inFlex && finalCooling())
        appendFinalCooling(wireType);
    setLidTempForHeatedLid(block.heatedLid);
}

void ProgramV3::appendHold(ProtocolV3::ProtocolType protocolType, float target, float seconds)
{
    ProtocolV3::PCRStep *step = nextStep(protocolType);
    step->set_type(ProtocolV3::HOLD);
    step->set_target(target);
    step->set_time(wireUnsigned(seconds));
}

// The cycle step sends the machine back to the step at firstStepPosition
// (1-based) until the cycles are done.
void ProgramV3::appendCycle(ProtocolV3::ProtocolType protocolType, int firstStepPosition,
                            qint32 cycles)
{
    ProtocolV3::PCRStep *step = nextStep(protocolType);
    step->set_type(ProtocolV3::CYCLE);
    step->set_target(static_cast<float>(firstStepPosition));
    step->set_time(wireUnsigned(cycles));
}

void ProgramV3::appendFinalCooling(ProtocolV3::ProtocolType protocolType)
{
    appendHold(protocolType, PCRConst::defaultHoldTemp(), PCRConst::defaultHoldTime());
}

void ProgramV3::setLidTempForHeatedLid(bool heatedLid)
{
    m_protocol.set_lidtemp(heatedLid ? PCRConst::defaultLidMaxTemp()
                                     : PCRConst::defaultLidMinTemp());
}

ProtocolV3::PCRStep *ProgramV3::nextStep(ProtocolV3::ProtocolType protocolType)
{
    ProtocolV3::PCRStep *step = m_protocol.add_steps();
    qDebug() << "ADD step" << protocolTypeName(protocolType);
    step->set_protocoltype(protocolType);
    step->clear_stepname();
    return step;
}

bool ProgramV3::fillFromPCRProtocol()
{
    logProtocol("Received");
    setProgramType(PT_INVALID);
    m_blocks.clear();
    if (m_protocol.steps_size() == 0)
        return false;
    setProgramType(m_protocol.isflex() != 0 ? PT_FLEX : stepProgramType(0));
    if (!isValid())
        return rejectProtocol();
    // The final cooling step belongs to no block.
    const int stepCount = stepsCount() - (finalCooling() ? 1 : 0);
    if (!readBlocks(stepCount))
        return rejectProtocol();
    updatePropertyModel(protocolSteps().array());
    return true;
}

bool ProgramV3::readBlocks(int stepCount)
{
    int index = 0;
    do {
        const int used = readBlock(index, stepCount);
        if (used == 0)
            return false;
        index += used;
    } while (programType() == PT_FLEX && index < stepCount);
    return true;
}

// Reads the block starting at index; answers the steps it took, 0 when the
// steps there form no block.
int ProgramV3::readBlock(int index, int stepCount)
{
    const bool inFlex = programType() == PT_FLEX;
    const int remaining = stepCount - index;
    const ProgramType blockType = stepProgramType(index);
    const int needed = blockType == PT_PCR && !inFlex ? 6 : flexStepsForProgramType(blockType);
    if (needed == 0 || !stepCountFits(needed, remaining, inFlex))
        return 0;
    switch (blockType) {
    case PT_PCR:
        m_blocks.push_back(readPcr(index, inFlex));
        break;
    case PT_HEAT_BLOCK:
        m_blocks.push_back(readHeatBlock(index));
        break;
    case PT_LINEAR_RAMP:
        m_blocks.push_back(readLinearRamp(index));
        break;
    default: // only touchdown is left: needed is 0 for anything else
        m_blocks.push_back(readTouchdown(index));
        break;
    }
    return needed;
}

Container::Protocol ProgramV3::readPcr(int index, bool inFlex) const
{
    Container::Protocol block = blockWithLid(PT_PCR, PCRConst::defaultHoldTemp());
    if (!inFlex) {
        block.initialTemp = stepTarget(index);
        block.initTime = m_protocol.steps(index).time();
        ++index;
    }
    block.denaturationTemp = stepTarget(index);
    block.denaturationTime = m_protocol.steps(index).time();
    block.annealingTemp = stepTarget(index + 1);
    block.annealingTime = m_protocol.steps(index + 1).time();
    block.extensionTemp = stepTarget(index + 2);
    block.extensionTime = m_protocol.steps(index + 2).time();
    block.cyclesNum = cyclesFromWire(m_protocol.steps(index + 3).time());
    if (!inFlex) {
        block.finalTemp = stepTarget(index + 4);
        block.finalTime = m_protocol.steps(index + 4).time();
    }
    return block;
}

Container::Protocol ProgramV3::readHeatBlock(int index) const
{
    Container::Protocol block = blockWithLid(PT_HEAT_BLOCK, 0.0f);
    block.initialTemp = stepTarget(index);
    block.finalTemp = block.initialTemp;
    block.time = m_protocol.steps(index).time();
    return block;
}

Container::Protocol ProgramV3::readLinearRamp(int index) const
{
    Container::Protocol block = blockWithLid(PT_LINEAR_RAMP, 0.0f);
    block.initialTemp = stepTarget(index);
    block.finalTemp = stepTarget(index + 1);
    block.time = m_protocol.steps(index + 1).time();
    return block;
}

// The changes per cycle are undone over the same intervals they were spread
// across when sent, so a block reads back as it was written.
Container::Protocol ProgramV3::readTouchdown(int index) const
{
    Container::Protocol block = blockWithLid(PT_TOUCHDOWN, PCRConst::defaultHoldTemp());
    block.denaturationTemp = stepTarget(index);
    block.denaturationTime = m_protocol.steps(index).time();
    block.annealingTemp = stepTarget(index + 1);
    block.annealingTime = m_protocol.steps(index + 1).time();
    const float annealingChange = stepTarget(index + 2);
    block.extensionTemp = stepTarget(index + 3);
    block.extensionTime = m_protocol.steps(index + 3).time();
    const qint32 extensionChange = signedSeconds(m_protocol.steps(index + 4).time());
    block.cyclesNum = cyclesFromWire(m_protocol.steps(index + 5).time());
    const qint64 intervals = touchdownIntervals(block.cyclesNum);
    block.annealingEndTemp =
        static_cast<float>(block.annealingTemp + intervals * double(annealingChange));
    block.extensionEndTime =
        static_cast<float>(block.extensionTime + intervals * double(extensionChange));
    return block;
}

// The message holds one lid temperature; a block reads its heated lid from it.
Container::Protocol ProgramV3::blockWithLid(ProgramType type, float heatedAbove) const
{
    Container::Protocol block(type);
    block.protocolName = QByteArray::fromStdString(m_protocol.protocolname());
    block.lidTemp = m_protocol.lidtemp();
    block.heatedLid = m_protocol.lidtemp() > heatedAbove;
    return block;
}

bool ProgramV3::rejectProtocol()
{
    setProgramType(PT_INVALID);
    m_blocks.clear();
    qWarning() << "Parse error.. Unrecognized protocol received from device.";
    return false;
}

const ProtocolV3::PCRProtocol &ProgramV3::pcrProtocol() const
{
    logProtocol("Send");
    return m_protocol;
}

void ProgramV3::logProtocol(const char *direction) const
{
    const auto line = [direction](int number, const char *what) {
        return QStringLiteral("%1. %2 protocol: %3 = ")
            .arg(number)
            .arg(QLatin1String(direction), QLatin1String(what));
    };
    const QByteArray id = QByteArray::fromStdString(m_protocol.id());
    qDebug().noquote() << line(1, "name") << name();
    qDebug().noquote() << line(2, "lidTemp") << m_protocol.lidtemp();
    qDebug().noquote() << line(3, "protocolName")
                       << QString::fromStdString(m_protocol.protocolname());
    qDebug().noquote() << line(4, "steps_size") << m_protocol.steps_size();
    qDebug().noquote() << line(5, "Uuid") << id << id.size();
    for (int index = 0; index < m_protocol.steps_size(); ++index) {
        const ProtocolV3::PCRStep &step = m_protocol.steps(index);
        qDebug().nospace() << "step [" << index << "] type == " << stepTypeName(step.type());
        qDebug().nospace() << "step [" << index << "] target == " << step.target();
        qDebug().nospace() << "step [" << index << "] time == " << step.time();
        qDebug().nospace() << "step [" << index
                           << "] protocol type == " << protocolTypeName(step.protocoltype());
    }
}

QJsonDocument ProgramV3::protocolSteps() const
{
    QJsonArray steps;
    for (const Container::Protocol &block : m_blocks)
        steps.append(block.toJson());
    return QJsonDocument(steps);
}

ProgramPtr ProgramV3::copyWithName(const QString &newName) const
{
    return ProgramPtr(
        new ProgramV3(newName, protocolSteps().toJson(), finalCooling(), programType()));
}

ProgramPtr ProgramV3::clone(bool newId) const
{
    return ProgramPtr(new ProgramV3(name(), protocolSteps().toJson(), finalCooling(), programType(),
                                    copyId(newId)));
}

ProgramPtr ProgramV3::toV1(bool newId) const
{
    return ProgramPtr(
        new ProgramV1(name(), protocolSteps().toJson(), programType(), copyId(newId)));
}

ProgramPtr ProgramV3::toV3(bool newId) const
{
    return clone(newId);
}

void ProgramV3::limitTimes() {}

float ProgramV3::initTemp() const
{
    return m_blocks.empty() ? 0.0f : m_blocks.front().initTemp();
}

float ProgramV3::initLidTemp() const
{
    return m_blocks.empty() ? 0.0f : m_blocks.front().initLidTemp();
}

bool ProgramV3::finalCooling() const
{
    return m_protocol.finalcooling() == ProtocolV3::ENABLE_COOLING_STATE;
}

QString ProgramV3::firmware() const
{
    return firmwareVersionV3;
}

QString ProgramV3::name() const
{
    return isValid() ? QString::fromStdString(m_protocol.protocolname()) : QString();
}

void ProgramV3::setName(const QString &name)
{
    m_protocol.set_protocolname(name.trimmed().toStdString());
}

int ProgramV3::totalCycles() const
{
    return cyclesBefore(int(m_blocks.size()));
}

int ProgramV3::blockCycles(int index) const
{
    if (index < 0 || index >= int(m_blocks.size()))
        return -1;
    return m_blocks.at(std::size_t(index)).cyclesNum;
}

int ProgramV3::cyclesBefore(int count) const
{
    if (count < 0 || count > int(m_blocks.size()))
        return 0;
    qint64 cycles = 0;
    for (auto block = m_blocks.cbegin(); block != m_blocks.cbegin() + count; ++block)
        cycles += qMax(block->cyclesNum, 0);
    return int(qMin<qint64>(cycles, std::numeric_limits<int>::max()));
}

int ProgramV3::stepsCount() const
{
    return m_protocol.steps_size();
}

float ProgramV3::lidTemp() const
{
    return m_protocol.lidtemp();
}

int ProgramV3::stepTime(int index) const
{
    return int(m_protocol.steps(index).time());
}

float ProgramV3::stepTarget(int index) const
{
    return m_protocol.steps(index).target();
}

int ProgramV3::stepType(int index) const
{
    return m_protocol.steps(index).type();
}

QString ProgramV3::stepName(int index) const
{
    return QString::fromStdString(m_protocol.steps(index).stepname());
}

Program::ProgramType ProgramV3::stepProgramType(int index) const
{
    return validType(programTypeFromWireProtocolType(m_protocol.steps(index).protocoltype()));
}

QString ProgramV3::idString() const
{
    return QString::fromStdString(m_protocol.id());
}

QString ProgramV3::stepTypeName(int stepType)
{
    if (!ProtocolV3::StepType_IsValid(stepType))
        return QString::number(stepType);
    return QString::fromStdString(
        ProtocolV3::StepType_Name(static_cast<ProtocolV3::StepType>(stepType)));
}

QString ProgramV3::protocolTypeName(int protocolType)
{
    if (!ProtocolV3::ProtocolType_IsValid(protocolType))
        return QString::number(protocolType);
    return QString::fromStdString(
        ProtocolV3::ProtocolType_Name(static_cast<ProtocolV3::ProtocolType>(protocolType)));
}
