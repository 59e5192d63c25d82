#include "program/programv1.h"
#include "program/programv3.h"
#include "program/propertymodel.h"

#include "programfixtures.h"

#include <QLoggingCategory>
#include <QtTest>

using namespace Fixtures;

namespace {

const int hold = ProtocolV1::HOLD;
const int cycle = ProtocolV1::CYCLE;
const int ramp = ProtocolV1::LINEAR_RAMP;
const char *const parseWarning = "Parse error.. Unrecognized protocol received from device. ";

const WireSteps pcrSteps{{hold, 94, 120, 0}, {hold, 94, 30, 0}, {hold, 60, 30, 0},
                         {hold, 72, 30, 0},  {cycle, 2, 30, 0}, {hold, 72, 60, 0},
                         {hold, 37, 30, 0}};

QByteArray messageBytes(const WireSteps &steps, float lidTemp)
{
    return QByteArray::fromStdString(
        messageOf<ProtocolV1::PCRProtocol>(steps, lidTemp).SerializeAsString());
}

// The step array a firmware-1 program writes: one block marked "1.0".
QJsonArray v1Steps(QJsonObject step)
{
    step.insert(QStringLiteral("firmware"), QStringLiteral("1.0"));
    if (step.value(QStringLiteral("objectType")) == QStringLiteral("Heat Block"))
        step.remove(QStringLiteral("finalTemp"));
    return {step};
}

} // namespace

class TestProgramV1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void wireMessage_data();
    void wireMessage();
    void finalCoolingFollowsTheType();
    void roundTripThroughTheWire_data();
    void roundTripThroughTheWire();
    void receivedMessages_data();
    void receivedMessages();
    void limitTimes();
    void supportedByV1_data();
    void supportedByV1();
    void editWithoutStepArrayChangesNothing_data();
    void editWithoutStepArrayChangesNothing();
    void noFirmwareV1Shape_data();
    void noFirmwareV1Shape();
    void conversionsKeepTheSettings_data();
    void conversionsKeepTheSettings();
};

void TestProgramV1::wireMessage_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QJsonObject>("step");
    QTest::addColumn<WireSteps>("expected");
    QTest::addColumn<float>("lidTemp");
    QTest::addColumn<bool>("heatedLid");

    QTest::newRow("PCR") << 1 << pcrStep() << pcrSteps << 105.0f << true;
    QTest::newRow("PCR, lid off") << 1 << pcrStep(false) << pcrSteps << 37.0f << false;
    QTest::newRow("heat block") << 2 << heatBlockStep(50, 600)
                                << WireSteps{{hold, 50, 1, 0}, {hold, 50, 600, 0}} << 60.0f << true;
    QTest::newRow("heat block, lid off")
        << 2 << heatBlockStep(50, 600, false) << WireSteps{{hold, 50, 1, 0}, {hold, 50, 600, 0}}
        << 0.0f << false;
    QTest::newRow("linear ramp heats its lid anyway")
        << 3 << linearRampStep(40, 60, 300, false)
        << WireSteps{{hold, 40, 1, 0}, {ramp, 60, 300, 0}} << 50.0f << true;
    QTest::newRow("fractional and negative times")
        << 2 << with(heatBlockStep(50, 0), QStringLiteral("time"), -5.5)
        << WireSteps{{hold, 50, 1, 0}, {hold, 50, 0, 0}} << 60.0f << true;
}

void TestProgramV1::wireMessage()
{
    QFETCH(int, type);
    QFETCH(QJsonObject, step);
    QFETCH(WireSteps, expected);
    QFETCH(float, lidTemp);
    QFETCH(bool, heatedLid);

    const ProgramV1 program(QStringLiteral(" Mix "), bytes({step}), Program::ProgramType(type));

    QVERIFY(program.isValid());
    QCOMPARE(program.name(), QStringLiteral("Mix"));
    QCOMPARE(Fixtures::wireSteps(program.pcrProtocol()), expected);
    QCOMPARE(program.lidTemp(), lidTemp);
    QCOMPARE(program.initLidTemp(), lidTemp);
    QCOMPARE(program.heatedLid(), heatedLid);
}

// Firmware 1 has no final-cooling switch; whatever the caller asks for, a PCR
// program cools down and nothing else does.
void TestProgramV1::finalCoolingFollowsTheType()
{
    ProgramV1 pcr(QStringLiteral("Mix"), bytes({pcrStep()}), Program::PT_PCR);
    pcr.editProgram(QStringLiteral("Mix"), bytes({pcrStep()}), false);
    ProgramV1 heatBlock(QStringLiteral("Hold"), bytes({heatBlockStep(50, 60)}),
                        Program::PT_HEAT_BLOCK);
    heatBlock.editProgram(QStringLiteral("Hold"), bytes({heatBlockStep(50, 60)}), true);

    QVERIFY(pcr.finalCooling());
    QCOMPARE(pcr.stepsCount(), 7);
    QVERIFY(!heatBlock.finalCooling());
    QCOMPARE(heatBlock.stepsCount(), 2);
}

void TestProgramV1::roundTripThroughTheWire_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QJsonArray>("steps");

    const QString name = QStringLiteral("Mix");
    QTest::newRow("PCR") << 1 << v1Steps(pcrStep(true, name));
    QTest::newRow("PCR, lid off") << 1 << v1Steps(pcrStep(false, name));
    QTest::newRow("heat block") << 2 << v1Steps(heatBlockStep(50, 600, true, name));
    // The lid of a heat block runs 10 degrees above the block: a cold hold has
    // a lid below body temperature and still heats it.
    QTest::newRow("heat block below body temperature")
        << 2 << v1Steps(heatBlockStep(4, 32760, true, name));
    QTest::newRow("heat block, lid off") << 2 << v1Steps(heatBlockStep(50, 600, false, name));
    QTest::newRow("linear ramp") << 3 << v1Steps(linearRampStep(40, 60.5, 300, true, name));
}

void TestProgramV1::roundTripThroughTheWire()
{
    QFETCH(int, type);
    QFETCH(QJsonArray, steps);

    const auto sent = QSharedPointer<ProgramV1>::create(QStringLiteral("Mix"), bytes(steps),
                                                        Program::ProgramType(type));
    QCOMPARE(sent->protocolSteps().array(), steps);

    const ProgramV1 received(QByteArray::fromStdString(sent->pcrProtocol().SerializeAsString()));

    QVERIFY(received.isValid());
    QCOMPARE(int(received.programType()), type);
    QCOMPARE(received.finalCooling(), sent->finalCooling());
    QCOMPARE(received.protocolSteps().array(), steps);
    QVERIFY(received.isSameProgram(sent, true));
}

void TestProgramV1::receivedMessages_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("warns");
    QTest::addColumn<int>("type");
    QTest::addColumn<float>("initTemp");

    QTest::newRow("PCR") << messageBytes(pcrSteps, 105) << false << 1 << 94.0f;
    QTest::newRow("two holds: heat block at the second target")
        << messageBytes({{hold, 30, 1, 0}, {hold, 50, 600, 0}}, 60) << false << 2 << 50.0f;
    QTest::newRow("hold then ramp")
        << messageBytes({{hold, 40, 1, 0}, {ramp, 60, 300, 0}}, 50) << false << 3 << 40.0f;
    QTest::newRow("three steps") << messageBytes(
                                        {{hold, 40, 1, 0}, {hold, 50, 600, 0}, {hold, 37, 30, 0}},
                                        60)
                                 << true << 0 << 0.0f;
    QTest::newRow("seven steps without a cycle")
        << messageBytes(QVector<WireStep>(7, {hold, 50, 10, 0}).toList(), 105) << true << 0 << 0.0f;
    QTest::newRow("no steps") << QByteArray() << true << 0 << 0.0f;
    WireSteps pcrWithRamp = pcrSteps;
    pcrWithRamp[5].type = ramp;
    QTest::newRow("PCR with a ramp inside") << messageBytes(pcrWithRamp, 105) << false << 0 << 0.0f;
    QTest::newRow("cycle before a hold")
        << messageBytes({{cycle, 2, 30, 0}, {hold, 50, 600, 0}}, 60) << false << 0 << 0.0f;
}

void TestProgramV1::receivedMessages()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, warns);
    QFETCH(int, type);
    QFETCH(float, initTemp);

    if (warns)
        QTest::ignoreMessage(QtWarningMsg, parseWarning);
    const ProgramV1 program(message);

    QCOMPARE(int(program.programType()), type);
    QCOMPARE(program.initTemp(), initTemp);
}

void TestProgramV1::limitTimes()
{
    ProgramV1 pcr(QStringLiteral("Mix"),
                  bytes({with(pcrStep(), QStringLiteral("extensionTime"), 40000)}),
                  Program::PT_PCR);
    ProgramV1 heatBlock(QStringLiteral("Hold"), bytes({heatBlockStep(50, 40000)}),
                        Program::PT_HEAT_BLOCK);
    QVERIFY(!pcr.isSupportedByV1());

    pcr.limitTimes();
    heatBlock.limitTimes();

    QCOMPARE(pcr.shortPcrProtocol().extensiontime(), 32760u);
    WireSteps limited = pcrSteps;
    limited[3].time = 32760;
    QCOMPARE(Fixtures::wireSteps(pcr.pcrProtocol()), limited);
    QCOMPARE(pcr.shortPcrProtocol().initializationtime(), 120u);
    QVERIFY(pcr.isSupportedByV1());
    QCOMPARE(heatBlock.shortLinearRampProtocol().time(), 32760u);
    QCOMPARE(Fixtures::wireSteps(heatBlock.pcrProtocol()),
             (WireSteps{{hold, 50, 1, 0}, {hold, 50, 32760, 0}}));
}

void TestProgramV1::supportedByV1_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QJsonObject>("step");
    QTest::addColumn<bool>("supported");

    for (const char *key :
         {"initTime", "denaturationTime", "annealingTime", "extensionTime", "finalTime"}) {
        QTest::addRow("PCR %s 32760 s", key)
            << 1 << with(pcrStep(), QLatin1String(key), 32760) << true;
        QTest::addRow("PCR %s 32761 s", key)
            << 1 << with(pcrStep(), QLatin1String(key), 32761) << false;
    }
    QTest::newRow("heat block 32760 s") << 2 << heatBlockStep(50, 32760) << true;
    QTest::newRow("linear ramp 32761 s") << 3 << linearRampStep(40, 60, 32761) << false;
    QTest::newRow("touchdown") << 5 << touchdownStep() << false;
}

void TestProgramV1::supportedByV1()
{
    QFETCH(int, type);
    QFETCH(QJsonObject, step);
    QFETCH(bool, supported);

    const ProgramV1 program(QStringLiteral("Mix"), bytes({step}), Program::ProgramType(type));

    QCOMPARE(program.isSupportedByV1(), supported);
}

void TestProgramV1::editWithoutStepArrayChangesNothing_data()
{
    QTest::addColumn<QByteArray>("steps");

    QTest::newRow("object") << bytes({pcrStep()}).mid(1).chopped(1);
    QTest::newRow("not JSON") << QByteArray("[{");
    QTest::newRow("empty array") << QByteArray("[]");
}

void TestProgramV1::editWithoutStepArrayChangesNothing()
{
    QFETCH(QByteArray, steps);
    ProgramV1 program(QStringLiteral("Mix"), bytes({pcrStep()}), Program::PT_PCR);
    const QJsonDocument before = program.protocolSteps();
    const int rows = program.propertyModel()->count();

    program.editProgram(QStringLiteral("Other"), steps, true);

    QVERIFY(program.isValid());
    QCOMPARE(program.name(), QStringLiteral("Mix"));
    QCOMPARE(program.protocolSteps(), before);
    QCOMPARE(Fixtures::wireSteps(program.pcrProtocol()), pcrSteps);
    QCOMPARE(program.propertyModel()->count(), rows);
}

// Firmware 1 knows no flex or touchdown protocol: such a program has no steps.
void TestProgramV1::noFirmwareV1Shape_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QJsonObject>("step");

    QTest::newRow("touchdown") << 5 << touchdownStep();
    QTest::newRow("flex") << 4 << pcrStep();
}

void TestProgramV1::noFirmwareV1Shape()
{
    QFETCH(int, type);
    QFETCH(QJsonObject, step);

    const ProgramV1 program(QStringLiteral("Mix"), bytes({step}), Program::ProgramType(type));

    QCOMPARE(int(program.programType()), type);
    QCOMPARE(program.stepsCount(), 0);
    QVERIFY(!program.isSupportedByV1());
    QVERIFY(!program.finalCooling());
    const QJsonObject onlyFirmware{{QStringLiteral("firmware"), QStringLiteral("1.0")}};
    QCOMPARE(program.protocolSteps().array(), QJsonArray{onlyFirmware});
}

void TestProgramV1::conversionsKeepTheSettings_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QJsonObject>("step");

    QTest::newRow("PCR") << 1 << pcrStep(false);
    QTest::newRow("heat block") << 2 << heatBlockStep(50, 600, false);
    QTest::newRow("linear ramp") << 3 << linearRampStep(40, 60, 300);
}

void TestProgramV1::conversionsKeepTheSettings()
{
    QFETCH(int, type);
    QFETCH(QJsonObject, step);
    const ProgramV1 program(QStringLiteral("Mix"), bytes({step}), Program::ProgramType(type));

    const ProgramPtr v3 = program.toV3(false);
    const ProgramPtr back = v3->toV1(true);

    QCOMPARE(v3->firmware(), QStringLiteral("3.0"));
    QCOMPARE(v3->programId(), program.programId());
    QCOMPARE(v3->finalCooling(), program.finalCooling());
    QCOMPARE(v3->initTemp(), program.initTemp());
    QVERIFY(back->programId() != program.programId());
    QCOMPARE(back->protocolSteps(), program.protocolSteps());
    QCOMPARE(Fixtures::wireSteps(back.dynamicCast<ProgramV1>()->pcrProtocol()),
             Fixtures::wireSteps(program.pcrProtocol()));
    QCOMPARE(program.toV1(false)->protocolSteps(), program.protocolSteps());
    QCOMPARE(program.copyWithName(QStringLiteral("Copy"))->name(), QStringLiteral("Copy"));
}

QTEST_GUILESS_MAIN(TestProgramV1)
#include "tst_programv1.moc"
