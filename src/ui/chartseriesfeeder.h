#ifndef CHARTSERIESFEEDER_H
#define CHARTSERIESFEEDER_H

#include "chartseriesreducer.h"

#include <QObject>
#include <QPointer>

class ChartDataContainer;

namespace QtCharts {
class QXYSeries;
}

// Keeps a chart's line in step with a device's series: the whole series is
// loaded in one call, thinned to a few points per pixel column, and each new
// point is added to the drawn line in constant time. It follows the count
// rule of the running view (nothing when the counts agree, append one
// point, reload on any other difference, clear when the series empties);
// the device's series keeps every point.
class ChartSeriesFeeder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *source READ source WRITE setSource NOTIFY sourceChanged)
    Q_PROPERTY(QObject *series READ series WRITE setSeries NOTIFY seriesChanged)
    // Drawn x = the series' x times this (seconds to the axis' milliseconds).
    Q_PROPERTY(double xScale READ xScale WRITE setXScale NOTIFY xScaleChanged)
    // Length of the x axis in drawn units and the pixels it spans.
    Q_PROPERTY(double xSpan READ xSpan WRITE setXSpan NOTIFY xSpanChanged)
    Q_PROPERTY(int columns READ columns WRITE setColumns NOTIFY columnsChanged)
    // False stops the line from growing (it still reloads and clears).
    Q_PROPERTY(bool appendsAllowed READ appendsAllowed WRITE setAppendsAllowed NOTIFY
                   appendsAllowedChanged)
    // An inactive feeder (a hidden tab) ignores changes and catches up when active again.
    Q_PROPERTY(bool active READ active WRITE setActive NOTIFY activeChanged)
    // Points of the series the line shows.
    Q_PROPERTY(int shownCount READ shownCount NOTIFY synced)

public:
    explicit ChartSeriesFeeder(QObject *parent = nullptr);

    QObject *source() const;
    void setSource(QObject *source);
    QObject *series() const;
    void setSeries(QObject *series);
    double xScale() const;
    void setXScale(double scale);
    double xSpan() const;
    void setXSpan(double span);
    int columns() const;
    void setColumns(int columns);
    bool appendsAllowed() const;
    void setAppendsAllowed(bool allowed);
    bool active() const;
    void setActive(bool active);
    int shownCount() const;

    // Brings the line up to the series by the count rule.
    Q_INVOKABLE void sync();
    // Loads every point again.
    Q_INVOKABLE void reload();

signals:
    void sourceChanged();
    void seriesChanged();
    void xScaleChanged();
    void xSpanChanged();
    void columnsChanged();
    void appendsAllowedChanged();
    void activeChanged();
    // The line changed to show shownCount points of the series.
    void synced();

private:
    double columnWidth() const;
    // Geometry changed: reload once, after the bindings of this round settled.
    void scheduleReload();
    void clearLine();
    void appendNext();
    void setShownCount(int count);

    QPointer<ChartDataContainer> m_source;
    QPointer<QtCharts::QXYSeries> m_series;
    double m_xScale = 1.0;
    double m_xSpan = 0.0;
    int m_columns = 0;
    bool m_appendsAllowed = true;
    bool m_active = true;
    bool m_reloadScheduled = false;
    int m_shownCount = 0;
    ChartSeriesReducer m_reducer;
};

#endif // CHARTSERIESFEEDER_H
