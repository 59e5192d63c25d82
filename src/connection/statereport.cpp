#include "statereport.h"

#include <utility>

StateReport::StateReport(Values values)
    : m_values(std::move(values))
{}

PCRConst::DeviceStatus StateReport::status() const
{
    return m_values.status;
}

int StateReport::error() const
{
    return m_values.error;
}

bool StateReport::isPowered() const
{
    return m_values.powered;
}

quint32 StateReport::step() const
{
    return m_values.step;
}

int StateReport::cycle() const
{
    return m_values.cycle;
}

quint32 StateReport::timeInSec() const
{
    return m_values.timeInSec;
}

quint32 StateReport::stepTimeInSec() const
{
    return m_values.stepTimeInSec;
}

quint32 StateReport::remainingTimeInSec() const
{
    return m_values.remainingTimeInSec;
}

float StateReport::blockTemp() const
{
    return m_values.blockTemp;
}

float StateReport::lidTemp() const
{
    return m_values.lidTemp;
}

float StateReport::probeTemp() const
{
    return m_values.probeTemp;
}

float StateReport::powerVoltage() const
{
    return m_values.powerVoltage;
}

QDateTime StateReport::startTime() const
{
    return m_values.startTime;
}
