#include "runengine.h"

#include "utils/pcrconst.h"

#include <QDebug>

#include <cmath>

namespace {
constexpr double MsPerSecond = 1000.0;
} // namespace

RunEngine::RunEngine(QObject *parent)
    : QObject(parent)
    , m_status(PCRConst::DS_STOPPED)
    , m_activeStatus(PCRConst::DS_STOPPED)
{}

void RunEngine::load(const MachineProgram &program)
{
    m_program = program;
    m_hasProgram = true;
    m_runClockOn = false;
    m_runMs = 0;
    m_position = Position();
    m_stepMs = 0;
    setStatus(PCRConst::DS_STOPPED);
    applySetpoints();
}

bool RunEngine::hasProgram() const
{
    return m_hasProgram;
}

const MachineProgram &RunEngine::program() const
{
    return m_program;
}

bool RunEngine::start()
{
    if (!m_hasProgram)
        return false;
    m_runMs = 0;
    m_runClockOn = true;
    m_position = Position();
    m_stepMs = 0;
    setStatus(PCRConst::DS_START_UP);
    applySetpoints();
    return true;
}

void RunEngine::pause()
{
    if (m_status != PCRConst::DS_START_UP && m_status != PCRConst::DS_RUNNING)
        return;
    // The block holds where it is; the step's time stands still.
    if (m_status == PCRConst::DS_RUNNING)
        m_thermal.setBlockTarget(m_thermal.blockTemp());
    setStatus(PCRConst::DS_PAUSED);
}

void RunEngine::resume()
{
    if (m_status == PCRConst::DS_PAUSED)
        setStatus(m_activeStatus);
}

void RunEngine::stop()
{
    if (!isRunActive())
        return;
    setStatus(PCRConst::DS_STOPPED);
    applySetpoints();
}

void RunEngine::setPowered(bool powered)
{
    m_powered = powered;
}

bool RunEngine::isPowered() const
{
    return m_powered;
}

bool RunEngine::isRunActive() const
{
    return m_status == PCRConst::DS_START_UP || m_status == PCRConst::DS_RUNNING ||
           m_status == PCRConst::DS_PAUSED;
}

void RunEngine::advance(int ms)
{
    if (m_runClockOn)
        m_runMs += ms;
    if (m_status == PCRConst::DS_RUNNING && m_powered)
        applySetpoints();
    m_thermal.advance(ms / MsPerSecond, m_powered);
    if (!m_powered)
        return;
    if (m_status == PCRConst::DS_START_UP)
        advanceStartUp();
    else if (m_status == PCRConst::DS_RUNNING)
        advanceStep(ms);
}

int RunEngine::status() const
{
    return m_status;
}

int RunEngine::error() const
{
    return m_powered ? PCRConst::DE_NO_ERROR : PCRConst::DE_NO_POWER;
}

int RunEngine::step() const
{
    return m_position.index + 1;
}

int RunEngine::cycle() const
{
    return m_position.cycle;
}

quint32 RunEngine::timeInSec() const
{
    return quint32(m_runMs / qint64(MsPerSecond));
}

quint32 RunEngine::stepTimeInSec() const
{
    return m_status == PCRConst::DS_START_UP ? 0 : quint32(m_stepMs / qint64(MsPerSecond));
}

quint32 RunEngine::remainingTimeInSec() const
{
    if (!isRunActive())
        return 0;
    const double seconds = m_activeStatus == PCRConst::DS_START_UP
                               ? startUpRemainingSeconds()
                               : currentStepRemainingSeconds() +
                                     plannedSeconds(following(m_position), targetAt(m_position));
    return quint32(std::ceil(seconds));
}

const ThermalModel &RunEngine::thermal() const
{
    return m_thermal;
}

void RunEngine::setStatus(int status)
{
    if (status == m_status)
        return;
    m_status = status;
    if (status != PCRConst::DS_PAUSED)
        m_activeStatus = status;
    emit statusChanged(status);
}

void RunEngine::enterRunning()
{
    m_position = settle(Position(), false);
    if (isPastEnd(m_position)) {
        finish();
        return;
    }
    setStatus(PCRConst::DS_RUNNING);
    m_rampFrom = m_thermal.blockTemp();
    beginStep();
}

void RunEngine::beginStep()
{
    m_stepMs = 0;
    m_holdMs = 0;
    m_targetReached = false;
    applySetpoints();
}

void RunEngine::finish()
{
    m_runClockOn = false;
    setStatus(PCRConst::DS_FINISHED);
    applySetpoints();
}

void RunEngine::advanceStartUp()
{
    const auto lid = lidTarget();
    if (!lid || m_thermal.lidTemp() >= *lid - LidReadyMarginC)
        enterRunning();
}

void RunEngine::advanceStep(int ms)
{
    m_stepMs += ms;
    const MachineStep::Kind kind = m_program.steps().at(m_position.index).kind;
    const qint64 durationMs = qint64(secondsAt(m_position)) * qint64(MsPerSecond);
    if (kind == MachineStep::Hold) {
        if (!m_targetReached)
            m_targetReached =
                std::abs(m_thermal.blockTemp() - targetAt(m_position)) <= TargetToleranceC;
        else
            m_holdMs += ms;
        if (!m_targetReached || m_holdMs < durationMs)
            return;
    } else if (m_stepMs < durationMs) {
        return;
    }
    const Position next = following(m_position);
    if (isPastEnd(next)) {
        finish();
        return;
    }
    // A ramp starts where the previous step aimed, not where the block lags.
    m_rampFrom = targetAt(m_position);
    m_position = next;
    beginStep();
}

void RunEngine::applySetpoints()
{
    switch (m_status) {
    case PCRConst::DS_RUNNING: {
        const MachineStep &step = m_program.steps().at(m_position.index);
        const float target = targetAt(m_position);
        const quint32 seconds = secondsAt(m_position);
        if (step.kind == MachineStep::LinearRamp && seconds > 0) {
            const double progress = qMin(1.0, m_stepMs / (seconds * MsPerSecond));
            m_thermal.setBlockTarget(float(m_rampFrom + (target - m_rampFrom) * progress));
        } else {
            m_thermal.setBlockTarget(target);
        }
        m_thermal.setLidTarget(lidTarget());
        break;
    }
    case PCRConst::DS_START_UP:
        m_thermal.setBlockTarget(std::nullopt);
        m_thermal.setLidTarget(lidTarget());
        break;
    case PCRConst::DS_PAUSED:
        break;
    default:
        m_thermal.setBlockTarget(std::nullopt);
        m_thermal.setLidTarget(std::nullopt);
    }
}

std::optional<float> RunEngine::lidTarget() const
{
    // Firmware 3 sends 0 for a lid left cold.
    if (m_program.lidTemp() <= ThermalModel::AmbientC)
        return std::nullopt;
    return m_program.lidTemp();
}

RunEngine::Position RunEngine::settle(Position position, bool jumpedBack) const
{
    const QVector<MachineStep> &steps = m_program.steps();
    while (position.index < steps.size()) {
        if (!jumpedBack) {
            // Loops that begin here start their first cycle.
            for (int i = position.index; i < steps.size(); ++i) {
                if (steps.at(i).kind == MachineStep::Cycle && loopStart(i) == position.index) {
                    position.passes[i] = 1;
                    position.cycle = 1;
                }
            }
        }
        const MachineStep &step = steps.at(position.index);
        if (step.kind == MachineStep::Cycle) {
            const int passes = position.passes.value(position.index, 1);
            const int start = loopStart(position.index);
            if (start >= 0 && passes < qint64(step.time)) {
                position.passes[position.index] = passes + 1;
                position.cycle = passes + 1;
                position.index = start;
                jumpedBack = true;
                continue;
            }
            position.passes.remove(position.index);
        } else if (step.kind != MachineStep::Touchdown) {
            break;
        }
        ++position.index;
        jumpedBack = false;
    }
    return position;
}

RunEngine::Position RunEngine::following(const Position &position) const
{
    Position next = position;
    ++next.index;
    return settle(next, false);
}

bool RunEngine::isPastEnd(const Position &position) const
{
    return position.index >= m_program.steps().size();
}

int RunEngine::loopStart(int cycleIndex) const
{
    // The target is the 1-based number of an earlier step; anything else is no loop.
    const float target = m_program.steps().at(cycleIndex).target;
    const int start = int(std::lround(target)) - 1;
    return start >= 0 && start < cycleIndex ? start : -1;
}

float RunEngine::targetAt(const Position &position) const
{
    const QVector<MachineStep> &steps = m_program.steps();
    float target = steps.at(position.index).target;
    const int next = position.index + 1;
    if (next < steps.size() && steps.at(next).kind == MachineStep::Touchdown)
        target += float(qMax(position.cycle, 1) - 1) * steps.at(next).target;
    return target;
}

quint32 RunEngine::secondsAt(const Position &position) const
{
    const QVector<MachineStep> &steps = m_program.steps();
    quint32 seconds = steps.at(position.index).time;
    const int next = position.index + 1;
    if (next < steps.size() && steps.at(next).kind == MachineStep::Touchdown)
        seconds += quint32(qMax(position.cycle, 1) - 1) * steps.at(next).time;
    return seconds;
}

double RunEngine::startUpRemainingSeconds() const
{
    double seconds = plannedSeconds(settle(Position(), false), m_thermal.blockTemp());
    if (const auto lid = lidTarget())
        seconds += ThermalModel::lidHeatingSeconds(m_thermal.lidTemp(), *lid - LidReadyMarginC);
    return seconds;
}

double RunEngine::currentStepRemainingSeconds() const
{
    const double seconds = secondsAt(m_position);
    if (m_program.steps().at(m_position.index).kind != MachineStep::Hold)
        return qMax(0.0, seconds - m_stepMs / MsPerSecond);
    if (!m_targetReached)
        return ThermalModel::blockTransitSeconds(m_thermal.blockTemp(), targetAt(m_position)) +
               seconds;
    return qMax(0.0, seconds - m_holdMs / MsPerSecond);
}

double RunEngine::plannedSeconds(Position position, float fromTemp) const
{
    double seconds = 0.0;
    float temp = fromTemp;
    for (; !isPastEnd(position); position = following(position)) {
        const float target = targetAt(position);
        if (m_program.steps().at(position.index).kind == MachineStep::Hold)
            seconds += ThermalModel::blockTransitSeconds(temp, target);
        seconds += secondsAt(position);
        temp = target;
    }
    return seconds;
}
