#include "chartseriesreducer.h"

#include <cmath>
#include <limits>

ChartSeriesReducer::ChartSeriesReducer(double columnWidth)
    : m_columnWidth(std::isfinite(columnWidth) && columnWidth > 0 ? columnWidth : 0.0)
{}

double ChartSeriesReducer::columnWidth() const
{
    return m_columnWidth;
}

QVector<QPointF> ChartSeriesReducer::reduce(const QVector<QPointF> &points)
{
    clear();
    QVector<QPointF> drawn;
    for (const QPointF &point : points)
        place(point, &drawn);
    if (m_hasOpenColumn)
        appendDrawn(m_open, drawn);
    return drawn;
}

ChartSeriesReducer::Change ChartSeriesReducer::append(const QPointF &point)
{
    place(point, nullptr);
    Change change{m_closedCount, {}};
    appendDrawn(m_open, change.tail);
    return change;
}

int ChartSeriesReducer::drawnCount() const
{
    return m_hasOpenColumn ? m_closedCount + drawnSize(m_open) : 0;
}

void ChartSeriesReducer::place(const QPointF &point, QVector<QPointF> *closed)
{
    const qint64 key = columnKey(point);
    ++m_appended;
    if (m_hasOpenColumn && key == m_open.key) {
        addToColumn(m_open, point);
        return;
    }
    if (m_hasOpenColumn) {
        m_closedCount += drawnSize(m_open);
        if (closed)
            appendDrawn(m_open, *closed);
    }
    m_open = openColumn(key, point);
    m_hasOpenColumn = true;
}

void ChartSeriesReducer::clear()
{
    m_closedCount = 0;
    m_hasOpenColumn = false;
    m_appended = 0;
}

qint64 ChartSeriesReducer::columnKey(const QPointF &point) const
{
    // Without a width every point is a column of its own.
    if (m_columnWidth <= 0)
        return m_appended;
    const double column = std::floor(point.x() / m_columnWidth);
    constexpr double limit = double(std::numeric_limits<qint64>::max() / 2);
    return std::isfinite(column) ? qint64(qBound(-limit, column, limit)) : 0;
}

ChartSeriesReducer::Column ChartSeriesReducer::openColumn(qint64 key, const QPointF &point)
{
    Column column;
    column.key = key;
    column.count = 1;
    column.first = column.last = column.lowest = column.highest = point;
    return column;
}

void ChartSeriesReducer::addToColumn(Column &column, const QPointF &point)
{
    const int order = column.count++;
    column.last = point;
    if (point.y() < column.lowest.y()) {
        column.lowest = point;
        column.lowestOrder = order;
    }
    if (point.y() > column.highest.y()) {
        column.highest = point;
        column.highestOrder = order;
    }
}

void ChartSeriesReducer::appendDrawn(const Column &column, QVector<QPointF> &drawn)
{
    drawn.append(column.first);
    const bool lowestFirst = column.lowestOrder <= column.highestOrder;
    const int orders[2] = {lowestFirst ? column.lowestOrder : column.highestOrder,
                           lowestFirst ? column.highestOrder : column.lowestOrder};
    const QPointF points[2] = {lowestFirst ? column.lowest : column.highest,
                               lowestFirst ? column.highest : column.lowest};
    int previous = 0;
    for (int i = 0; i < 2; ++i) {
        if (orders[i] > previous) {
            drawn.append(points[i]);
            previous = orders[i];
        }
    }
    if (column.count - 1 > previous)
        drawn.append(column.last);
}

int ChartSeriesReducer::drawnSize(const Column &column)
{
    // A later point is never both the lowest and the highest, so the two
    // orders differ unless both are the first point's.
    const int lastOrder = column.count - 1;
    int size = 1 + (lastOrder > 0 ? 1 : 0);
    for (const int order : {column.lowestOrder, column.highestOrder}) {
        if (order > 0 && order < lastOrder)
            ++size;
    }
    return size;
}
