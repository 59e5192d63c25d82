#include "containers/dnachartdatacontainer.h"
#include "containers/tempchartdatacontainer.h"

#include <QLoggingCategory>
#include <QPointF>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <limits>

namespace {

using Points = QVector<QPointF>;

void fill(ChartDataContainer &series, const Points &points)
{
    for (const QPointF &point : points)
        series.append({point.x(), point.y()});
}

Points pointsOf(const ChartDataContainer &series)
{
    Points points;
    for (int i = 0; i < series.count(); ++i)
        points.append({series.xAt(i), series.yAt(i)});
    return points;
}

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

} // namespace

class TestChartDataContainer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void tempAppend_data();
    void tempAppend();
    void tempSeriesRestartsWithTheNextRun();
    void dnaAppend_data();
    void dnaAppend();
    void clearSignalsOnlyAChange();
    void accessorsOutOfRangeReadZero_data();
    void accessorsOutOfRangeReadZero();
    void dnaFollowsTheRun();
    void dnaCycleFromAMachineIsBounded();
    void timeSpan_data();
    void timeSpan();
};

void TestChartDataContainer::tempAppend_data()
{
    QTest::addColumn<Points>("initial");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<Points>("expected");
    QTest::addColumn<int>("countSignals");
    QTest::addColumn<bool>("rejected");

    const Points one{{10, 50}};
    QTest::newRow("later time") << one << QPointF(12, 51) << Points{{10, 50}, {12, 51}} << 1
                                << false;
    QTest::newRow("same time") << one << QPointF(10, 52) << Points{{10, 50}, {10, 52}} << 1
                               << false;
    QTest::newRow("earlier time: new run, point dropped")
        << one << QPointF(5, 40) << Points{} << 1 << false;
    QTest::newRow("first point at 0") << Points{} << QPointF(0, 0) << Points{{0, 0}} << 1 << false;
    QTest::newRow("negative time") << Points{} << QPointF(-1, 40) << Points{} << 0 << true;
    QTest::newRow("negative temperature") << one << QPointF(11, -0.5) << one << 0 << true;
    QTest::newRow("NaN temperature") << one << QPointF(11, notANumber) << one << 0 << true;
}

void TestChartDataContainer::tempAppend()
{
    QFETCH(Points, initial);
    QFETCH(QPointF, point);
    QFETCH(Points, expected);
    QFETCH(int, countSignals);
    QFETCH(bool, rejected);

    TempChartDataContainer series;
    fill(series, initial);
    QSignalSpy countChanged(&series, &ChartDataContainer::countChanged);
    if (rejected)
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral(
                                 "^Wrong data received\\. Values are negative\\. .+ .+$")));

    series.append({point.x(), point.y()});

    QCOMPARE(pointsOf(series), expected);
    QCOMPARE(countChanged.count(), countSignals);
}

void TestChartDataContainer::tempSeriesRestartsWithTheNextRun()
{
    TempChartDataContainer series;
    fill(series, {{10, 50}, {5, 40}, {6, 41}});

    QCOMPARE(pointsOf(series), (Points{{6, 41}}));
    QCOMPARE(series.timeAt(0), 6.0);
    QCOMPARE(series.tempAt(0), 41.0);
}

void TestChartDataContainer::dnaAppend_data()
{
    QTest::addColumn<Points>("initial");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<Points>("expected");
    QTest::addColumn<int>("countSignals");
    QTest::addColumn<bool>("rejected");

    const Points two{{0, 0}, {1, 2}};
    QTest::newRow("next cycle") << two << QPointF(2, 4) << Points{{0, 0}, {1, 2}, {2, 4}} << 1
                                << false;
    QTest::newRow("earlier cycle empties without a signal of its own")
        << two << QPointF(0, 0) << Points{{0, 0}} << 1 << false;
    QTest::newRow("negative copies") << two << QPointF(2, -4) << two << 0 << true;
    QTest::newRow("earlier and negative: emptied, and said so")
        << two << QPointF(-1, 0) << Points{} << 1 << true;
}

void TestChartDataContainer::dnaAppend()
{
    QFETCH(Points, initial);
    QFETCH(QPointF, point);
    QFETCH(Points, expected);
    QFETCH(int, countSignals);
    QFETCH(bool, rejected);

    DnaChartDataContainer series;
    fill(series, initial);
    QSignalSpy countChanged(&series, &ChartDataContainer::countChanged);
    if (rejected)
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression(QStringLiteral(
                "^Wrong data received from device\\. Values are negative\\. .+ .+$")));

    series.append({point.x(), point.y()});

    QCOMPARE(pointsOf(series), expected);
    QCOMPARE(countChanged.count(), countSignals);
}

void TestChartDataContainer::clearSignalsOnlyAChange()
{
    TempChartDataContainer series;
    QSignalSpy countChanged(&series, &ChartDataContainer::countChanged);

    series.clear();
    QCOMPARE(countChanged.count(), 0);

    fill(series, {{1, 30}, {2, 31}});
    countChanged.clear();
    series.clear();
    QCOMPARE(series.count(), 0);
    QCOMPARE(countChanged.count(), 1);
}

void TestChartDataContainer::accessorsOutOfRangeReadZero_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");

    QTest::newRow("first") << 0 << 3.0 << 8.0;
    QTest::newRow("last") << 1 << 4.0 << 16.0;
    QTest::newRow("negative") << -1 << 0.0 << 0.0;
    QTest::newRow("count") << 2 << 0.0 << 0.0;
}

void TestChartDataContainer::accessorsOutOfRangeReadZero()
{
    QFETCH(int, index);
    QFETCH(double, x);
    QFETCH(double, y);

    DnaChartDataContainer series;
    fill(series, {{3, 8}, {4, 16}});

    QCOMPARE(series.cycleAt(index), x);
    QCOMPARE(series.samplesAt(index), y);
}

// During cycle 5 the series holds (0, 0) and (n, 2^n) for n = 1..5; it stays
// empty until the cycles begin and empties again when a new run starts.
void TestChartDataContainer::dnaFollowsTheRun()
{
    DnaChartDataContainer series;

    QVERIFY(!series.followCycle(PCRConst::SN_INITIAL_DENATURATION, 0));
    QCOMPARE(series.count(), 0);

    QVERIFY(series.followCycle(PCRConst::SN_DENATURATION, 1));
    QCOMPARE(pointsOf(series), (Points{{0, 0}, {1, 2}}));

    QSignalSpy countChanged(&series, &ChartDataContainer::countChanged);
    QVERIFY(!series.followCycle(PCRConst::SN_ANNEALING, 1));
    QCOMPARE(countChanged.count(), 0);

    QVERIFY(series.followCycle(PCRConst::SN_EXTENSION, 5));
    QCOMPARE(pointsOf(series), (Points{{0, 0}, {1, 2}, {2, 4}, {3, 8}, {4, 16}, {5, 32}}));

    QVERIFY(!series.followCycle(PCRConst::SN_OTHER, 5));
    QCOMPARE(series.count(), 0);
}

void TestChartDataContainer::dnaCycleFromAMachineIsBounded()
{
    DnaChartDataContainer series;

    QVERIFY(series.followCycle(PCRConst::SN_DENATURATION, std::numeric_limits<int>::max()));

    const int last = series.count() - 1;
    QCOMPARE(series.cycleAt(last), double(last));
    QVERIFY(qIsFinite(series.samplesAt(last)));
}

void TestChartDataContainer::timeSpan_data()
{
    QTest::addColumn<qint64>("finishTime");
    QTest::addColumn<qint64>("elapsed");
    QTest::addColumn<qint64>("remaining");
    QTest::addColumn<qint64>("span");

    QTest::newRow("3 min 10 s run, 20 min left")
        << qint64(-1) << qint64(190) << qint64(1200) << qint64(1500);
    QTest::newRow("nothing yet") << qint64(-1) << qint64(0) << qint64(0) << qint64(0);
    QTest::newRow("301 s") << qint64(-1) << qint64(301) << qint64(0) << qint64(600);
    QTest::newRow("200 s run, 101 s left")
        << qint64(-1) << qint64(200) << qint64(101) << qint64(600);
    QTest::newRow("exactly five minutes") << qint64(-1) << qint64(0) << qint64(300) << qint64(300);
    QTest::newRow("one second") << qint64(-1) << qint64(1) << qint64(0) << qint64(300);
    QTest::newRow("finished: finish time, unrounded")
        << qint64(4321) << qint64(4500) << qint64(0) << qint64(4321);
    QTest::newRow("finished at 0") << qint64(0) << qint64(100) << qint64(0) << qint64(0);
}

void TestChartDataContainer::timeSpan()
{
    QFETCH(qint64, finishTime);
    QFETCH(qint64, elapsed);
    QFETCH(qint64, remaining);
    QFETCH(qint64, span);

    QCOMPARE(TempChartDataContainer::spanSeconds(finishTime, elapsed, remaining), span);
}

QTEST_GUILESS_MAIN(TestChartDataContainer)
#include "tst_chartdatacontainer.moc"
