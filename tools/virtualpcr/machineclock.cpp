#include "machineclock.h"

#include <QTimer>

namespace {
// Often enough for smooth temperature traces, rare enough to cost nothing.
constexpr int PaceIntervalMs = 20;
} // namespace

MachineClock::MachineClock(QObject *parent)
    : QObject(parent)
    , m_paceTimer(new QTimer(this))
{
    m_paceTimer->setInterval(PaceIntervalMs);
    m_paceTimer->setTimerType(Qt::PreciseTimer);
    connect(m_paceTimer, &QTimer::timeout, this, &MachineClock::onPaceTimeout);
}

qint64 MachineClock::nowMs() const
{
    return m_nowMs;
}

double MachineClock::speed() const
{
    return m_speed;
}

bool MachineClock::isRunning() const
{
    return m_paceTimer->isActive();
}

void MachineClock::setSpeed(double factor)
{
    if (factor <= 0.0)
        return;
    // Time already passed counts at the old speed.
    if (isRunning())
        onPaceTimeout();
    m_speed = factor;
}

void MachineClock::start()
{
    if (isRunning())
        return;
    m_sinceLastPace.start();
    m_carriedMs = 0.0;
    m_paceTimer->start();
}

void MachineClock::stop()
{
    if (isRunning())
        onPaceTimeout();
    m_paceTimer->stop();
}

void MachineClock::advance(qint64 ms)
{
    if (ms <= 0)
        return;
    m_nowMs += ms;
    emit advanced(m_nowMs);
}

void MachineClock::onPaceTimeout()
{
    m_carriedMs += double(m_sinceLastPace.restart()) * m_speed;
    const auto whole = qint64(m_carriedMs);
    m_carriedMs -= double(whole);
    advance(whole);
}
