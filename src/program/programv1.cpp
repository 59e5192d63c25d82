#include "programv1.h"

#include "programv3.h"
#include "utils/pcrconst.h"

#include <QDebug>
#include <QJsonArray>

#include <limits>

namespace {

// A heat block or ramp keeps the lid this much above the block.
constexpr float lidAboveBlock = 10.0f;
// A lid held at body temperature or below is not heating.
constexpr float unheatedPcrLidTemp = PCRConst::defaultHoldTemp();

float jsonFloat(const QJsonObject &step, const QString &key)
{
    return Container::Protocol::jsonFloat(step.value(key));
}

} // namespace

quint32 ProgramV1::jsonSeconds(const QJsonObject &step, const QString &key)
{
    return wireUnsigned(step.value(key).toDouble());
}

ProgramV1::ProgramV1(const QString &name, const QByteArray &steps, ProgramType type, int programId,
                     QObject *parent)
    : Program(type, programId, parent)
{
    const QString trimmedName = name.trimmed();
    m_protocol.set_protocolname(trimmedName.toStdString());
    editProgram(trimmedName, steps, true);
}

ProgramV1::ProgramV1(const QString &name, const QByteArray &steps, ProgramType type,
                     QObject *parent)
    : ProgramV1(name, steps, type, -1, parent)
{}

ProgramV1::ProgramV1(const QByteArray &serializedMessage, QObject *parent)
    : Program(PT_INVALID, -1, parent)
{
    if (!parseMessage(m_protocol, serializedMessage) || !fillFromPCRProtocol() ||
        !hasFirmwareV1Shape())
        setProgramType(PT_INVALID);
}

ProgramV1::ProgramV1()
    : Program(PT_INVALID, -1, nullptr)
{}

ProgramV1::~ProgramV1()
{
    qDebug() << "ProgramV1::~ProgramV1() " << name();
}

bool ProgramV1::isSupportedByV1() const
{
    const auto fits = [](quint32 seconds) { return seconds <= firmwareV1MaxSeconds(); };
    switch (programType()) {
    case PT_PCR:
        return fits(m_shortPcr.initializationtime()) && fits(m_shortPcr.denaturationtime()) &&
               fits(m_shortPcr.annealingtime()) && fits(m_shortPcr.extensiontime()) &&
               fits(m_shortPcr.finalextensiontime());
    case PT_HEAT_BLOCK:
    case PT_LINEAR_RAMP:
        return fits(m_shortRamp.time());
    default:
        return false;
    }
}

// Firmware 1 has no final-cooling switch: a PCR program always cools down
// at its end, other programs never do.
void ProgramV1::editProgram(const QString &name, const QByteArray &steps, bool finalCooling)
{
    Q_UNUSED(finalCooling)
    m_isPcr = programType() == PT_PCR;
    const QJsonDocument document = QJsonDocument::fromJson(steps);
    if (!document.isArray() || document.array().isEmpty()) {
        qDebug() << "Can't Edit program. Wrong Json format.: " << steps;
        return;
    }
    const QJsonObject step = document.array().first().toObject();
    switch (programType()) {
    case PT_PCR:
        editPcr(name.trimmed(), step);
        break;
    case PT_HEAT_BLOCK:
    case PT_LINEAR_RAMP:
        editRamp(name.trimmed(), step);
        break;
    default:
        break;
    }
    updatePropertyModel(protocolSteps().array());
}

void ProgramV1::editPcr(const QString &name, const QJsonObject &step)
{
    m_shortPcr.set_protocolname(name.toStdString());
    m_shortPcr.set_initializationtemp(jsonFloat(step, PCRConst::initTemp()));
    m_shortPcr.set_initializationtime(jsonSeconds(step, PCRConst::initTime()));
    m_shortPcr.set_annealingtemp(jsonFloat(step, PCRConst::annealingTemp()));
    m_shortPcr.set_annealingtime(jsonSeconds(step, PCRConst::annealingTime()));
    m_shortPcr.set_cyclenumber(wireUnsigned(step.value(PCRConst::cyclesNum()).toInt()));
    m_shortPcr.set_denaturationtemp(jsonFloat(step, PCRConst::denaturationTemp()));
    m_shortPcr.set_denaturationtime(jsonSeconds(step, PCRConst::denaturationTime()));
    m_shortPcr.set_extensiontemp(jsonFloat(step, PCRConst::extensionTemp()));
    m_shortPcr.set_extensiontime(jsonSeconds(step, PCRConst::extensionTime()));
    m_shortPcr.set_finalextensiontemp(jsonFloat(step, PCRConst::finalTemp()));
    m_shortPcr.set_finalextensiontime(jsonSeconds(step, PCRConst::finalTime()));
    m_heatedLid = step.value(PCRConst::heatedLid()).toBool();
    m_shortPcr.set_lidtemp(m_heatedLid ? PCRConst::defaultLidMaxTemp() : unheatedPcrLidTemp);
    rebuildPcrSteps();
}

void ProgramV1::rebuildPcrSteps()
{
    m_protocol.clear_steps();
    m_protocol.set_protocolname(m_shortPcr.protocolname());
    m_protocol.set_lidtemp(m_shortPcr.lidtemp());
    appendStep(ProtocolV1::HOLD, m_shortPcr.initializationtemp(), m_shortPcr.initializationtime());
    appendStep(ProtocolV1::HOLD, m_shortPcr.denaturationtemp(), m_shortPcr.denaturationtime());
    appendStep(ProtocolV1::HOLD, m_shortPcr.annealingtemp(), m_shortPcr.annealingtime());
    appendStep(ProtocolV1::HOLD, m_shortPcr.extensiontemp(), m_shortPcr.extensiontime());
    // Cycle back to step 2, the denaturation.
    appendStep(ProtocolV1::CYCLE, 2.0f, m_shortPcr.cyclenumber());
    appendStep(ProtocolV1::HOLD, m_shortPcr.finalextensiontemp(), m_shortPcr.finalextensiontime());
    appendStep(ProtocolV1::HOLD, PCRConst::defaultHoldTemp(), PCRConst::defaultHoldTime());
}

void ProgramV1::editRamp(const QString &name, const QJsonObject &step)
{
    m_shortRamp.set_protocolname(name.toStdString());
    m_shortRamp.set_time(jsonSeconds(step, PCRConst::time()));
    m_shortRamp.set_starttemp(jsonFloat(step, PCRConst::startTemp()));
    m_shortRamp.set_finaltemp(jsonFloat(step, PCRConst::finalTemp()));
    // A ramp always heats its lid.
    m_heatedLid = programType() == PT_LINEAR_RAMP || step.value(PCRConst::heatedLid()).toBool();
    rebuildRampSteps();
}

void ProgramV1::rebuildRampSteps()
{
    m_protocol.clear_steps();
    m_protocol.set_protocolname(m_shortRamp.protocolname());
    m_protocol.set_lidtemp(m_heatedLid ? m_shortRamp.starttemp() + lidAboveBlock : 0.0f);
    // One second at the start temperature brings the block there first.
    appendStep(ProtocolV1::HOLD, m_shortRamp.starttemp(), 1);
    if (programType() == PT_LINEAR_RAMP)
        appendStep(ProtocolV1::LINEAR_RAMP, m_shortRamp.finaltemp(), m_shortRamp.time());
    else
        appendStep(ProtocolV1::HOLD, m_shortRamp.starttemp(), m_shortRamp.time());
}

void ProgramV1::appendStep(ProtocolV1::StepType type, float target, quint32 seconds)
{
    ProtocolV1::PCRStep *step = m_protocol.add_steps();
    step->set_type(type);
    step->set_target(target);
    step->set_time(seconds);
}

QJsonDocument ProgramV1::protocolSteps() const
{
    QJsonObject step;
    switch (programType()) {
    case PT_PCR:
        step = pcrStep();
        break;
    case PT_HEAT_BLOCK:
    case PT_LINEAR_RAMP:
        step = rampStep();
        break;
    default:
        break;
    }
    step.insert(QStringLiteral("firmware"), firmwareVersionV1);
    return QJsonDocument(QJsonArray{step});
}

QJsonObject ProgramV1::pcrStep() const
{
    return {{PCRConst::objectType(), PCRConst::objectTypePCR()},
            {PCRConst::protocolName(), QString::fromStdString(m_shortPcr.protocolname())},
            {PCRConst::initTemp(), double(m_shortPcr.initializationtemp())},
            {PCRConst::initTime(), qint64(m_shortPcr.initializationtime())},
            {PCRConst::annealingTemp(), double(m_shortPcr.annealingtemp())},
            {PCRConst::annealingTime(), qint64(m_shortPcr.annealingtime())},
            {PCRConst::cyclesNum(), qint64(m_shortPcr.cyclenumber())},
            {PCRConst::denaturationTemp(), double(m_shortPcr.denaturationtemp())},
            {PCRConst::denaturationTime(), qint64(m_shortPcr.denaturationtime())},
            {PCRConst::extensionTemp(), double(m_shortPcr.extensiontemp())},
            {PCRConst::extensionTime(), qint64(m_shortPcr.extensiontime())},
            {PCRConst::finalTemp(), double(m_shortPcr.finalextensiontemp())},
            {PCRConst::finalTime(), qint64(m_shortPcr.finalextensiontime())},
            {PCRConst::heatedLid(), m_heatedLid}};
}

QJsonObject ProgramV1::rampStep() const
{
    const bool linear = programType() == PT_LINEAR_RAMP;
    QJsonObject step{{PCRConst::objectType(),
                      linear ? PCRConst::objectTypeLinearRamp() : PCRConst::objectTypeHeatBlock()},
                     {PCRConst::protocolName(), QString::fromStdString(m_shortRamp.protocolname())},
                     {PCRConst::time(), qint64(m_shortRamp.time())},
                     {PCRConst::startTemp(), double(m_shortRamp.starttemp())},
                     {PCRConst::heatedLid(), m_heatedLid}};
    if (linear)
        step.insert(PCRConst::finalTemp(), double(m_shortRamp.finaltemp()));
    return step;
}

bool ProgramV1::fillFromPCRProtocol()
{
    qDebug() << "RECEIVE PROGRAM";
    print();
    const int count = m_protocol.steps_size();
    if (count == 7 && m_protocol.steps(4).type() == ProtocolV1::CYCLE) {
        readPcr();
    } else if (count == 2) {
        readRamp(m_protocol.steps(1).type() == ProtocolV1::LINEAR_RAMP);
    } else {
        setProgramType(PT_INVALID);
        qWarning() << "Parse error.. Unrecognized protocol received from device. ";
        return false;
    }
    m_isPcr = programType() == PT_PCR;
    updatePropertyModel(protocolSteps().array());
    return true;
}

void ProgramV1::readPcr()
{
    const auto step = [this](int index) -> const ProtocolV1::PCRStep & {
        return m_protocol.steps(index);
    };
    m_heatedLid = m_protocol.lidtemp() > unheatedPcrLidTemp;
    m_shortPcr.set_protocolname(m_protocol.protocolname());
    m_shortPcr.set_lidtemp(m_protocol.lidtemp());
    m_shortPcr.set_initializationtemp(step(0).target());
    m_shortPcr.set_initializationtime(step(0).time());
    m_shortPcr.set_denaturationtemp(step(1).target());
    m_shortPcr.set_denaturationtime(step(1).time());
    m_shortPcr.set_annealingtemp(step(2).target());
    m_shortPcr.set_annealingtime(step(2).time());
    m_shortPcr.set_extensiontemp(step(3).target());
    m_shortPcr.set_extensiontime(step(3).time());
    m_shortPcr.set_cyclenumber(step(4).time());
    m_shortPcr.set_finalextensiontemp(step(5).target());
    m_shortPcr.set_finalextensiontime(step(5).time());
    setProgramType(PT_PCR);
}

// A heat block's lid runs 10 degrees above the block, so any lid temperature
// means a heated lid; a ramp always heats its lid.
void ProgramV1::readRamp(bool linear)
{
    const ProtocolV1::PCRStep &first = m_protocol.steps(0);
    const ProtocolV1::PCRStep &second = m_protocol.steps(1);
    m_heatedLid = linear || m_protocol.lidtemp() > 0.0f;
    m_shortRamp.set_protocolname(m_protocol.protocolname());
    m_shortRamp.set_starttemp(linear ? first.target() : second.target());
    m_shortRamp.set_finaltemp(second.target());
    m_shortRamp.set_time(second.time());
    setProgramType(linear ? PT_LINEAR_RAMP : PT_HEAT_BLOCK);
}

bool ProgramV1::hasFirmwareV1Shape() const
{
    QList<int> expected;
    switch (programType()) {
    case PT_PCR:
        expected = {ProtocolV1::HOLD,  ProtocolV1::HOLD, ProtocolV1::HOLD, ProtocolV1::HOLD,
                    ProtocolV1::CYCLE, ProtocolV1::HOLD, ProtocolV1::HOLD};
        break;
    case PT_HEAT_BLOCK:
        expected = {ProtocolV1::HOLD, ProtocolV1::HOLD};
        break;
    case PT_LINEAR_RAMP:
        expected = {ProtocolV1::HOLD, ProtocolV1::LINEAR_RAMP};
        break;
    default:
        return false;
    }
    QList<int> actual;
    for (const ProtocolV1::PCRStep &step : m_protocol.steps())
        actual.append(step.type());
    return actual == expected;
}

void ProgramV1::limitTimes()
{
    const auto limited = [](quint32 seconds) { return qMin(seconds, firmwareV1MaxSeconds()); };
    if (programType() == PT_PCR) {
        m_shortPcr.set_initializationtime(limited(m_shortPcr.initializationtime()));
        m_shortPcr.set_denaturationtime(limited(m_shortPcr.denaturationtime()));
        m_shortPcr.set_annealingtime(limited(m_shortPcr.annealingtime()));
        m_shortPcr.set_extensiontime(limited(m_shortPcr.extensiontime()));
        m_shortPcr.set_finalextensiontime(limited(m_shortPcr.finalextensiontime()));
    } else if (programType() == PT_HEAT_BLOCK || programType() == PT_LINEAR_RAMP) {
        m_shortRamp.set_time(limited(m_shortRamp.time()));
    }
    for (ProtocolV1::PCRStep &step : *m_protocol.mutable_steps())
        step.set_time(limited(step.time()));
}

void ProgramV1::print() const
{
    qDebug() << "1. Protocol: name = " << name();
    qDebug() << "2. Protocol: lidTemp = " << m_protocol.lidtemp();
    qDebug() << "3. Protocol: protocolName = " << QString::fromStdString(m_protocol.protocolname());
    qDebug() << "4. Protocol: steps_size = " << m_protocol.steps_size();
    for (int index = 0; index < m_protocol.steps_size(); ++index) {
        const ProtocolV1::PCRStep &step = m_protocol.steps(index);
        qDebug().nospace() << "step [" << index << "] type == " << step.type();
        qDebug().nospace() << "step [" << index << "] target == " << step.target();
        qDebug().nospace() << "step [" << index << "] time == " << step.time();
    }
}

ProgramPtr ProgramV1::copyWithName(const QString &newName) const
{
    return ProgramPtr(new ProgramV1(newName, protocolSteps().toJson(), programType()));
}

ProgramPtr ProgramV1::clone(bool newId) const
{
    return ProgramPtr(
        new ProgramV1(name(), protocolSteps().toJson(), programType(), copyId(newId)));
}

ProgramPtr ProgramV1::toV1(bool newId) const
{
    return clone(newId);
}

ProgramPtr ProgramV1::toV3(bool newId) const
{
    return ProgramPtr(new ProgramV3(name(), protocolSteps().toJson(), finalCooling(), programType(),
                                    copyId(newId)));
}

float ProgramV1::initTemp() const
{
    switch (programType()) {
    case PT_PCR:
        return m_shortPcr.initializationtemp();
    case PT_HEAT_BLOCK:
    case PT_LINEAR_RAMP:
        return m_shortRamp.starttemp();
    default:
        return 0.0f;
    }
}

float ProgramV1::initLidTemp() const
{
    return m_protocol.lidtemp();
}

bool ProgramV1::finalCooling() const
{
    return m_isPcr;
}

QString ProgramV1::firmware() const
{
    return firmwareVersionV1;
}

QString ProgramV1::name() const
{
    return QString::fromStdString(m_protocol.protocolname());
}

void ProgramV1::setName(const QString &name)
{
    m_protocol.set_protocolname(name.trimmed().toStdString());
}

int ProgramV1::totalCycles() const
{
    if (programType() != PT_PCR)
        return 0;
    return int(qMin<quint32>(m_shortPcr.cyclenumber(), std::numeric_limits<int>::max()));
}

int ProgramV1::blockCycles(int) const
{
    return 0;
}

int ProgramV1::cyclesBefore(int) const
{
    return 0;
}

int ProgramV1::stepsCount() const
{
    return m_protocol.steps_size();
}

float ProgramV1::lidTemp() const
{
    return m_protocol.lidtemp();
}

int ProgramV1::stepTime(int index) const
{
    return int(m_protocol.steps(index).time());
}

float ProgramV1::stepTarget(int index) const
{
    return m_protocol.steps(index).target();
}

int ProgramV1::stepType(int index) const
{
    return m_protocol.steps(index).type();
}

QString ProgramV1::stepName(int) const
{
    return QString();
}

Program::ProgramType ProgramV1::stepProgramType(int) const
{
    return programType();
}

const ProtocolV1::PCRProtocol &ProgramV1::pcrProtocol() const
{
    return m_protocol;
}

ProtocolV1::PCRProtocol *ProgramV1::mutablePcrProtocol()
{
    return &m_protocol;
}

const ProtocolV1::ShortPCRProtocol &ProgramV1::shortPcrProtocol() const
{
    return m_shortPcr;
}

const ProtocolV1::ShortLinearRampProtocol &ProgramV1::shortLinearRampProtocol() const
{
    return m_shortRamp;
}

bool ProgramV1::heatedLid() const
{
    return m_heatedLid;
}
