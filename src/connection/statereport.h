#ifndef STATEREPORT_H
#define STATEREPORT_H

#include "utils/pcrconst.h"

#include <QDateTime>
#include <QMetaType>

// One state report of a machine as its connection handled it, whole and
// unchangeable: the connection hands a copy to its device with each report,
// so that what the device shows together comes from one report, however
// many reports wait in its queue.
class StateReport
{
public:
    struct Values
    {
        PCRConst::DeviceStatus status = PCRConst::DS_UNKNOWN;
        int error = PCRConst::DE_NO_ERROR;
        bool powered = true;
        quint32 step = 0;
        int cycle = 0;
        quint32 timeInSec = 0;
        quint32 stepTimeInSec = 0;
        quint32 remainingTimeInSec = 0;
        float blockTemp = 0.0f;
        float lidTemp = 0.0f;
        float probeTemp = 0.0f;
        float powerVoltage = 0.0f;
        // When the run started, by the connection's reckoning at this report.
        QDateTime startTime;
    };

    // Nothing reported yet.
    StateReport() = default;
    explicit StateReport(Values values);

    PCRConst::DeviceStatus status() const;
    int error() const;
    bool isPowered() const;
    quint32 step() const;
    int cycle() const;
    quint32 timeInSec() const;
    quint32 stepTimeInSec() const;
    quint32 remainingTimeInSec() const;
    float blockTemp() const;
    float lidTemp() const;
    float probeTemp() const;
    float powerVoltage() const;
    QDateTime startTime() const;

private:
    Values m_values;
};

Q_DECLARE_METATYPE(StateReport)

#endif // STATEREPORT_H
