#include "dnachartdatacontainer.h"

#include <QDebug>

#include <cmath>
#include <limits>

namespace {

// The highest cycle whose copy count a double still holds. It also bounds
// the work a corrupted cycle number from a machine can cause.
constexpr int maxSeriesCycle = std::numeric_limits<double>::max_exponent - 1;

} // namespace

DnaChartDataContainer::DnaChartDataContainer(QObject *parent)
    : ChartDataContainer(parent)
{}

double DnaChartDataContainer::cycleAt(int index) const
{
    return xAt(index);
}

double DnaChartDataContainer::samplesAt(int index) const
{
    return yAt(index);
}

void DnaChartDataContainer::append(const ChartData &point)
{
    const bool restarted = goesBack(point);
    if (restarted)
        removeAll();
    if (!isValid(point)) {
        qWarning() << "Wrong data received from device. Values are negative." << point.x << point.y;
        // The points are gone: the view must hear of it even without a new one.
        if (restarted)
            emit countChanged();
        return;
    }
    ChartDataContainer::append(point);
}

bool DnaChartDataContainer::followCycle(PCRConst::StepNames stepName, int currentCycle)
{
    if (stepName == PCRConst::SN_OTHER || stepName == PCRConst::SN_INITIAL_DENATURATION) {
        clear();
        return false;
    }
    if (isEmpty())
        append({0.0, 0.0});
    if (last().x == currentCycle)
        return false;
    const int lastCycle = qMin(currentCycle, maxSeriesCycle);
    for (int cycle = count(); cycle <= lastCycle; ++cycle)
        append({double(cycle), std::ldexp(1.0, cycle)});
    return true;
}
