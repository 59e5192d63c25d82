#include "program/programdurationestimator.h"
#include "program/programv1.h"
#include "program/programv3.h"

#include <QJsonDocument>
#include <QLoggingCategory>
#include <QtTest>

#include <limits>

namespace {

constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();

QByteArray stepArray(const QJsonObject &step)
{
    return QJsonDocument(QJsonArray{step}).toJson(QJsonDocument::Compact);
}

// Defaults: initialization 94 for 120 s, 30 cycles of 94/60/72 for 30 s each,
// final extension 72 for 60 s, heated lid.
QByteArray defaultPcr()
{
    return QJsonDocument(Container::Protocol::defaultStepArray()).toJson(QJsonDocument::Compact);
}

QByteArray heatBlock(double temp, int seconds)
{
    return stepArray({{QStringLiteral("objectType"), QStringLiteral("Heat Block")},
                      {QStringLiteral("heatedLid"), true},
                      {QStringLiteral("startTemp"), temp},
                      {QStringLiteral("time"), seconds}});
}

QByteArray linearRamp(double start, double final, int seconds)
{
    return stepArray({{QStringLiteral("objectType"), QStringLiteral("Linear Ramp")},
                      {QStringLiteral("heatedLid"), true},
                      {QStringLiteral("startTemp"), start},
                      {QStringLiteral("finalTemp"), final},
                      {QStringLiteral("time"), seconds}});
}

ProtocolV1::ShortPCRProtocol pcr(float initialization, float finalExtension,
                                 quint32 initializationTime, quint32 cycles)
{
    ProtocolV1::ShortPCRProtocol protocol;
    protocol.set_initializationtemp(initialization);
    protocol.set_initializationtime(initializationTime);
    protocol.set_denaturationtemp(94);
    protocol.set_denaturationtime(30);
    protocol.set_annealingtemp(60);
    protocol.set_annealingtime(30);
    protocol.set_extensiontemp(72);
    protocol.set_extensiontime(30);
    protocol.set_cyclenumber(cycles);
    protocol.set_finalextensiontemp(finalExtension);
    protocol.set_finalextensiontime(60);
    return protocol;
}

} // namespace

Q_DECLARE_METATYPE(ProtocolV1::ShortPCRProtocol)
Q_DECLARE_METATYPE(ProgramPtr)

class TestProgramDurationEstimator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void lidWarmUp_data();
    void lidWarmUp();
    void blockApproach_data();
    void blockApproach();
    void absurdReadingsGiveAPositiveEstimate();
    void pcrBody_data();
    void pcrBody();
    void estimateOfProgram_data();
    void estimateOfProgram();
    void withoutProgramNothingIsEstimated();
    void resetStartsOver();
};

void TestProgramDurationEstimator::lidWarmUp_data()
{
    QTest::addColumn<float>("target");
    QTest::addColumn<float>("lid");
    QTest::addColumn<qint64>("seconds");

    QTest::newRow("25 to 105") << 105.0f << 25.0f << qint64(160);
    QTest::newRow("fraction dropped") << 105.0f << 104.7f << qint64(0);
    QTest::newRow("already at target") << 105.0f << 105.0f << qint64(0);
    QTest::newRow("hotter than target") << 60.0f << 80.0f << qint64(0);
    QTest::newRow("unreadable lid") << 105.0f << notANumber << qint64(0);
}

void TestProgramDurationEstimator::lidWarmUp()
{
    QFETCH(float, target);
    QFETCH(float, lid);
    QFETCH(qint64, seconds);

    QCOMPARE(ProgramDurationEstimator::lidWarmUpSeconds(target, lid), seconds);
}

void TestProgramDurationEstimator::blockApproach_data()
{
    QTest::addColumn<float>("target");
    QTest::addColumn<float>("block");
    QTest::addColumn<qint64>("seconds");

    QTest::newRow("heating 25 to 95") << 95.0f << 25.0f << qint64(41);
    QTest::newRow("short climb 90 to 94 settles") << 94.0f << 90.0f << qint64(17);
    QTest::newRow("at target settles") << 60.0f << 60.0f << qint64(15);
    QTest::newRow("cooling 95 to 55") << 55.0f << 95.0f << qint64(61);
    QTest::newRow("cooling 72 to 60") << 60.0f << 72.0f << qint64(21);
    QTest::newRow("cooling within a band") << 60.0f << 60.5f << qint64(0);
    QTest::newRow("cooling below 50: slow end") << 4.0f << 30.0f << qint64(1320);
    QTest::newRow("above the table: top band takes the rest") << 94.0f << 99.0f << qint64(5);
    QTest::newRow("unreadable block") << 94.0f << notANumber << qint64(0);
}

void TestProgramDurationEstimator::blockApproach()
{
    QFETCH(float, target);
    QFETCH(float, block);
    QFETCH(qint64, seconds);

    QCOMPARE(ProgramDurationEstimator::blockApproachSeconds(target, block), seconds);
}

// A plain cast of such a time to an integer is undefined and, on this
// machine, negative.
void TestProgramDurationEstimator::absurdReadingsGiveAPositiveEstimate()
{
    QVERIFY(ProgramDurationEstimator::lidWarmUpSeconds(105.0f, -3.0e38f) > 0);
    QVERIFY(ProgramDurationEstimator::blockApproachSeconds(94.0f, -3.0e38f) > 0);
    QVERIFY(ProgramDurationEstimator::blockApproachSeconds(-3.0e38f, 3.0e38f) > 0);
}

void TestProgramDurationEstimator::pcrBody_data()
{
    QTest::addColumn<ProtocolV1::ShortPCRProtocol>("protocol");
    QTest::addColumn<qint64>("seconds");

    // 150 s to start, 30 x 151 s of cycles, 60 s final extension.
    QTest::newRow("defaults") << pcr(94, 72, 120, 30) << qint64(4740);
    // Ramps 94 -> 98 and 72 -> 68 add 8 / 1.097 s.
    QTest::newRow("ramps into and out of the cycles") << pcr(98, 68, 60, 1) << qint64(308);
    QTest::newRow("no cycles") << pcr(94, 72, 120, 0) << qint64(210);
}

void TestProgramDurationEstimator::pcrBody()
{
    QFETCH(ProtocolV1::ShortPCRProtocol, protocol);
    QFETCH(qint64, seconds);

    QCOMPARE(ProgramDurationEstimator::pcrBodySeconds(protocol), seconds);
}

void TestProgramDurationEstimator::estimateOfProgram_data()
{
    QTest::addColumn<ProgramPtr>("program");
    QTest::addColumn<qint64>("duration");

    // Lid 25 -> 105: 160 s; block 25 -> 94: 40 s; body 4740 s.
    QTest::newRow("firmware-1 PCR")
        << ProgramPtr(new ProgramV1(QStringLiteral("P"), defaultPcr(), Program::PT_PCR))
        << qint64(4940);
    // Lid 25 -> 60: 70 s; block 25 -> 50: 14 s; hold 600 s.
    QTest::newRow("firmware-1 heat block")
        << ProgramPtr(
               new ProgramV1(QStringLiteral("H"), heatBlock(50, 600), Program::PT_HEAT_BLOCK))
        << qint64(684);
    // Lid 25 -> 50: 50 s; block 25 -> 40: 8 s; 1 s hold and 300 s ramp.
    QTest::newRow("firmware-1 linear ramp")
        << ProgramPtr(
               new ProgramV1(QStringLiteral("R"), linearRamp(40, 60, 300), Program::PT_LINEAR_RAMP))
        << qint64(359);
    // Only the lid and the block: firmware-3 machines report their own time.
    QTest::newRow("firmware-3 PCR")
        << ProgramPtr(new ProgramV3(QStringLiteral("P3"), defaultPcr(), true, Program::PT_PCR))
        << qint64(200);
    QTest::newRow("empty program") << ProgramPtr(new ProgramV1) << qint64(0);
}

void TestProgramDurationEstimator::estimateOfProgram()
{
    QFETCH(ProgramPtr, program);
    QFETCH(qint64, duration);

    ProgramDurationEstimator estimator;
    estimator.setProgram(program);
    estimator.estimate(25.0, 25.0);

    QCOMPARE(estimator.duration(), duration);
    QVERIFY(estimator.isEstimated());
}

void TestProgramDurationEstimator::withoutProgramNothingIsEstimated()
{
    ProgramDurationEstimator estimator;

    estimator.estimate(25.0, 25.0);

    QCOMPARE(estimator.duration(), qint64(0));
    QVERIFY(!estimator.isEstimated());
}

// A new run estimates again, from the temperatures of its own start.
void TestProgramDurationEstimator::resetStartsOver()
{
    ProgramDurationEstimator estimator;
    estimator.setProgram(
        ProgramPtr(new ProgramV1(QStringLiteral("P"), defaultPcr(), Program::PT_PCR)));
    estimator.estimate(25.0, 25.0);

    estimator.reset();
    QCOMPARE(estimator.duration(), qint64(0));
    QVERIFY(!estimator.isEstimated());

    estimator.estimate(105.0, 94.0);
    QCOMPARE(estimator.duration(), qint64(15 + 4740));
    QVERIFY(estimator.isEstimated());
}

QTEST_GUILESS_MAIN(TestProgramDurationEstimator)
#include "tst_programdurationestimator.moc"
