#include "framefaults.h"

#include <QtGlobal>

double FrameFaults::dropRate() const
{
    return m_dropRate;
}

double FrameFaults::corruptRate() const
{
    return m_corruptRate;
}

void FrameFaults::setDropRate(double rate)
{
    m_dropRate = qBound(0.0, rate, 1.0);
}

void FrameFaults::setCorruptRate(double rate)
{
    m_corruptRate = qBound(0.0, rate, 1.0);
}

void FrameFaults::setSeed(quint32 seed)
{
    m_random.seed(seed);
}

bool FrameFaults::pass(QByteArray &frame)
{
    if (frame.isEmpty())
        return true;
    if (happens(m_dropRate)) {
        ++m_dropped;
        return false;
    }
    if (happens(m_corruptRate)) {
        ++m_corrupted;
        const int pos = int(m_random.bounded(frame.size()));
        frame[pos] = char(quint8(frame.at(pos)) ^ quint8(m_random.bounded(1, 256)));
    }
    return true;
}

int FrameFaults::droppedCount() const
{
    return m_dropped;
}

int FrameFaults::corruptedCount() const
{
    return m_corrupted;
}

bool FrameFaults::happens(double rate)
{
    return rate > 0.0 && m_random.generateDouble() < rate;
}
