#include "chartseriesfeeder.h"

#include "containers/chartdatacontainer.h"
#include "containers/runningviewmath.h"

#include <QXYSeries>

using QtCharts::QXYSeries;

ChartSeriesFeeder::ChartSeriesFeeder(QObject *parent)
    : QObject(parent)
{}

QObject *ChartSeriesFeeder::source() const
{
    return m_source;
}

void ChartSeriesFeeder::setSource(QObject *source)
{
    auto *container = qobject_cast<ChartDataContainer *>(source);
    if (container == m_source)
        return;
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = container;
    if (m_source)
        connect(m_source, &ChartDataContainer::countChanged, this, &ChartSeriesFeeder::sync);
    emit sourceChanged();
    scheduleReload();
}

QObject *ChartSeriesFeeder::series() const
{
    return m_series;
}

void ChartSeriesFeeder::setSeries(QObject *series)
{
    auto *xySeries = qobject_cast<QXYSeries *>(series);
    if (xySeries == m_series)
        return;
    m_series = xySeries;
    emit seriesChanged();
    scheduleReload();
}

double ChartSeriesFeeder::xScale() const
{
    return m_xScale;
}

void ChartSeriesFeeder::setXScale(double scale)
{
    if (qFuzzyCompare(scale, m_xScale))
        return;
    m_xScale = scale;
    emit xScaleChanged();
    scheduleReload();
}

double ChartSeriesFeeder::xSpan() const
{
    return m_xSpan;
}

void ChartSeriesFeeder::setXSpan(double span)
{
    if (qFuzzyCompare(span, m_xSpan))
        return;
    m_xSpan = span;
    emit xSpanChanged();
    scheduleReload();
}

int ChartSeriesFeeder::columns() const
{
    return m_columns;
}

void ChartSeriesFeeder::setColumns(int columns)
{
    if (columns == m_columns)
        return;
    m_columns = columns;
    emit columnsChanged();
    scheduleReload();
}

bool ChartSeriesFeeder::appendsAllowed() const
{
    return m_appendsAllowed;
}

void ChartSeriesFeeder::setAppendsAllowed(bool allowed)
{
    if (allowed == m_appendsAllowed)
        return;
    m_appendsAllowed = allowed;
    emit appendsAllowedChanged();
}

bool ChartSeriesFeeder::active() const
{
    return m_active;
}

void ChartSeriesFeeder::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    emit activeChanged();
    if (m_active && m_reloadScheduled)
        reload();
    else if (m_active)
        sync();
}

int ChartSeriesFeeder::shownCount() const
{
    return m_shownCount;
}

void ChartSeriesFeeder::sync()
{
    if (!m_active || !m_source || !m_series)
        return;
    switch (RunningViewMath::tempSeriesSync(m_source->count(), m_shownCount)) {
    case RunningViewMath::SyncNothing:
        return;
    case RunningViewMath::SyncClear:
        clearLine();
        return;
    case RunningViewMath::SyncAppend:
        if (m_appendsAllowed)
            appendNext();
        return;
    case RunningViewMath::SyncReload:
        reload();
        return;
    }
}

void ChartSeriesFeeder::reload()
{
    m_reloadScheduled = false;
    if (!m_series)
        return;
    m_reducer = ChartSeriesReducer(columnWidth());
    if (!m_source || m_source->count() == 0) {
        clearLine();
        return;
    }
    const QVector<ChartData> points = m_source->points();
    QVector<QPointF> scaled;
    scaled.reserve(points.size());
    for (const ChartData &point : points)
        scaled.append(QPointF(point.x * m_xScale, point.y));
    m_series->replace(m_reducer.reduce(scaled));
    setShownCount(points.size());
}

double ChartSeriesFeeder::columnWidth() const
{
    return m_columns > 0 ? m_xSpan / m_columns : 0.0;
}

void ChartSeriesFeeder::scheduleReload()
{
    if (m_reloadScheduled)
        return;
    m_reloadScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            // An inactive feeder keeps the reload for when it is shown.
            if (m_reloadScheduled && m_active)
                reload();
        },
        Qt::QueuedConnection);
}

void ChartSeriesFeeder::clearLine()
{
    m_reducer.clear();
    if (m_series && m_series->count() > 0)
        m_series->clear();
    setShownCount(0);
}

// Rewrites only the drawn points of the open column, so the cost does not
// grow with the line.
void ChartSeriesFeeder::appendNext()
{
    const ChartData point{m_source->xAt(m_shownCount), m_source->yAt(m_shownCount)};
    const ChartSeriesReducer::Change change =
        m_reducer.append(QPointF(point.x * m_xScale, point.y));
    const int old = m_series->count() - change.kept;
    const int common = qMin(old, change.tail.size());
    for (int i = 0; i < common; ++i) {
        if (m_series->at(change.kept + i) != change.tail.at(i))
            m_series->replace(change.kept + i, change.tail.at(i));
    }
    if (old > common)
        m_series->removePoints(change.kept + common, old - common);
    if (change.tail.size() > common)
        m_series->append(change.tail.mid(common).toList());
    setShownCount(m_shownCount + 1);
}

void ChartSeriesFeeder::setShownCount(int count)
{
    m_shownCount = count;
    emit synced();
}
