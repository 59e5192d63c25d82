#ifndef DNACHARTDATACONTAINER_H
#define DNACHARTDATACONTAINER_H

#include "chartdatacontainer.h"
#include "utils/pcrconst.h"

// The idealised amplification curve of a PCR run: 2^n copies (y) after
// cycle n (x), one point per completed cycle.
class DnaChartDataContainer : public ChartDataContainer
{
    Q_OBJECT

public:
    explicit DnaChartDataContainer(QObject *parent = nullptr);

    Q_INVOKABLE double cycleAt(int index) const;
    Q_INVOKABLE double samplesAt(int index) const;

    // A point before the last one empties the series first, without a
    // signal of its own: the view sees one change, not an empty series.
    void append(const ChartData &point) override;

    // Brings the series up to the run's current cycle: empty before the
    // cycles begin, then (0, 0) and (n, 2^n) up to currentCycle. Answers
    // whether the device should announce a change of its data.
    bool followCycle(PCRConst::StepNames stepName, int currentCycle);
};

#endif // DNACHARTDATACONTAINER_H
