#include "thermalmodel.h"

#include <QtGlobal>

#include <cmath>
#include <iterator>

namespace {

struct CoolingBand
{
    float upperC; // the band covers temperatures above the previous band's upper bound
    float rate;
};

// The machine's cooling-rate table; there is no band for 70, so the band of
// 75 starts at 65. Above 95 the block cools at the last band's rate.
constexpr CoolingBand CoolingBands[] = {
    {30, 0.02f}, {35, 0.1f}, {40, 0.2f}, {45, 0.25f}, {50, 0.3f}, {55, 0.35f}, {60, 0.4f},
    {65, 0.5f},  {75, 0.6f}, {80, 0.7f}, {85, 0.8f},  {90, 0.9f}, {95, 1.0f},
};

const CoolingBand &bandOf(float temp)
{
    for (const CoolingBand &band : CoolingBands) {
        if (temp <= band.upperC)
            return band;
    }
    return *std::prev(std::end(CoolingBands));
}

// The lower bound of the band holding the temperature (minus infinity below the first).
float bandFloor(float temp)
{
    float floor = -INFINITY;
    for (const CoolingBand &band : CoolingBands) {
        if (temp <= band.upperC)
            return floor;
        floor = band.upperC;
    }
    return floor;
}

// One step of a linear approach: at most rate * seconds, never past the target.
float approach(float value, float target, float rate, double seconds)
{
    const auto reach = float(rate * seconds);
    if (value < target)
        return qMin(target, value + reach);
    return qMax(target, value - reach);
}

} // namespace

float ThermalModel::blockTemp() const
{
    return m_block;
}

float ThermalModel::lidTemp() const
{
    return m_lid;
}

float ThermalModel::sampleTemp() const
{
    return m_sample;
}

void ThermalModel::setBlockTarget(std::optional<float> target)
{
    m_blockTarget = target;
}

void ThermalModel::setLidTarget(std::optional<float> target)
{
    m_lidTarget = target;
}

std::optional<float> ThermalModel::blockTarget() const
{
    return m_blockTarget;
}

void ThermalModel::advance(double seconds, bool powered)
{
    if (powered && m_blockTarget) {
        const float rate = *m_blockTarget > m_block ? BlockHeatingRate : blockCoolingRate(m_block);
        m_block = approach(m_block, *m_blockTarget, rate, seconds);
    } else {
        m_block = approach(m_block, AmbientC, PassiveDriftRate, seconds);
    }
    if (powered && m_lidTarget && *m_lidTarget > m_lid)
        m_lid = approach(m_lid, *m_lidTarget, LidHeatingRate, seconds);
    else
        m_lid = approach(m_lid, powered && m_lidTarget ? *m_lidTarget : AmbientC, LidCoolingRate,
                         seconds);
    m_sample += float((m_block - m_sample) * (1.0 - std::exp(-seconds / SampleLagSeconds)));
}

float ThermalModel::blockCoolingRate(float temp)
{
    return bandOf(temp).rate;
}

double ThermalModel::blockTransitSeconds(float from, float to)
{
    if (to >= from)
        return (to - from) / BlockHeatingRate;
    double seconds = 0.0;
    float temp = from;
    while (temp > to) {
        const float next = qMax(to, bandFloor(temp));
        seconds += (temp - next) / blockCoolingRate(temp);
        temp = next;
    }
    return seconds;
}

double ThermalModel::lidHeatingSeconds(float from, float to)
{
    return to > from ? (to - from) / LidHeatingRate : 0.0;
}
