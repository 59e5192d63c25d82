#include "containers/runningviewmath.h"

#include <QtTest>

namespace {

constexpr double hourMs = 3600000.0;
constexpr double minuteMs = 60000.0;

// Axis labels as "text@value", so that a failure shows which label differs.
QStringList describe(const QVariantList &labels)
{
    QStringList texts;
    for (const QVariant &label : labels) {
        const QVariantMap map = label.toMap();
        texts.append(map.value(QStringLiteral("text")).toString() + QLatin1Char('@') +
                     QString::number(map.value(QStringLiteral("value")).toDouble(), 'g', 15));
    }
    return texts;
}

} // namespace

class TestRunningViewMath : public QObject
{
    Q_OBJECT

private slots:
    void formatTime_data();
    void formatTime();
    void secondsToString_data();
    void secondsToString();
    void timeAxisLabels_data();
    void timeAxisLabels();
    void dnaAxis_data();
    void dnaAxis();
    void dnaCopies_data();
    void dnaCopies();
    void cycleAxis_data();
    void cycleAxis();
    void seriesSync_data();
    void seriesSync();
    void temperatures_data();
    void temperatures();
};

void TestRunningViewMath::formatTime_data()
{
    QTest::addColumn<double>("ms");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");

    QTest::newRow("hours beyond a day")
        << 25 * hourMs + minuteMs + 1000 << QStringLiteral("HH:mm") << QStringLiteral("25:01");
    QTest::newRow("single-letter tokens")
        << hourMs + 2 * minuteMs + 5000 << QStringLiteral("H:m:s") << QStringLiteral("1:2:5");
    QTest::newRow("leading zeros")
        << hourMs + 2 * minuteMs + 5000 << QStringLiteral("HH:mm:ss") << QStringLiteral("01:02:05");
    QTest::newRow("negative counts as 0")
        << -5000.0 << QStringLiteral("HH:mm:ss") << QStringLiteral("00:00:00");
    QTest::newRow("seconds are not rounded")
        << 1500.0 << QStringLiteral("mm:ss") << QStringLiteral("00:01.5");
}

void TestRunningViewMath::formatTime()
{
    QFETCH(double, ms);
    QFETCH(QString, format);
    QFETCH(QString, text);

    QCOMPARE(RunningViewMath::formatTime(ms, format), text);
}

void TestRunningViewMath::secondsToString_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0.0 << QStringLiteral("00:00:00");
    QTest::newRow("25:10:00") << 25 * 3600.0 + 600 << QStringLiteral("25:10:00");
    QTest::newRow("100 hours") << 100 * 3600.0 << QStringLiteral("100:00:00");
    QTest::newRow("negative") << -1.0 << QStringLiteral("00:00:00");
    QTest::newRow("one short of a minute") << 59.0 << QStringLiteral("00:00:59");
}

void TestRunningViewMath::secondsToString()
{
    QFETCH(double, seconds);
    QFETCH(QString, text);

    QCOMPARE(RunningViewMath::secondsToString(seconds), text);
}

// Six ticks from 0 to the span, the span always labelled; texts that repeat
// are padded with one more blank per repetition.
void TestRunningViewMath::timeAxisLabels_data()
{
    QTest::addColumn<double>("span");
    QTest::addColumn<QStringList>("labels");

    QTest::newRow("25 minutes") << 1500.0 << QStringList{QStringLiteral("00:00@0"),
                                                         QStringLiteral("00:05@300000"),
                                                         QStringLiteral("00:10@600000"),
                                                         QStringLiteral("00:15@900000"),
                                                         QStringLiteral("00:20@1200000"),
                                                         QStringLiteral("00:25@1500000")};
    QTest::newRow("beyond a day") << 25 * 3600.0 + 600
                                  << QStringList{QStringLiteral("00:00@0"),
                                                 QStringLiteral("05:02@18120000"),
                                                 QStringLiteral("10:04@36240000"),
                                                 QStringLiteral("15:06@54360000"),
                                                 QStringLiteral("20:08@72480000"),
                                                 QStringLiteral("25:10@90600000")};
    QTest::newRow("3 minutes: repeated texts padded")
        << 180.0 << QStringList{QStringLiteral("00:00@0"),      QStringLiteral(" 00:00 @36000"),
                                QStringLiteral("00:01@72000"),  QStringLiteral(" 00:01 @108000"),
                                QStringLiteral("00:02@144000"), QStringLiteral("00:03@180000")};
    QTest::newRow("no span: 1 ms axis")
        << 0.0
        << QStringList{QStringLiteral("00:00@0"),           QStringLiteral(" 00:00 @0.2"),
                       QStringLiteral("  00:00  @0.4"),     QStringLiteral("   00:00   @0.6"),
                       QStringLiteral("    00:00    @0.8"), QStringLiteral("     00:00     @1")};
}

void TestRunningViewMath::timeAxisLabels()
{
    QFETCH(double, span);
    QFETCH(QStringList, labels);

    QCOMPARE(describe(RunningViewMath::timeAxisLabels(span)), labels);
    QCOMPARE(RunningViewMath::timeAxisMax(span), qMax(span * 1000, 1.0));
}

void TestRunningViewMath::dnaAxis_data()
{
    QTest::addColumn<double>("copies");
    QTest::addColumn<int>("cycle");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<double>("max");

    QTest::newRow("no copies yet") << 0.0 << 5 << QStringList{QStringLiteral("@0")} << 32.0;
    QTest::newRow("negative cycle") << 32.0 << -1 << QStringList{QStringLiteral("@0")} << 1.0;
    QTest::newRow("cycle 5") << 32.0 << 5
                             << QStringList{QStringLiteral("@0"), QStringLiteral("16@16"),
                                            QStringLiteral("32@32")}
                             << 32.0;
    QTest::newRow("cycle 17: fixed texts, not the values")
        << 131072.0 << 17
        << QStringList{QStringLiteral("@0"), QStringLiteral("75K@65536"),
                       QStringLiteral("150K@131072")}
        << 131072.0;
    QTest::newRow("cycle 30") << 1073741824.0 << 30
                              << QStringList{QStringLiteral("@0"), QStringLiteral("560M@536870912"),
                                             QStringLiteral("1.12B@1073741824")}
                              << 1073741824.0;
    QTest::newRow("beyond 40: the last row")
        << RunningViewMath::maxDnaCopiesValue() << 45
        << QStringList{QStringLiteral("@0"), QStringLiteral("576B@550000000000"),
                       QStringLiteral("1T@1100000000000")}
        << 1100000000000.0;
}

void TestRunningViewMath::dnaAxis()
{
    QFETCH(double, copies);
    QFETCH(int, cycle);
    QFETCH(QStringList, labels);
    QFETCH(double, max);

    QCOMPARE(describe(RunningViewMath::dnaAxisLabels(copies, cycle)), labels);
    QCOMPARE(RunningViewMath::dnaAxisMax(cycle), max);
}

void TestRunningViewMath::dnaCopies_data()
{
    QTest::addColumn<double>("lastSample");
    QTest::addColumn<int>("cycle");
    QTest::addColumn<QString>("text");

    QTest::newRow("grouped") << 1024.0 << 10 << QStringLiteral("1,024");
    QTest::newRow("none") << 0.0 << 0 << QStringLiteral("0");
    QTest::newRow("cycle 40") << 1099511627776.0 << 40 << QStringLiteral("1,099,511,627,776");
    QTest::newRow("cycle 45 of 50: frozen at the top")
        << 35184372088832.0 << 45 << QStringLiteral("1,099,511,627,776");
    QTest::newRow("past 40 without samples") << 0.0 << 41 << QStringLiteral("1,099,511,627,776");
}

void TestRunningViewMath::dnaCopies()
{
    QFETCH(double, lastSample);
    QFETCH(int, cycle);
    QFETCH(QString, text);

    QCOMPARE(RunningViewMath::dnaCopiesText(RunningViewMath::dnaCopiesShown(lastSample, cycle)),
             text);
}

void TestRunningViewMath::cycleAxis_data()
{
    QTest::addColumn<int>("cycle");
    QTest::addColumn<int>("totalCycles");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("shown");

    QTest::newRow("cycle 45 of 50") << 45 << 50 << 40 << 11 << 40;
    QTest::newRow("start of a 30-cycle run") << 0 << 30 << 5 << 6 << 0;
    QTest::newRow("near the end") << 28 << 30 << 30 << 11 << 28;
    QTest::newRow("short protocol") << 3 << 4 << 4 << 5 << 3;
    QTest::newRow("no cycles") << 0 << 0 << 1 << 2 << 0;
    QTest::newRow("before the first cycle") << -1 << 30 << 4 << 5 << 0;
    QTest::newRow("largest cycle a machine can send")
        << std::numeric_limits<int>::max() << 50 << 40 << 11 << 40;
}

void TestRunningViewMath::cycleAxis()
{
    QFETCH(int, cycle);
    QFETCH(int, totalCycles);
    QFETCH(int, max);
    QFETCH(int, ticks);
    QFETCH(int, shown);

    const int axisMax = RunningViewMath::cycleAxisMax(cycle, totalCycles);
    QCOMPARE(axisMax, max);
    QCOMPARE(RunningViewMath::cycleAxisTickCount(axisMax), ticks);
    QCOMPARE(RunningViewMath::cycleShown(cycle), shown);
}

void TestRunningViewMath::seriesSync_data()
{
    QTest::addColumn<int>("seriesCount");
    QTest::addColumn<int>("viewCount");
    QTest::addColumn<int>("cycle");
    QTest::addColumn<RunningViewMath::SyncAction>("temp");
    QTest::addColumn<RunningViewMath::SyncAction>("dna");

    QTest::newRow("series emptied")
        << 0 << 5 << 3 << RunningViewMath::SyncClear << RunningViewMath::SyncClear;
    QTest::newRow("both empty") << 0 << 0 << 0 << RunningViewMath::SyncClear
                                << RunningViewMath::SyncClear;
    QTest::newRow("in step") << 5 << 5 << 4 << RunningViewMath::SyncNothing
                             << RunningViewMath::SyncNothing;
    QTest::newRow("one new point")
        << 6 << 5 << 5 << RunningViewMath::SyncAppend << RunningViewMath::SyncAppend;
    QTest::newRow("one new point past cycle 40")
        << 42 << 41 << 41 << RunningViewMath::SyncAppend << RunningViewMath::SyncNothing;
    QTest::newRow("several new points")
        << 8 << 5 << 7 << RunningViewMath::SyncReload << RunningViewMath::SyncReload;
    QTest::newRow("series shrank: new run")
        << 3 << 5 << 2 << RunningViewMath::SyncReload << RunningViewMath::SyncReload;
}

void TestRunningViewMath::seriesSync()
{
    QFETCH(int, seriesCount);
    QFETCH(int, viewCount);
    QFETCH(int, cycle);
    QFETCH(RunningViewMath::SyncAction, temp);
    QFETCH(RunningViewMath::SyncAction, dna);

    QCOMPARE(RunningViewMath::tempSeriesSync(seriesCount, viewCount), temp);
    QCOMPARE(RunningViewMath::dnaSeriesSync(seriesCount, viewCount, cycle), dna);
}

void TestRunningViewMath::temperatures_data()
{
    QTest::addColumn<double>("celsius");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("lidHot");

    QTest::newRow("hot lid") << 104.96 << QStringLiteral("105.0\u00BAC") << true;
    QTest::newRow("at the threshold") << 60.0 << QStringLiteral("60.0\u00BAC") << false;
    QTest::newRow("just above") << 60.04 << QStringLiteral("60.0\u00BAC") << true;
}

void TestRunningViewMath::temperatures()
{
    QFETCH(double, celsius);
    QFETCH(QString, text);
    QFETCH(bool, lidHot);

    QCOMPARE(RunningViewMath::temperatureText(celsius), text);
    QCOMPARE(RunningViewMath::isLidHot(celsius), lidHot);
}

QTEST_GUILESS_MAIN(TestRunningViewMath)
#include "tst_runningviewmath.moc"
