#include "runclock.h"

#include "program/programdurationestimator.h"

RunClock::RunClock(bool estimatesDuration)
    : m_estimator(estimatesDuration ? std::make_unique<ProgramDurationEstimator>() : nullptr)
{}

RunClock::~RunClock() = default;

void RunClock::restore(qint32 finishTime, qint32 pauseCounter, qint32 stopCounter)
{
    m_finishTime = finishTime;
    m_pauseCounter = pauseCounter;
    m_stopCounter = stopCounter;
}

void RunClock::reset()
{
    m_runStart = QDateTime();
    m_finishTime = -1;
    m_bellArmed = false;
    m_pauseCounter = 0;
    m_stopCounter = 0;
    if (m_estimator)
        m_estimator->reset();
}

QDateTime RunClock::runStart() const
{
    return m_runStart;
}

bool RunClock::takeRunStart(const QDateTime &start)
{
    if (m_runStart.isValid())
        return false;
    m_runStart = start;
    return true;
}

void RunClock::armBell()
{
    m_bellArmed = true;
}

bool RunClock::finish(qint64 machineSeconds)
{
    if (m_finishTime != -1)
        return false;
    m_finishTime = qint32(machineSeconds);
    return true;
}

bool RunClock::isBellArmed() const
{
    return m_bellArmed;
}

void RunClock::countIdleReport(PCRConst::DeviceStatus state, bool powered)
{
    if (state == PCRConst::DS_PAUSED)
        ++m_pauseCounter;
    if (state == PCRConst::DS_STOPPED || !powered)
        ++m_stopCounter;
}

qint32 RunClock::finishTime() const
{
    return m_finishTime;
}

qint32 RunClock::pauseCounter() const
{
    return m_pauseCounter;
}

qint32 RunClock::stopCounter() const
{
    return m_stopCounter;
}

bool RunClock::hasFinished() const
{
    return m_finishTime >= 0;
}

qint64 RunClock::elapsedSeconds(qint64 machineSeconds) const
{
    // The finish time is the machine's run clock, pauses and stops included,
    // so that the chart ends with the run; the time shown leaves them out.
    const qint64 runTime = hasFinished() ? m_finishTime : machineSeconds;
    return qMax<qint64>(0, runTime - m_pauseCounter - m_stopCounter);
}

qint64 RunClock::remainingSeconds(qint64 machineSeconds, qint64 machineRemaining,
                                  const ProgramPtr &program, float lidTemp, float blockTemp) const
{
    if (!m_estimator)
        return machineRemaining;
    // Once per run, from the readings at the first request.
    if (!m_estimator->isEstimated()) {
        m_estimator->setProgram(program);
        m_estimator->estimate(lidTemp, blockTemp);
    }
    return qMax<qint64>(0, m_estimator->duration() - elapsedSeconds(machineSeconds));
}
