#ifndef TEMPCHARTDATACONTAINER_H
#define TEMPCHARTDATACONTAINER_H

#include "chartdatacontainer.h"

// Block temperature (y, degrees Celsius) against run time (x, seconds), as
// the machine reports it.
class TempChartDataContainer : public ChartDataContainer
{
    Q_OBJECT

public:
    explicit TempChartDataContainer(QObject *parent = nullptr);

    Q_INVOKABLE double timeAt(int index) const;
    Q_INVOKABLE double tempAt(int index) const;

    // A report whose time lies before the last point starts a new run: the
    // series empties and the report itself is dropped.
    void append(const ChartData &point) override;

    // Length of the chart's time axis in seconds: the finish time once the
    // run has one (finishTime >= 0), else elapsed plus remaining rounded up
    // to whole minutes and then to a multiple of five minutes.
    static qint64 spanSeconds(qint64 finishTime, qint64 elapsed, qint64 remaining);
};

#endif // TEMPCHARTDATACONTAINER_H
