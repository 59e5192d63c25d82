#ifndef PROGRAMDURATIONESTIMATOR_H
#define PROGRAMDURATIONESTIMATOR_H

#include "program.h"

#include <QObject>

namespace ProtocolV1 {
class ShortPCRProtocol;
}

// Estimates the total duration of a run on a firmware-1 machine, which does
// not report a remaining time: the lid's warm-up and the block's approach to
// its first target from the readings at the start, plus, for firmware-1
// programs, the protocol itself.
class ProgramDurationEstimator : public QObject
{
    Q_OBJECT

public:
    explicit ProgramDurationEstimator(QObject *parent = nullptr);

    void setProgram(const ProgramPtr &program);
    // Without a program the estimate stays as it is.
    void estimate(double lidTemp, double blockTemp);
    // Seconds.
    qint64 duration() const;
    bool isEstimated() const;
    void reset();

    // The parts of the estimate, in whole seconds.
    static qint64 lidWarmUpSeconds(float targetLidTemp, float lidTemp);
    static qint64 blockApproachSeconds(float targetTemp, float blockTemp);
    static qint64 pcrBodySeconds(const ProtocolV1::ShortPCRProtocol &pcr);

private:
    static qint64 coolingSeconds(float targetTemp, float blockTemp);
    static qint64 bodySeconds(const Program &program);

    ProgramPtr m_program;
    qint64 m_duration = 0;
    bool m_estimated = false;
};

#endif // PROGRAMDURATIONESTIMATOR_H
