#include "ui/runningviewrules.h"
#include "utils/pcrconst.h"

#include <QtTest>

namespace {

constexpr double topCopies = 1099511627776.0;

} // namespace

class TestRunningViewRules : public QObject
{
    Q_OBJECT

private slots:
    void tabStateFollowsTheStatus_data();
    void tabStateFollowsTheStatus();
    void cycleLine_data();
    void cycleLine();
    void flexStepLine_data();
    void flexStepLine();
    void stepAndStepTimeLines_data();
    void stepAndStepTimeLines();
    void remainingTime_data();
    void remainingTime();
    void animation_data();
    void animation();
    void dnaCopiesEstimate_data();
    void dnaCopiesEstimate();
};

void TestRunningViewRules::tabStateFollowsTheStatus_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("finished");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("unknown") << int(PCRConst::DS_UNKNOWN) << false << true << true;
    QTest::newRow("paused") << int(PCRConst::DS_PAUSED) << false << false << false;
    QTest::newRow("running") << int(PCRConst::DS_RUNNING) << true << false << false;
    QTest::newRow("stopped") << int(PCRConst::DS_STOPPED) << false << true << false;
    QTest::newRow("start-up") << int(PCRConst::DS_START_UP) << true << false << false;
    QTest::newRow("reset") << int(PCRConst::DS_RESET) << true << false << false;
    QTest::newRow("finished") << int(PCRConst::DS_FINISHED) << false << true << false;
    QTest::newRow("no power") << int(PCRConst::DS_NO_POWER) << false << true << true;
    QTest::newRow("offline") << int(PCRConst::DS_OFFLINE) << false << true << true;
    QTest::newRow("loading") << int(PCRConst::DS_LOADING) << false << false << true;
}

void TestRunningViewRules::tabStateFollowsTheStatus()
{
    QFETCH(int, status);
    QFETCH(bool, running);
    QFETCH(bool, finished);
    QFETCH(bool, readOnly);
    QCOMPARE(RunningViewRules::isRunning(status), running);
    QCOMPARE(RunningViewRules::isFinished(status), finished);
    QCOMPARE(RunningViewRules::isReadOnly(status), readOnly);
}

void TestRunningViewRules::cycleLine_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("pcrStyleStep");
    QTest::addColumn<bool>("flex");
    QTest::addColumn<bool>("hadPcrStyle");
    QTest::addColumn<int>("stepType");
    QTest::addColumn<bool>("finished");
    QTest::addColumn<bool>("shown");
    const int running = PCRConst::DS_RUNNING;
    const int cooling = PCRConst::SN_FINAL_COOLING;
    const int annealing = PCRConst::SN_ANNEALING;
    QTest::newRow("pcr step") << 3 << 30 << running << true << false << false << annealing << false
                              << true;
    QTest::newRow("no cycle yet") << 0 << 30 << running << true << false << false << annealing
                                  << false << false;
    QTest::newRow("no cycles") << 3 << 0 << running << true << false << false << annealing << false
                               << false;
    QTest::newRow("offline") << 3 << 30 << int(PCRConst::DS_OFFLINE) << true << false << false
                             << annealing << false << false;
    QTest::newRow("heat block step") << 3 << 30 << running << false << false << false
                                     << int(PCRConst::SN_OTHER) << false << false;
    QTest::newRow("flex cooling after pcr")
        << 30 << 30 << running << false << true << true << cooling << false << true;
    QTest::newRow("flex finished after pcr")
        << 30 << 30 << int(PCRConst::DS_FINISHED) << false << true << true
        << int(PCRConst::SN_FINISHED) << true << true;
    QTest::newRow("flex heat block after pcr") << 30 << 30 << running << false << true << true
                                               << int(PCRConst::SN_OTHER) << false << false;
    QTest::newRow("flex cooling without pcr")
        << 30 << 30 << running << false << true << false << cooling << false << false;
    QTest::newRow("pcr cooling") << 30 << 30 << running << false << false << true << cooling
                                 << false << false;
    QTest::newRow("negative counts are non-zero")
        << -1 << 30 << running << true << false << false << annealing << false << true;
}

void TestRunningViewRules::cycleLine()
{
    QFETCH(int, current);
    QFETCH(int, total);
    QFETCH(int, status);
    QFETCH(bool, pcrStyleStep);
    QFETCH(bool, flex);
    QFETCH(bool, hadPcrStyle);
    QFETCH(int, stepType);
    QFETCH(bool, finished);
    QFETCH(bool, shown);
    QCOMPARE(RunningViewRules::showsCycle(current, total, status, pcrStyleStep, flex, hadPcrStyle,
                                          stepType, finished),
             shown);
}

void TestRunningViewRules::flexStepLine_data()
{
    QTest::addColumn<bool>("flex");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("finished");
    QTest::addColumn<int>("stepType");
    QTest::addColumn<bool>("shown");
    const QString name = QStringLiteral("Hold");
    QTest::newRow("flex step") << true << name << false << int(PCRConst::SN_ANNEALING) << true;
    QTest::newRow("not flex") << false << name << false << int(PCRConst::SN_ANNEALING) << false;
    QTest::newRow("no name") << true << QString() << false << int(PCRConst::SN_ANNEALING) << false;
    QTest::newRow("finished") << true << name << true << int(PCRConst::SN_ANNEALING) << false;
    QTest::newRow("other step") << true << name << false << int(PCRConst::SN_OTHER) << false;
    QTest::newRow("final cooling")
        << true << name << false << int(PCRConst::SN_FINAL_COOLING) << false;
}

void TestRunningViewRules::flexStepLine()
{
    QFETCH(bool, flex);
    QFETCH(QString, name);
    QFETCH(bool, finished);
    QFETCH(int, stepType);
    QFETCH(bool, shown);
    QCOMPARE(RunningViewRules::showsFlexStep(flex, name, finished, stepType), shown);
}

void TestRunningViewRules::stepAndStepTimeLines_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("flex");
    QTest::addColumn<bool>("finished");
    QTest::addColumn<int>("stepType");
    QTest::addColumn<QString>("stepName");
    QTest::addColumn<bool>("stepShown");
    QTest::addColumn<bool>("stepTimeShown");
    QTest::addColumn<double>("stepTime");
    const int running = PCRConst::DS_RUNNING;
    const int annealing = PCRConst::SN_ANNEALING;
    const int cooling = PCRConst::SN_FINAL_COOLING;
    const QString name = QStringLiteral("Annealing");
    QTest::newRow("running") << running << false << false << annealing << name << true << true
                             << 42.0;
    QTest::newRow("offline") << int(PCRConst::DS_OFFLINE) << false << false << annealing << name
                             << false << false << 42.0;
    QTest::newRow("loading") << int(PCRConst::DS_LOADING) << false << false << annealing << name
                             << true << true << 0.0;
    QTest::newRow("start-up") << int(PCRConst::DS_START_UP) << false << false << annealing << name
                              << true << true << 0.0;
    QTest::newRow("no step name") << running << false << false << annealing << QString() << true
                                  << true << 0.0;
    QTest::newRow("pcr cooling") << running << false << false << cooling << name << true << true
                                 << 0.0;
    QTest::newRow("flex cooling") << running << true << false << cooling << name << true << false
                                  << 0.0;
    QTest::newRow("flex finished") << int(PCRConst::DS_FINISHED) << true << true
                                   << int(PCRConst::SN_FINISHED) << name << true << false << 42.0;
    QTest::newRow("flex running") << running << true << false << annealing << name << true << true
                                  << 42.0;
}

void TestRunningViewRules::stepAndStepTimeLines()
{
    QFETCH(int, status);
    QFETCH(bool, flex);
    QFETCH(bool, finished);
    QFETCH(int, stepType);
    QFETCH(QString, stepName);
    QFETCH(bool, stepShown);
    QFETCH(bool, stepTimeShown);
    QFETCH(double, stepTime);
    QCOMPARE(RunningViewRules::showsStep(status), stepShown);
    QCOMPARE(RunningViewRules::showsStepTime(status, flex, finished, stepType), stepTimeShown);
    QCOMPARE(RunningViewRules::stepTimeShown(42.0, status, stepType, stepName), stepTime);
}

void TestRunningViewRules::remainingTime_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("beyond a day") << 25.0 * 3600 + 600 << QStringLiteral("- 25:10:00");
    QTest::newRow("one second") << 1.0 << QStringLiteral("- 00:00:01");
    QTest::newRow("none") << 0.0 << QStringLiteral("00:00:00");
    QTest::newRow("negative") << -5.0 << QStringLiteral("00:00:00");
}

void TestRunningViewRules::remainingTime()
{
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(RunningViewRules::remainingTimeText(seconds), text);
}

void TestRunningViewRules::animation_data()
{
    QTest::addColumn<bool>("pcrStyleStep");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("power");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("stepType");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("animation");
    const int running = PCRConst::DS_RUNNING;
    const int denaturation = RunningViewRules::DenaturationAnimation;
    QTest::newRow("initial denaturation")
        << true << running << true << true << int(PCRConst::SN_INITIAL_DENATURATION) << true
        << denaturation;
    QTest::newRow("denaturation") << true << running << true << true
                                  << int(PCRConst::SN_DENATURATION) << true << denaturation;
    QTest::newRow("annealing") << true << running << true << true << int(PCRConst::SN_ANNEALING)
                               << true << int(RunningViewRules::AnnealingAnimation);
    QTest::newRow("extension") << true << running << true << true << int(PCRConst::SN_EXTENSION)
                               << true << int(RunningViewRules::ExtensionAnimation);
    QTest::newRow("final extension")
        << true << int(PCRConst::DS_START_UP) << true << true << int(PCRConst::SN_FINAL_EXTENSION)
        << true << int(RunningViewRules::ExtensionAnimation);
    QTest::newRow("cycle") << true << running << true << true << int(PCRConst::SN_CYCLE) << true
                           << int(RunningViewRules::NoAnimation);
    QTest::newRow("final cooling")
        << true << running << true << true << int(PCRConst::SN_FINAL_COOLING) << false
        << int(RunningViewRules::NoAnimation);
    QTest::newRow("other") << true << running << true << true << int(PCRConst::SN_OTHER) << false
                           << int(RunningViewRules::NoAnimation);
    QTest::newRow("paused") << true << int(PCRConst::DS_PAUSED) << true << true
                            << int(PCRConst::SN_ANNEALING) << false
                            << int(RunningViewRules::AnnealingAnimation);
    QTest::newRow("no power") << true << running << false << true << int(PCRConst::SN_ANNEALING)
                              << false << int(RunningViewRules::AnnealingAnimation);
    QTest::newRow("disconnected") << true << running << true << false << int(PCRConst::SN_ANNEALING)
                                  << false << int(RunningViewRules::AnnealingAnimation);
    QTest::newRow("heat block step")
        << false << running << true << true << int(PCRConst::SN_ANNEALING) << false
        << int(RunningViewRules::AnnealingAnimation);
}

void TestRunningViewRules::animation()
{
    QFETCH(bool, pcrStyleStep);
    QFETCH(int, status);
    QFETCH(bool, power);
    QFETCH(bool, connected);
    QFETCH(int, stepType);
    QFETCH(bool, shown);
    QFETCH(int, animation);
    QCOMPARE(RunningViewRules::showsAnimation(pcrStyleStep, status, power, connected, stepType),
             shown);
    QCOMPARE(int(RunningViewRules::animationFor(stepType)), animation);
}

void TestRunningViewRules::dnaCopiesEstimate_data()
{
    QTest::addColumn<double>("shown");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("lastSample");
    QTest::addColumn<int>("cycle");
    QTest::addColumn<double>("next");
    QTest::newRow("follows the series") << 65536.0 << 18 << 131072.0 << 17 << 131072.0;
    QTest::newRow("cycle 40 still grows") << 2.0 << 41 << topCopies << 40 << topCopies;
    QTest::newRow("frozen at cycle 41")
        << 549755813888.0 << 42 << 4398046511104.0 << 41 << 549755813888.0;
    QTest::newRow("frozen from 0 goes to the top")
        << 0.0 << 42 << 4398046511104.0 << 41 << topCopies;
    QTest::newRow("cleared") << 4096.0 << 0 << 0.0 << 12 << 0.0;
    QTest::newRow("cleared beyond the cycles") << 4096.0 << 0 << 0.0 << 45 << 0.0;
}

void TestRunningViewRules::dnaCopiesEstimate()
{
    QFETCH(double, shown);
    QFETCH(int, count);
    QFETCH(double, lastSample);
    QFETCH(int, cycle);
    QFETCH(double, next);
    QCOMPARE(RunningViewRules::nextDnaCopies(shown, count, lastSample, cycle), next);
    // A chart opened at that moment.
    QCOMPARE(RunningViewRules::initialDnaCopies(lastSample, cycle),
             cycle >= 40 ? topCopies : lastSample);
}

QTEST_APPLESS_MAIN(TestRunningViewRules)
#include "tst_runningviewrules.moc"
