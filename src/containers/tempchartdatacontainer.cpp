#include "tempchartdatacontainer.h"

#include <QDebug>

TempChartDataContainer::TempChartDataContainer(QObject *parent)
    : ChartDataContainer(parent)
{}

double TempChartDataContainer::timeAt(int index) const
{
    return xAt(index);
}

double TempChartDataContainer::tempAt(int index) const
{
    return yAt(index);
}

void TempChartDataContainer::append(const ChartData &point)
{
    if (goesBack(point)) {
        clear();
        return;
    }
    if (!isValid(point)) {
        qWarning() << "Wrong data received. Values are negative." << point.x << point.y;
        return;
    }
    ChartDataContainer::append(point);
}

qint64 TempChartDataContainer::spanSeconds(qint64 finishTime, qint64 elapsed, qint64 remaining)
{
    if (finishTime >= 0)
        return finishTime;
    const qint64 total = elapsed + remaining;
    if (total <= 0)
        return 0;
    // Rounding to whole minutes first changes nothing: five minutes are whole.
    constexpr qint64 fiveMinutes = 300;
    return (total + fiveMinutes - 1) / fiveMinutes * fiveMinutes;
}
