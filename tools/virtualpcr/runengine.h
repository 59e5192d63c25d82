#ifndef RUNENGINE_H
#define RUNENGINE_H

#include "machineprogram.h"
#include "thermalmodel.h"

#include <QHash>
#include <QObject>

// Runs the stored program as a machine does: the lid heats first (START_UP),
// then the wire steps follow one another. A HOLD step brings the block to its
// target and holds it there for its time; a LINEAR_RAMP step moves the target
// evenly over its time; a CYCLE step sends the run back to the 1-based step
// its target names until its number of cycles is done; a TOUCHDOWN step
// shifts the step before it by its target (degrees) and time (seconds) once
// per completed cycle. The run's clock (timeInSec) counts from the start
// until the run finishes, pauses and stops included, as hosts expect.
// Statuses are the wire Status values (equal to PCRConst::DeviceStatus).
class RunEngine : public QObject
{
    Q_OBJECT

public:
    static constexpr float TargetToleranceC = 0.1f;
    static constexpr float LidReadyMarginC = 1.0f;

    explicit RunEngine(QObject *parent = nullptr);

    // A new program ends any run; the machine then waits, stopped.
    void load(const MachineProgram &program);
    bool hasProgram() const;
    const MachineProgram &program() const;

    // From the first step, lid heating first. False without a program.
    bool start();
    void pause();
    void resume();
    void stop();
    void setPowered(bool powered);
    bool isPowered() const;
    // Started and not yet finished or stopped.
    bool isRunActive() const;

    // One slice of machine time: temperatures move, steps progress.
    void advance(int ms);

    int status() const;
    int error() const;
    int step() const; // 1-based
    int cycle() const;
    quint32 timeInSec() const;
    quint32 stepTimeInSec() const;
    quint32 remainingTimeInSec() const;
    const ThermalModel &thermal() const;

signals:
    void statusChanged(int status);

private:
    // Where the run stands: the step, the cycle shown, and the passes made
    // so far through each loop (keyed by its CYCLE step).
    struct Position
    {
        int index = 0;
        int cycle = 0;
        QHash<int, int> passes;
    };

    void setStatus(int status);
    void enterRunning();
    void beginStep();
    void finish();
    void advanceStartUp();
    void advanceStep(int ms);
    void applySetpoints();
    std::optional<float> lidTarget() const;

    // Moves over CYCLE and TOUCHDOWN steps to the next step that takes time.
    Position settle(Position position, bool jumpedBack) const;
    Position following(const Position &position) const;
    bool isPastEnd(const Position &position) const;
    int loopStart(int cycleIndex) const;
    float targetAt(const Position &position) const;
    quint32 secondsAt(const Position &position) const;
    double startUpRemainingSeconds() const;
    double currentStepRemainingSeconds() const;
    double plannedSeconds(Position position, float fromTemp) const;

    MachineProgram m_program;
    bool m_hasProgram = false;
    ThermalModel m_thermal;
    int m_status;
    int m_activeStatus; // the status itself, or while paused the one a resume returns to
    bool m_powered = true;
    bool m_runClockOn = false;
    qint64 m_runMs = 0;
    Position m_position;
    qint64 m_stepMs = 0;
    qint64 m_holdMs = 0;
    bool m_targetReached = false;
    float m_rampFrom = ThermalModel::AmbientC;
};

#endif // RUNENGINE_H
