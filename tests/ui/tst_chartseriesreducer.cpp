#include "ui/chartseriesreducer.h"

#include <QtTest>

#include <cmath>

namespace {

// A temperature-like trace: slow ramps with a spike every 997 points and a
// dip every 1499, so that every column has something to lose.
QVector<QPointF> trace(int count, double step)
{
    QVector<QPointF> points;
    points.reserve(count);
    for (int i = 0; i < count; ++i) {
        double y = 60.0 + 35.0 * std::sin(i / 400.0);
        if (i % 997 == 0)
            y += 4.0;
        if (i % 1499 == 0)
            y -= 4.0;
        points.append(QPointF(i * step, y));
    }
    return points;
}

// What a chart holds after applying every change of appending the points.
QVector<QPointF> appendOneByOne(ChartSeriesReducer &reducer, const QVector<QPointF> &points,
                                int *largestTail)
{
    QVector<QPointF> line;
    for (const QPointF &point : points) {
        const ChartSeriesReducer::Change change = reducer.append(point);
        *largestTail = qMax(*largestTail, change.tail.size());
        line.resize(change.kept);
        line += change.tail;
    }
    return line;
}

} // namespace

class TestChartSeriesReducer : public QObject
{
    Q_OBJECT

private slots:
    void keepsEveryPeakAndTroughOfALongRun();
    void appendingDrawsWhatReducingDraws_data();
    void appendingDrawsWhatReducingDraws();
    void aColumnIsDrawnInTheOrderOfItsPoints();
    void withoutAWidthEveryPointIsDrawn();
};

// 72 hours at one point a second on a 600-pixel axis.
void TestChartSeriesReducer::keepsEveryPeakAndTroughOfALongRun()
{
    const int count = 72 * 3600;
    const int columns = 600;
    const QVector<QPointF> points = trace(count, 1.0);
    const double width = double(count) / columns;
    ChartSeriesReducer reducer(width);
    const QVector<QPointF> drawn = reducer.reduce(points);

    QVERIFY(drawn.size() <= 4 * columns);
    QCOMPARE(reducer.drawnCount(), drawn.size());
    QCOMPARE(drawn.first(), points.first());
    QCOMPARE(drawn.last(), points.last());
    QVector<double> lowest(columns + 1, 1e9), highest(columns + 1, -1e9);
    for (const QPointF &point : points) {
        const int column = int(std::floor(point.x() / width));
        lowest[column] = qMin(lowest[column], point.y());
        highest[column] = qMax(highest[column], point.y());
    }
    QVector<double> drawnLowest(columns + 1, 1e9), drawnHighest(columns + 1, -1e9);
    for (const QPointF &point : drawn) {
        const int column = int(std::floor(point.x() / width));
        drawnLowest[column] = qMin(drawnLowest[column], point.y());
        drawnHighest[column] = qMax(drawnHighest[column], point.y());
    }
    QCOMPARE(drawnLowest, lowest);
    QCOMPARE(drawnHighest, highest);
}

void TestChartSeriesReducer::appendingDrawsWhatReducingDraws_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("count");
    QTest::newRow("one point a column") << 0.5 << 300;
    QTest::newRow("a few points a column") << 7.5 << 3000;
    QTest::newRow("hundreds a column") << 430.0 << 20000;
    QTest::newRow("all in one column") << 1e9 << 500;
}

// The chart's copy after appending equals a fresh reduction, and each
// append rewrites only the open column (at most four points).
void TestChartSeriesReducer::appendingDrawsWhatReducingDraws()
{
    QFETCH(double, width);
    QFETCH(int, count);
    const QVector<QPointF> points = trace(count, 1.0);
    ChartSeriesReducer appending(width);
    int largestTail = 0;
    const QVector<QPointF> line = appendOneByOne(appending, points, &largestTail);
    ChartSeriesReducer reducing(width);
    QCOMPARE(line, reducing.reduce(points));
    QVERIFY(largestTail <= 4);
    QCOMPARE(appending.drawnCount(), line.size());
}

void TestChartSeriesReducer::aColumnIsDrawnInTheOrderOfItsPoints()
{
    ChartSeriesReducer reducer(10.0);
    const QVector<QPointF> points{{0, 50},  {1, 90},  {2, 70},  {3, 20}, {4, 40},
                                  {10, 40}, {11, 10}, {12, 95}, {13, 95}};
    const QVector<QPointF> drawn = reducer.reduce(points);
    const QVector<QPointF> expected{{0, 50},  {1, 90},  {3, 20},  {4, 40},
                                    {10, 40}, {11, 10}, {12, 95}, {13, 95}};
    QCOMPARE(drawn, expected);
}

void TestChartSeriesReducer::withoutAWidthEveryPointIsDrawn()
{
    const QVector<QPointF> points = trace(50, 0.0);
    for (const double width : {0.0, -1.0, std::nan("")}) {
        ChartSeriesReducer reducer(width);
        QCOMPARE(reducer.reduce(points), points);
    }
}

QTEST_APPLESS_MAIN(TestChartSeriesReducer)
#include "tst_chartseriesreducer.moc"
