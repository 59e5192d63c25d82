#include "program/programv1.h"
#include "program/programv3.h"
#include "utils/pcrconst.h"

#include "programfixtures.h"

#include <QLoggingCategory>
#include <QSignalSpy>
#include <QtTest>

#include <set>
#include <thread>
#include <vector>

using namespace Fixtures;

namespace {

ProgramPtr makeProgram(int firmware, const QString &name, const QJsonObject &step,
                       bool finalCooling)
{
    const auto type = Program::ProgramType(
        programTypeFromObjectType(step.value(QStringLiteral("objectType")).toString()));
    if (firmware == 1)
        return ProgramPtr(new ProgramV1(name, bytes({step}), type));
    return ProgramPtr(new ProgramV3(name, bytes({step}), finalCooling, type));
}

} // namespace

class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void names_data();
    void names();
    void fuzzyEqual_data();
    void fuzzyEqual();
    void sameProgram_data();
    void sameProgram();
    void libraryRecord_data();
    void libraryRecord();
    void usageData();
    void idsAreUniqueAcrossThreads();
};

void TestProgram::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QString>("nextName");

    QTest::newRow("numbered") << "Mix (3)"
                              << "Mix"
                              << "Mix (4)";
    QTest::newRow("unnumbered") << "Mix"
                                << "Mix"
                                << "Mix (2)";
    QTest::newRow("more digits") << "Mix (9)"
                                 << "Mix"
                                 << "Mix (10)";
    QTest::newRow("letters in parentheses") << "Temp (abc)"
                                            << "Temp (abc)"
                                            << "Temp (abc) (2)";
    QTest::newRow("no space before the number") << "Mix(3)"
                                                << "Mix(3)"
                                                << "Mix(3) (2)";
    QTest::newRow("24 characters") << "abcdefghijklmnopqrstuvwx"
                                   << "abcdefghijklmnopqrstuvwx"
                                   << "abcdefghijklmnopqrst (2)";
    QTest::newRow("numbered at 24 characters") << "abcdefghijklmnopqrst (9)"
                                               << "abcdefghijklmnopqrst"
                                               << "abcdefghijklmnopqrs (10)";
    QTest::newRow("number beyond counting") << "Mix (99999999999999999999)"
                                            << "Mix"
                                            << "Mix (999999999999999 (2)";
}

void TestProgram::names()
{
    QFETCH(QString, name);
    QFETCH(QString, baseName);
    QFETCH(QString, nextName);

    QCOMPARE(Program::baseName(name), baseName);
    QCOMPARE(Program::nextNumberedName(name), nextName);
}

void TestProgram::fuzzyEqual_data()
{
    QTest::addColumn<float>("a");
    QTest::addColumn<float>("b");
    QTest::addColumn<bool>("equal");

    QTest::newRow("same") << 60.0f << 60.0f << true;
    QTest::newRow("within a relative 1e-5") << 60.0f << 60.0004f << true;
    QTest::newRow("beyond a relative 1e-5") << 60.0f << 60.001f << false;
    QTest::newRow("zero equals only zero") << 0.0f << 1e-9f << false;
    QTest::newRow("zeros") << 0.0f << -0.0f << true;
    QTest::newRow("opposite signs") << -1.0f << 1.0f << false;
}

void TestProgram::fuzzyEqual()
{
    QFETCH(float, a);
    QFETCH(float, b);
    QFETCH(bool, equal);

    QCOMPARE(Program::fuzzyEqual(a, b), equal);
    QCOMPARE(Program::fuzzyEqual(b, a), equal);
}

void TestProgram::sameProgram_data()
{
    QTest::addColumn<int>("firmware");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QJsonObject>("step");
    QTest::addColumn<bool>("finalCooling");
    QTest::addColumn<int>("otherFirmware");
    QTest::addColumn<QString>("otherName");
    QTest::addColumn<QJsonObject>("otherStep");
    QTest::addColumn<bool>("otherFinalCooling");
    QTest::addColumn<bool>("exactName");
    QTest::addColumn<bool>("same");

    const QString mix = QStringLiteral("Mix");
    const QJsonObject pcr = pcrStep();
    QTest::newRow("equal") << 3 << mix << pcr << true << 3 << mix << pcr << true << true << true;
    QTest::newRow("numbered copy, exact name")
        << 3 << mix << pcr << true << 3 << "Mix (2)" << pcr << true << true << false;
    QTest::newRow("numbered copy")
        << 3 << mix << pcr << true << 3 << "Mix (2)" << pcr << true << false << true;
    QTest::newRow("two numbered copies")
        << 3 << "Mix (3)" << pcr << true << 3 << "Mix (7)" << pcr << true << false << true;
    QTest::newRow("name begins with the other")
        << 3 << mix << pcr << true << 3 << "Mix long" << pcr << true << false << true;
    QTest::newRow("other name") << 3 << mix << pcr << true << 3 << "Max" << pcr << true << false
                                << false;
    QTest::newRow("case differs") << 3 << mix << pcr << true << 3 << "mix" << pcr << true << false
                                  << false;
    QTest::newRow("other type") << 3 << mix << heatBlockStep(37, 30) << false << 3 << mix
                                << linearRampStep(37, 37, 30) << false << true << false;
    QTest::newRow("other lid") << 3 << mix << pcr << true << 3 << mix << pcrStep(false) << true
                               << true << false;
    QTest::newRow("other final cooling")
        << 3 << mix << pcr << true << 3 << mix << pcr << false << true << false;
    QTest::newRow("target within a relative 1e-5")
        << 3 << mix << pcr << true << 3 << mix
        << with(pcr, QStringLiteral("annealingTemp"), 60.0004) << true << true << true;
    QTest::newRow("target beyond a relative 1e-5")
        << 3 << mix << pcr << true << 3 << mix << with(pcr, QStringLiteral("annealingTemp"), 60.001)
        << true << true << false;
    QTest::newRow("other time") << 3 << mix << pcr << true << 3 << mix
                                << with(pcr, QStringLiteral("finalTime"), 61) << true << true
                                << false;
    QTest::newRow("firmware 1 and 3 PCR")
        << 1 << mix << pcr << true << 3 << mix << pcr << true << true << true;
    QTest::newRow("firmware 3 and 1 PCR")
        << 3 << mix << pcr << true << 1 << mix << pcr << true << true << true;
    QTest::newRow("firmware 3 PCR without final cooling and 1")
        << 3 << mix << pcr << false << 1 << mix << pcr << true << true << false;
    QTest::newRow("firmware 1 and 3 PCR, lid off")
        << 1 << mix << pcrStep(false) << true << 3 << mix << pcrStep(false) << true << true << true;
    QTest::newRow("firmware 3 and 1 heat block")
        << 3 << mix << heatBlockStep(50, 600) << false << 1 << mix << heatBlockStep(50, 600)
        << false << true << true;
    QTest::newRow("firmware 3 heat block with final cooling and 1")
        << 3 << mix << heatBlockStep(50, 600) << true << 1 << mix << heatBlockStep(50, 600) << false
        << true << false;
    QTest::newRow("firmware 1 and 3 linear ramp")
        << 1 << mix << linearRampStep(40, 60, 300) << false << 3 << mix
        << linearRampStep(40, 60, 300) << false << false << true;
}

void TestProgram::sameProgram()
{
    QFETCH(int, firmware);
    QFETCH(QString, name);
    QFETCH(QJsonObject, step);
    QFETCH(bool, finalCooling);
    QFETCH(int, otherFirmware);
    QFETCH(QString, otherName);
    QFETCH(QJsonObject, otherStep);
    QFETCH(bool, otherFinalCooling);
    QFETCH(bool, exactName);
    QFETCH(bool, same);
    const ProgramPtr program = makeProgram(firmware, name, step, finalCooling);
    const ProgramPtr other = makeProgram(otherFirmware, otherName, otherStep, otherFinalCooling);
    QVERIFY(program->isValid() && other->isValid());

    QCOMPARE(program->isSameProgram(other, exactName), same);
    QVERIFY(!program->isSameProgram(ProgramPtr(), false));
}

void TestProgram::libraryRecord_data()
{
    QTest::addColumn<int>("firmware");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("finalCooling");

    QTest::newRow("firmware 1 PCR") << 1 << 1 << true;
    QTest::newRow("firmware 3 heat block") << 3 << 2 << false;
    QTest::newRow("firmware 3 flex") << 3 << 4 << true;
}

void TestProgram::libraryRecord()
{
    QFETCH(int, firmware);
    QFETCH(int, type);
    QFETCH(bool, finalCooling);
    const QJsonObject step = type == Program::PT_HEAT_BLOCK ? heatBlockStep(50, 60) : pcrStep();
    const auto programType = Program::ProgramType(type);
    const ProgramPtr program =
        firmware == 1 ? ProgramPtr(new ProgramV1(QStringLiteral("Mix"), bytes({step}), programType))
                      : ProgramPtr(new ProgramV3(QStringLiteral("Mix"), bytes({step}), finalCooling,
                                                 programType));
    program->setFavorite(true);
    program->setUsedCount(3);
    program->setLastUsed(QDateTime(QDate(2018, 10, 2), QTime(13, 49, 34, 500)));

    const QJsonObject record = program->toJson();

    QCOMPARE(record.size(), 8);
    QCOMPARE(record.value(QStringLiteral("protocol_array")).toArray(),
             program->protocolSteps().array());
    QCOMPARE(record.value(QStringLiteral("name")).toString(), QStringLiteral("Mix"));
    QCOMPARE(record.value(QStringLiteral("type")).toInt(), type);
    QCOMPARE(record.value(QStringLiteral("firmware")).toString(),
             firmware == 1 ? QStringLiteral("1.0") : QStringLiteral("3.0"));
    QCOMPARE(record.value(QStringLiteral("isFavorite")).toBool(), true);
    QCOMPARE(record.value(QStringLiteral("lastUsed")).toString(),
             QStringLiteral("2018-10-02T13:49:34"));
    QCOMPARE(record.value(QStringLiteral("usedCount")).toInt(), 3);
    QCOMPARE(record.value(QStringLiteral("finalCooling")).toBool(), finalCooling);
}

void TestProgram::usageData()
{
    ProgramV3 program(QStringLiteral("Mix"), bytes({pcrStep()}), true, Program::PT_PCR);
    QVERIFY(program.lastUsed().secsTo(QDateTime::currentDateTime()) < 60);
    QSignalSpy changed(&program, &Program::usageDataChanged);

    program.setFavorite(true);
    QCOMPARE(changed.count(), 0);
    program.setLastUsed(QDateTime(QDate(2018, 10, 2), QTime(13, 49, 34)));
    program.setUsedCount(4);
    QCOMPARE(changed.count(), 2);
    program.markUsed();

    QCOMPARE(changed.count(), 3);
    QCOMPARE(program.usedCount(), 5);
    QVERIFY(program.lastUsed().secsTo(QDateTime::currentDateTime()) < 60);
    QVERIFY(program.isFavorite());
}

void TestProgram::idsAreUniqueAcrossThreads()
{
    const int threads = 4;
    const int programsPerThread = 200;
    std::vector<std::vector<int>> ids(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&ids, t] {
            for (int i = 0; i < programsPerThread; ++i)
                ids[std::size_t(t)].push_back(ProgramV1().programId());
        });
    }
    for (std::thread &worker : workers)
        worker.join();

    std::set<int> unique;
    for (const std::vector<int> &threadIds : ids)
        unique.insert(threadIds.cbegin(), threadIds.cend());
    QCOMPARE(int(unique.size()), threads * programsPerThread);

    const ProgramV1 next;
    QVERIFY(next.programId() > *unique.rbegin());
    const ProgramV1 given(QStringLiteral("Mix"), bytes({pcrStep()}), Program::PT_PCR, 7);
    QCOMPARE(given.programId(), 7);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
