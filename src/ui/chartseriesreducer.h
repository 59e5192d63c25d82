#ifndef CHARTSERIESREDUCER_H
#define CHARTSERIESREDUCER_H

#include <QPointF>
#include <QVector>

// Thins a chart series for drawing: the x range is cut into columns of equal
// width (about one pixel each) and a column is drawn through its first,
// lowest, highest and last point, in their order. Every peak and trough stays
// visible while a 72-hour trace needs no more points than the chart has
// pixels. Points are appended in x order; a point joins the open column or
// opens the next one, so appending costs the same however long the series.
class ChartSeriesReducer
{
public:
    // A width of 0 or less keeps every point.
    explicit ChartSeriesReducer(double columnWidth = 0.0);

    double columnWidth() const;
    // The drawn points of the whole series, replacing what was appended.
    QVector<QPointF> reduce(const QVector<QPointF> &points);

    // What appending changed: the drawn points before `kept` stay, the ones
    // from there on are replaced by `tail`.
    struct Change
    {
        int kept = 0;
        QVector<QPointF> tail;
    };
    Change append(const QPointF &point);
    // Number of points drawn.
    int drawnCount() const;
    void clear();

private:
    struct Column
    {
        qint64 key = 0;
        int count = 0;
        QPointF first;
        QPointF last;
        QPointF lowest;
        int lowestOrder = 0;
        QPointF highest;
        int highestOrder = 0;
    };

    qint64 columnKey(const QPointF &point) const;
    static Column openColumn(qint64 key, const QPointF &point);
    static void addToColumn(Column &column, const QPointF &point);
    // Adds the point; the points of a column it closes go to closed, if given.
    void place(const QPointF &point, QVector<QPointF> *closed);
    static void appendDrawn(const Column &column, QVector<QPointF> &drawn);
    static int drawnSize(const Column &column);

    double m_columnWidth;
    // Points drawn for the closed columns; the open one follows them.
    int m_closedCount = 0;
    bool m_hasOpenColumn = false;
    Column m_open;
    qint64 m_appended = 0;
};

#endif // CHARTSERIESREDUCER_H
