#include "programdurationestimator.h"

#include "programv1.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr double lidSecondsPerDegree = 2.0;
constexpr double heatingDegreesPerSecond = 1.7;
// Settling at the target after a short climb.
constexpr double shortHeatingDegrees = 10.0;
constexpr qint64 shortHeatingExtraSeconds = 15;
// Below this the block cools slowly for its last degrees.
constexpr float slowCoolingBelow = 50.0f;
constexpr qint64 slowCoolingExtraSeconds = 20;
// Ramps between the steps of a firmware-1 PCR protocol.
constexpr double pcrRampDegreesPerSecond = 1.097;
constexpr qint64 pcrStartSeconds = 30;

// Cooling slows down as the block nears room temperature: the rate in
// degrees per second for each five-degree band, by the band's upper end.
// The 70 band is absent on purpose: the 75 band spans ten degrees.
struct CoolingBand
{
    float upperTemp;
    double degreesPerSecond;
};

constexpr float coolingBandWidth = 5.0f;
constexpr CoolingBand coolingBands[] = {
    {30.0f, 0.02}, {35.0f, 0.1}, {40.0f, 0.2}, {45.0f, 0.25}, {50.0f, 0.3},
    {55.0f, 0.35}, {60.0f, 0.4}, {65.0f, 0.5}, {75.0f, 0.6},  {80.0f, 0.7},
    {85.0f, 0.8},  {90.0f, 0.9}, {95.0f, 1.0},
};

// Toward zero, like a cast, but defined for the NaN and huge values that a
// machine's readings or a damaged library file may carry.
qint64 truncated(double value)
{
    constexpr double limit = 1e15; // seconds: far beyond any run
    return std::isnan(value) ? 0 : static_cast<qint64>(std::clamp(value, -limit, limit));
}

bool areFinite(float a, float b)
{
    return std::isfinite(a) && std::isfinite(b);
}

} // namespace

ProgramDurationEstimator::ProgramDurationEstimator(QObject *parent)
    : QObject(parent)
{}

void ProgramDurationEstimator::setProgram(const ProgramPtr &program)
{
    m_program = program;
}

void ProgramDurationEstimator::estimate(double lidTemp, double blockTemp)
{
    if (!m_program)
        return;
    const Program &program = *m_program;
    qint64 seconds = lidWarmUpSeconds(program.lidTemp(), float(lidTemp));
    if (program.stepsCount() > 0)
        seconds += blockApproachSeconds(program.stepTarget(0), float(blockTemp));
    m_duration = seconds + bodySeconds(program);
    m_estimated = true;
}

qint64 ProgramDurationEstimator::duration() const
{
    return m_duration;
}

bool ProgramDurationEstimator::isEstimated() const
{
    return m_estimated;
}

void ProgramDurationEstimator::reset()
{
    m_duration = 0;
    m_estimated = false;
}

qint64 ProgramDurationEstimator::lidWarmUpSeconds(float targetLidTemp, float lidTemp)
{
    if (!areFinite(targetLidTemp, lidTemp) || targetLidTemp <= lidTemp)
        return 0;
    return truncated((targetLidTemp - lidTemp) * lidSecondsPerDegree);
}

qint64 ProgramDurationEstimator::blockApproachSeconds(float targetTemp, float blockTemp)
{
    if (!areFinite(targetTemp, blockTemp))
        return 0;
    if (blockTemp > targetTemp)
        return coolingSeconds(targetTemp, blockTemp);
    const float degrees = targetTemp - blockTemp;
    const qint64 seconds = truncated(degrees / heatingDegreesPerSecond);
    return degrees < shortHeatingDegrees ? seconds + shortHeatingExtraSeconds : seconds;
}

// Walks the bands from the target up to the block temperature; each band
// contributes the degrees not yet counted at its own rate.
qint64 ProgramDurationEstimator::coolingSeconds(float targetTemp, float blockTemp)
{
    const CoolingBand &lastBand = coolingBands[std::size(coolingBands) - 1];
    qint64 coveredDegrees = 0;
    qint64 seconds = 0;
    for (const CoolingBand &band : coolingBands) {
        if (targetTemp > band.upperTemp || blockTemp <= band.upperTemp - coolingBandWidth)
            continue;
        const bool reachesBlock = band.upperTemp >= blockTemp || &band == &lastBand;
        const float top = reachesBlock ? blockTemp : band.upperTemp;
        const qint64 degrees = truncated(double(top - targetTemp) - coveredDegrees);
        coveredDegrees += degrees;
        seconds = truncated(degrees / band.degreesPerSecond + seconds);
    }
    return targetTemp < slowCoolingBelow ? seconds + slowCoolingExtraSeconds : seconds;
}

qint64 ProgramDurationEstimator::pcrBodySeconds(const ProtocolV1::ShortPCRProtocol &pcr)
{
    const float denaturation = pcr.denaturationtemp();
    const float annealing = pcr.annealingtemp();
    const float extension = pcr.extensiontemp();
    const qint64 rampToAnnealing = truncated(std::fabs(denaturation - annealing));
    const qint64 rampToExtension = truncated(rampToAnnealing + std::fabs(annealing - extension));
    const qint64 cycleRamps = truncated(rampToExtension + std::fabs(extension - denaturation));
    const qint64 cycleHolds =
        qint64(pcr.denaturationtime()) + pcr.annealingtime() + pcr.extensiontime();
    const double oneCycle = truncated(cycleHolds + cycleRamps / pcrRampDegreesPerSecond);
    const qint64 cycles = truncated(oneCycle * pcr.cyclenumber());

    const qint64 rampIntoCycles = truncated(std::fabs(pcr.initializationtemp() - denaturation));
    const qint64 outerRamps =
        truncated(rampIntoCycles + std::fabs(extension - pcr.finalextensiontemp()));
    return qint64(pcr.initializationtime()) + pcrStartSeconds +
           truncated(outerRamps / pcrRampDegreesPerSecond + cycles) + pcr.finalextensiontime();
}

// Only firmware-1 programs carry the settings the body is computed from.
qint64 ProgramDurationEstimator::bodySeconds(const Program &program)
{
    const auto *programV1 = qobject_cast<const ProgramV1 *>(&program);
    if (!programV1)
        return 0;
    switch (program.programType()) {
    case Program::PT_PCR:
        return pcrBodySeconds(programV1->shortPcrProtocol());
    case Program::PT_HEAT_BLOCK:
        return programV1->shortLinearRampProtocol().time();
    case Program::PT_LINEAR_RAMP:
        // The ramp starts with a one-second hold at its start temperature.
        return qint64(programV1->shortLinearRampProtocol().time()) + 1;
    default:
        return 0;
    }
}
