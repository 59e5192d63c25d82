#include "steptracker.h"

#include <array>

void StepTracker::setProgram(const ProgramPtr &program)
{
    m_program = program;
    clear();
}

void StepTracker::clear()
{
    m_step = 0;
    m_flex = FlexPosition();
    m_blockTypesSeen.clear();
    m_cyclesBefore = 0;
    m_blockCycle = 0;
    m_stepKind = PCRConst::SN_OTHER;
}

void StepTracker::update(int machineStep, int machineCycle)
{
    clear();
    if (!m_program || !m_program->isValid())
        return;
    m_step = qBound(0, machineStep, stepCount());
    if (isFlex())
        locateFlexBlock();
    m_stepKind = kindOfStep();
    countCycles(machineCycle);
}

PCRConst::StepNames StepTracker::stepKind() const
{
    return m_stepKind;
}

bool StepTracker::isPcrStyleStep() const
{
    return m_stepKind >= PCRConst::SN_INITIAL_DENATURATION &&
           m_stepKind <= PCRConst::SN_FINAL_EXTENSION;
}

bool StepTracker::hadPcrStyleStep() const
{
    if (isFlex())
        return lastCyclingBlockSeen() >= 0;
    return m_step > 0 && hasCycles(m_program->programType());
}

int StepTracker::stepCurrentCycle() const
{
    switch (m_stepKind) {
    case PCRConst::SN_INITIAL_DENATURATION:
        return 0;
    case PCRConst::SN_DENATURATION:
    case PCRConst::SN_ANNEALING:
    case PCRConst::SN_EXTENSION:
    case PCRConst::SN_CYCLE:
        return m_blockCycle;
    default:
        // Past the cycles of the block shown: they are all done.
        return stepTotalCycles();
    }
}

int StepTracker::stepTotalCycles() const
{
    if (!hadPcrStyleStep())
        return 0;
    if (!isFlex())
        return m_program->totalCycles();
    return m_program->blockCycles(lastCyclingBlockSeen());
}

int StepTracker::currentCycle() const
{
    return m_cyclesBefore + m_blockCycle;
}

int StepTracker::totalCycles() const
{
    return m_program ? m_program->totalCycles() : 0;
}

bool StepTracker::followsDnaChart() const
{
    if (isFlex())
        return hasCycles(m_flex.type);
    return m_program && m_program->programType() == Program::PT_PCR;
}

bool StepTracker::isFlex() const
{
    return m_program && m_program->programType() == Program::PT_FLEX;
}

int StepTracker::flexStepNumber() const
{
    return isFlex() ? m_flex.block + 1 : 0;
}

Program::ProgramType StepTracker::flexStepType() const
{
    return m_flex.type;
}

bool StepTracker::hasCycles(Program::ProgramType type)
{
    return type == Program::PT_PCR || type == Program::PT_TOUCHDOWN;
}

PCRConst::StepNames StepTracker::plainPcrStepKind(int step)
{
    // The cycle step closes the extension.
    static constexpr std::array<PCRConst::StepNames, 6> kinds = {PCRConst::SN_INITIAL_DENATURATION,
                                                                 PCRConst::SN_DENATURATION,
                                                                 PCRConst::SN_ANNEALING,
                                                                 PCRConst::SN_EXTENSION,
                                                                 PCRConst::SN_EXTENSION,
                                                                 PCRConst::SN_FINAL_EXTENSION};
    return step >= 1 && step <= int(kinds.size()) ? kinds.at(size_t(step - 1)) : PCRConst::SN_OTHER;
}

PCRConst::StepNames StepTracker::blockStepKind(Program::ProgramType type, int relativeStep)
{
    // Touchdown steps follow the step they shift; the cycle step closes the extension.
    static constexpr std::array<PCRConst::StepNames, 4> pcr = {
        PCRConst::SN_DENATURATION, PCRConst::SN_ANNEALING, PCRConst::SN_EXTENSION,
        PCRConst::SN_EXTENSION};
    static constexpr std::array<PCRConst::StepNames, 6> touchdown = {
        PCRConst::SN_DENATURATION, PCRConst::SN_ANNEALING, PCRConst::SN_ANNEALING,
        PCRConst::SN_EXTENSION,    PCRConst::SN_EXTENSION, PCRConst::SN_EXTENSION};
    const auto kindIn = [relativeStep](const auto &kinds) {
        return relativeStep >= 1 && relativeStep <= int(kinds.size())
                   ? kinds.at(size_t(relativeStep - 1))
                   : PCRConst::SN_OTHER;
    };
    if (type == Program::PT_PCR)
        return kindIn(pcr);
    if (type == Program::PT_TOUCHDOWN)
        return kindIn(touchdown);
    return PCRConst::SN_OTHER;
}

PCRConst::StepNames StepTracker::kindOfStep() const
{
    if (m_step <= 0)
        return PCRConst::SN_OTHER;
    if (m_program->finalCooling() && m_step == stepCount())
        return PCRConst::SN_FINAL_COOLING;
    if (isFlex())
        return blockStepKind(m_flex.type, m_step - m_flex.firstStep);
    if (m_program->programType() == Program::PT_PCR)
        return plainPcrStepKind(m_step);
    return blockStepKind(m_program->programType(), m_step);
}

int StepTracker::stepCount() const
{
    return m_program->stepsCount();
}

void StepTracker::locateFlexBlock()
{
    const int machineIndex = m_step - 1;
    // The final cooling step belongs to no block: it closes the last one.
    const int blocksEnd = stepCount() - (m_program->finalCooling() ? 1 : 0);
    int first = 0;
    for (int block = 0; first < blocksEnd; ++block) {
        const Program::ProgramType type = m_program->stepProgramType(first);
        const int size = flexStepsForProgramType(type);
        if (size <= 0)
            return;
        m_blockTypesSeen.append(type);
        m_flex = {block, first, type};
        if (machineIndex < first + size)
            return;
        first += size;
    }
}

void StepTracker::countCycles(int machineCycle)
{
    Program::ProgramType type = m_program->programType();
    int cycles = m_program->totalCycles();
    if (isFlex()) {
        m_cyclesBefore = m_program->cyclesBefore(m_flex.block);
        type = m_flex.type;
        cycles = m_program->blockCycles(m_flex.block);
    }
    m_blockCycle = hasCycles(type) ? qBound(0, machineCycle, qMax(0, cycles)) : 0;
}

int StepTracker::lastCyclingBlockSeen() const
{
    for (int block = m_blockTypesSeen.size() - 1; block >= 0; --block) {
        if (hasCycles(m_blockTypesSeen.at(block)))
            return block;
    }
    return -1;
}
