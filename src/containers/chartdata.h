#ifndef CHARTDATA_H
#define CHARTDATA_H

#include <QMetaType>

// One point of a run chart. Temperature points are (seconds since the run
// started, block temperature in degrees Celsius); DNA points are (cycle,
// estimated copies). Registered as "ChartData" so that it can travel
// through queued signals from a connection's worker thread.
struct ChartData
{
    double x = 0.0;
    double y = 0.0;
};

Q_DECLARE_METATYPE(ChartData)

#endif // CHARTDATA_H
