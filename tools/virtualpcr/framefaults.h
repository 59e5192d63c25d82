#ifndef FRAMEFAULTS_H
#define FRAMEFAULTS_H

#include <QByteArray>
#include <QRandomGenerator>

// A noisy line between a machine and its host: each frame is lost, or has
// one byte damaged, at the rates set. Seeded, so a test sees the same faults
// on every run.
class FrameFaults
{
public:
    double dropRate() const;
    double corruptRate() const;
    // Rates from 0 (never) to 1 (every frame); others are clamped.
    void setDropRate(double rate);
    void setCorruptRate(double rate);
    void setSeed(quint32 seed);

    // False when the frame is lost on the way.
    bool pass(QByteArray &frame);
    int droppedCount() const;
    int corruptedCount() const;

private:
    bool happens(double rate);

    QRandomGenerator m_random{1u};
    double m_dropRate = 0.0;
    double m_corruptRate = 0.0;
    int m_dropped = 0;
    int m_corrupted = 0;
};

#endif // FRAMEFAULTS_H
