#include "containers/tempchartdatacontainer.h"
#include "ui/chartseriesfeeder.h"

#include <QLineSeries>
#include <QSignalSpy>
#include <QtTest>

using QtCharts::QLineSeries;

namespace {

void fill(TempChartDataContainer &source, int from, int to)
{
    for (int second = from; second < to; ++second)
        source.append({double(second), 20.0 + second % 80});
}

} // namespace

// A chart line fed from a device's series, as the running view's charts use it.
class TestChartSeriesFeeder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void loadsTheWholeSeriesOnce();
    void followsTheSeries();
    void aLineThatMayNotGrowStillReloadsAndClears();
    void anInactiveLineCatchesUpWhenShown();
    void aLongRunIsDrawnWithinTheColumns();
    void aGrownLineEqualsALoadedOne();
    void loadsAgainWhenTheAxisChanges();

private:
    // Feeder with its series loaded.
    void loaded();

    std::unique_ptr<TempChartDataContainer> m_source;
    std::unique_ptr<QLineSeries> m_line;
    std::unique_ptr<ChartSeriesFeeder> m_feeder;
};

void TestChartSeriesFeeder::init()
{
    m_source = std::make_unique<TempChartDataContainer>();
    m_line = std::make_unique<QLineSeries>();
    m_feeder = std::make_unique<ChartSeriesFeeder>();
}

void TestChartSeriesFeeder::cleanup()
{
    m_feeder.reset();
    m_line.reset();
    m_source.reset();
}

void TestChartSeriesFeeder::loaded()
{
    QSignalSpy synced(m_feeder.get(), &ChartSeriesFeeder::synced);
    m_feeder->setSource(m_source.get());
    m_feeder->setSeries(m_line.get());
    QVERIFY(synced.wait());
}

void TestChartSeriesFeeder::loadsTheWholeSeriesOnce()
{
    fill(*m_source, 0, 5);
    m_feeder->setXScale(1000.0);
    QSignalSpy replaced(m_line.get(), &QLineSeries::pointsReplaced);
    loaded();
    QCOMPARE(replaced.count(), 1);
    QCOMPARE(m_feeder->shownCount(), 5);
    QCOMPARE(m_line->count(), 5);
    QCOMPARE(m_line->at(3), QPointF(3000.0, 23.0));
}

// The count rule: one more point is appended, any other growth or a
// shrinking series (a new run) reloads, an empty series clears the line.
void TestChartSeriesFeeder::followsTheSeries()
{
    fill(*m_source, 0, 3);
    loaded();
    QSignalSpy replaced(m_line.get(), &QLineSeries::pointsReplaced);
    fill(*m_source, 3, 4);
    QCOMPARE(m_line->count(), 4);
    QCOMPARE(m_line->at(3), QPointF(3.0, 23.0));
    QCOMPARE(replaced.count(), 0);

    m_source->append({1.0, 50.0}); // earlier than the last: a new run empties the series
    QCOMPARE(m_source->count(), 0);
    QCOMPARE(m_line->count(), 0);
    QCOMPARE(m_feeder->shownCount(), 0);

    fill(*m_source, 0, 2);
    QCOMPARE(m_line->count(), 2);
    m_source->clear();
    QCOMPARE(m_line->count(), 0);
}

// The DNA chart stops growing past its last cycle.
void TestChartSeriesFeeder::aLineThatMayNotGrowStillReloadsAndClears()
{
    fill(*m_source, 0, 3);
    loaded();
    m_feeder->setAppendsAllowed(false);
    fill(*m_source, 3, 4);
    QCOMPARE(m_line->count(), 3);
    QCOMPARE(m_feeder->shownCount(), 3);
    fill(*m_source, 4, 5); // two behind: reloaded
    QCOMPARE(m_line->count(), 5);
    m_source->clear();
    QCOMPARE(m_line->count(), 0);
}

void TestChartSeriesFeeder::anInactiveLineCatchesUpWhenShown()
{
    fill(*m_source, 0, 3);
    loaded();
    m_feeder->setActive(false);
    fill(*m_source, 3, 10);
    m_feeder->setColumns(2);
    m_feeder->setXSpan(10.0);
    QCOMPARE(m_line->count(), 3);
    m_feeder->setActive(true);
    QCOMPARE(m_feeder->shownCount(), 10);
    QVERIFY2(m_line->count() <= 8, "drawn with the columns set while hidden");
}

// 72 hours at a point a second, on a 600-pixel axis in milliseconds; a point
// appended at hour 72 changes no more of the line than one at minute 1.
void TestChartSeriesFeeder::aLongRunIsDrawnWithinTheColumns()
{
    const int seconds = 72 * 3600;
    fill(*m_source, 0, seconds);
    m_feeder->setXScale(1000.0);
    m_feeder->setXSpan(seconds * 1000.0);
    m_feeder->setColumns(600);
    loaded();
    QCOMPARE(m_feeder->shownCount(), seconds);
    QVERIFY(m_line->count() <= 4 * 600);
    QCOMPARE(m_line->at(m_line->count() - 1),
             QPointF((seconds - 1) * 1000.0, 20.0 + (seconds - 1) % 80));

    const int before = m_line->count();
    QSignalSpy added(m_line.get(), &QLineSeries::pointAdded);
    QSignalSpy replaced(m_line.get(), &QLineSeries::pointReplaced);
    QSignalSpy removed(m_line.get(), &QLineSeries::pointsRemoved);
    fill(*m_source, seconds, seconds + 1);
    QCOMPARE(m_feeder->shownCount(), seconds + 1);
    QVERIFY(added.count() + replaced.count() + removed.count() <= 4);
    QVERIFY(qAbs(m_line->count() - before) <= 4);
    QCOMPARE(m_line->at(m_line->count() - 1).x(), seconds * 1000.0);
}

// Appending rewrites the open column in place: after every point the line
// is what drawing the whole series so far gives.
void TestChartSeriesFeeder::aGrownLineEqualsALoadedOne()
{
    const double span = 1000.0;
    const int columns = 30;
    m_feeder->setXSpan(span);
    m_feeder->setColumns(columns);
    loaded();
    QVector<QPointF> appended;
    // Jumping temperatures, so that columns gain and lose drawn points.
    for (int second = 0; second < 1000; ++second) {
        const QPointF point(second, 20.0 + (second * 37) % 80);
        m_source->append({point.x(), point.y()});
        appended.append(point);
        ChartSeriesReducer whole(span / columns);
        QCOMPARE(m_line->pointsVector(), whole.reduce(appended));
    }
}

void TestChartSeriesFeeder::loadsAgainWhenTheAxisChanges()
{
    fill(*m_source, 0, 100);
    loaded();
    QCOMPARE(m_line->count(), 100);
    QSignalSpy synced(m_feeder.get(), &ChartSeriesFeeder::synced);
    m_feeder->setXSpan(100.0);
    m_feeder->setColumns(10);
    QVERIFY(synced.wait());
    QCOMPARE(synced.count(), 1);
    QVERIFY(m_line->count() <= 40);
}

QTEST_MAIN(TestChartSeriesFeeder)
#include "tst_chartseriesfeeder.moc"
