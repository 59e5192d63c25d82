#ifndef RUNCLOCK_H
#define RUNCLOCK_H

#include "program/program.h"
#include "utils/pcrconst.h"

#include <QDateTime>

#include <memory>

class ProgramDurationEstimator;

// The time accounting of one run on one machine: when it started, when it
// finished, the reports that found it paused or stopped (left out of the
// time shown), whether its end rings the bell, and what is left of it. A
// firmware-1 machine does not report what is left: it is estimated once per
// run from the program and the temperatures at the first request.
class RunClock
{
public:
    explicit RunClock(bool estimatesDuration);
    ~RunClock();
    RunClock(const RunClock &) = delete;
    RunClock &operator=(const RunClock &) = delete;

    // As a device record left it.
    void restore(qint32 finishTime, qint32 pauseCounter, qint32 stopCounter);
    // A new run: nothing counted, not finished, the bell not armed, no estimate.
    void reset();

    QDateTime runStart() const;
    // The run's start, taken once per run; false when it was known already.
    bool takeRunStart(const QDateTime &start);

    // A report of a run going on a powered, initialised machine: its end rings.
    void armBell();
    // The run finished at the machine's run time; true the first time only.
    bool finish(qint64 machineSeconds);
    bool isBellArmed() const;
    // Paused reports count as pauses; stopped or unpowered ones as stops.
    void countIdleReport(PCRConst::DeviceStatus state, bool powered);

    // -1 until the run finishes.
    qint32 finishTime() const;
    qint32 pauseCounter() const;
    qint32 stopCounter() const;
    bool hasFinished() const;

    // Run time without pauses and stops.
    qint64 elapsedSeconds(qint64 machineSeconds) const;
    // Firmware 1: the estimate less the elapsed seconds; otherwise what the machine reports.
    qint64 remainingSeconds(qint64 machineSeconds, qint64 machineRemaining,
                            const ProgramPtr &program, float lidTemp, float blockTemp) const;

private:
    QDateTime m_runStart;
    qint32 m_finishTime = -1;
    qint32 m_pauseCounter = 0;
    qint32 m_stopCounter = 0;
    bool m_bellArmed = false;
    const std::unique_ptr<ProgramDurationEstimator> m_estimator;
};

#endif // RUNCLOCK_H
