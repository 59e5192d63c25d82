#ifndef STEPTRACKER_H
#define STEPTRACKER_H

#include "program/program.h"
#include "utils/pcrconst.h"

#include <QList>

// Where a run stands in its program, from the step and cycle a machine
// reports: the kind of the step (for the running view), the flex block it
// belongs to, and the cycle counters the view shows.
//
// The cycle of the current step is the machine's cycle within the PCR or
// touchdown block it is in, out of that block's cycles. Before the cycles
// begin (initial denaturation) it is 0; once they are done (final
// extension, final cooling, and in a flex program any later block) it is
// the finished block's count, so the view can show "30 of 30". A flex
// program that has not reached a PCR or touchdown block has no cycles.
class StepTracker
{
public:
    // A new program: nothing reported yet.
    void setProgram(const ProgramPtr &program);
    // A new run of the same program.
    void clear();
    // One state report: the machine's 1-based step and its cycle.
    void update(int machineStep, int machineCycle);

    PCRConst::StepNames stepKind() const;
    // Initial denaturation to final extension.
    bool isPcrStyleStep() const;
    bool hadPcrStyleStep() const;
    int stepCurrentCycle() const;
    int stepTotalCycles() const;
    // Cycles of the whole run: those of the blocks passed plus the current block's.
    int currentCycle() const;
    int totalCycles() const;
    // The estimated DNA chart follows PCR programs and the PCR and touchdown blocks of flex
    // programs.
    bool followsDnaChart() const;

    bool isFlex() const;
    // 1-based number of the flex block the machine is in.
    int flexStepNumber() const;
    Program::ProgramType flexStepType() const;

private:
    struct FlexPosition
    {
        int block = 0;
        int firstStep = 0; // index of the block's first wire step
        Program::ProgramType type = Program::PT_INVALID;
    };

    static bool hasCycles(Program::ProgramType type);
    static PCRConst::StepNames plainPcrStepKind(int step);
    static PCRConst::StepNames blockStepKind(Program::ProgramType type, int relativeStep);
    PCRConst::StepNames kindOfStep() const;
    int stepCount() const;
    void locateFlexBlock();
    void countCycles(int machineCycle);
    // The current block, or the last one before it, that has cycles; -1 when none.
    int lastCyclingBlockSeen() const;

    ProgramPtr m_program;
    int m_step = 0; // the machine's step, within the program
    FlexPosition m_flex;
    QList<Program::ProgramType> m_blockTypesSeen;
    int m_cyclesBefore = 0;
    int m_blockCycle = 0; // the machine's cycle within the current block
    PCRConst::StepNames m_stepKind = PCRConst::SN_OTHER;
};

#endif // STEPTRACKER_H
