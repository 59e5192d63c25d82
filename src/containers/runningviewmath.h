#ifndef RUNNINGVIEWMATH_H
#define RUNNINGVIEWMATH_H

#include <QObject>
#include <QString>
#include <QVariantList>

// The arithmetic of the running view: time texts, chart axes and labels, the
// DNA copy estimate and how a chart follows its series. The view calls it
// instead of computing these in its own script; every function is static so
// that C++ callers need no instance.
class RunningViewMath : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int maxAllowedCycles READ maxAllowedCycles CONSTANT)
    Q_PROPERTY(double maxDnaCopiesValue READ maxDnaCopiesValue CONSTANT)
    Q_PROPERTY(double dnaChartMinY READ dnaChartMinY CONSTANT)
    Q_PROPERTY(double dnaAxisDefaultMax READ dnaAxisDefaultMax CONSTANT)
    Q_PROPERTY(int dnaAxisDefaultTickCount READ dnaAxisDefaultTickCount CONSTANT)
    Q_PROPERTY(double tempAxisMin READ tempAxisMin CONSTANT)
    Q_PROPERTY(double tempAxisMax READ tempAxisMax CONSTANT)
    Q_PROPERTY(int tempAxisTickCount READ tempAxisTickCount CONSTANT)
    Q_PROPERTY(int timeAxisTickCount READ timeAxisTickCount CONSTANT)
    Q_PROPERTY(QString timeAxisFormat READ timeAxisFormat CONSTANT)
    Q_PROPERTY(double lidHotIndicator READ lidHotIndicator CONSTANT)

public:
    // What a chart does to catch up with its series.
    enum SyncAction { SyncNothing, SyncClear, SyncAppend, SyncReload };
    Q_ENUM(SyncAction)

    explicit RunningViewMath(QObject *parent = nullptr);

    static constexpr int maxAllowedCycles() { return 40; }
    static constexpr double maxDnaCopiesValue() { return 1099511627776.0; } // 2^40
    static constexpr double dnaChartMinY() { return 0.0; }
    static constexpr double dnaAxisDefaultMax() { return 1073741824.0; } // 2^30
    static constexpr int dnaAxisDefaultTickCount() { return 3; }
    static constexpr double tempAxisMin() { return 20.0; }
    static constexpr double tempAxisMax() { return 100.0; }
    static constexpr int tempAxisTickCount() { return 9; }
    static constexpr int timeAxisTickCount() { return 6; }
    static QString timeAxisFormat() { return QStringLiteral("HH:mm"); }
    static constexpr double lidHotIndicator() { return 60.0; }

    // "HH", "H", "mm", "m", "ss", "s" in format, each replaced once; hours
    // do not wrap at 24 and negative times count as 0.
    Q_INVOKABLE static QString formatTime(double ms, const QString &format);
    // "HH:mm:ss".
    Q_INVOKABLE static QString secondsToString(double seconds);
    // One decimal, then the degree sign and "C".
    Q_INVOKABLE static QString temperatureText(double celsius);
    Q_INVOKABLE static bool isLidHot(double lidTemp);

    // Upper end of the time axis in ms; never 0, so the range is not empty.
    Q_INVOKABLE static double timeAxisMax(double spanSeconds);
    // Labels of the time axis as maps {"text", "value" (ms)}; a text that
    // repeats is padded with one more blank on each side per repetition,
    // because an axis keeps only one label per text.
    Q_INVOKABLE static QVariantList timeAxisLabels(double spanSeconds);

    // The copy estimate shown: the last sample while the run is within the
    // chart's cycles, the chart's top value beyond them.
    Q_INVOKABLE static double dnaCopiesShown(double lastSample, int currentCycle);
    // en_US digit grouping, no decimals: 1024 reads "1,024".
    Q_INVOKABLE static QString dnaCopiesText(double copies);
    // Labels of the copies axis as maps {"text", "value"}: an empty label at
    // 0, then the two labels of the current cycle's row of the label table.
    Q_INVOKABLE static QVariantList dnaAxisLabels(double copies, int currentCycle);
    // Upper end of the copies axis while it shows the current cycle's row.
    Q_INVOKABLE static double dnaAxisMax(int currentCycle);

    Q_INVOKABLE static int cycleAxisMax(int currentCycle, int totalCycles);
    Q_INVOKABLE static int cycleAxisTickCount(int axisMax);
    Q_INVOKABLE static int cycleShown(int currentCycle);

    // A chart holding viewCount points of a series that now holds
    // seriesCount: append when it is exactly one behind, reload on any
    // other difference, clear when the series is empty.
    Q_INVOKABLE static SyncAction tempSeriesSync(int seriesCount, int viewCount);
    // The same, except that the DNA chart stops growing past its last cycle.
    Q_INVOKABLE static SyncAction dnaSeriesSync(int seriesCount, int viewCount, int currentCycle);
};

#endif // RUNNINGVIEWMATH_H
