#include "program/programv1.h"
#include "program/programv3.h"
#include "program/propertymodel.h"

#include "programfixtures.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QtTest>

using namespace Fixtures;

namespace {

const int hold = ProtocolV3::HOLD;
const int cycle = ProtocolV3::CYCLE;
const int ramp = ProtocolV3::LINEAR_RAMP;
const int touchdown = ProtocolV3::TOUCHDOWN;
const int pcrType = ProtocolV3::PCR_PROTOCOL_TYPE;
const int heatBlockType = ProtocolV3::HEAT_BLOCK_PROTOCOL_TYPE;
const int rampType = ProtocolV3::LINEAR_RAMP_PROTOCOL_TYPE;
const int touchdownType = ProtocolV3::TOUCHDOWN_PROTOCOL_TYPE;
const char *const parseWarning = "Parse error.. Unrecognized protocol received from device.";

const WireSteps plainPcrSteps{{hold, 94, 120, pcrType}, {hold, 94, 30, pcrType},
                              {hold, 60, 30, pcrType},  {hold, 72, 30, pcrType},
                              {cycle, 2, 30, pcrType},  {hold, 72, 60, pcrType}};

WireSteps withFinalCooling(WireSteps steps, int protocolType)
{
    steps.append({hold, 37, 30, protocolType});
    return steps;
}

} // namespace

class TestProgramV3 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void wireSteps_data();
    void wireSteps();
    void roundTripThroughTheWire_data();
    void roundTripThroughTheWire();
    void touchdownChangesReadBackAsWritten();
    void rejectedMessages_data();
    void rejectedMessages();
    void invalidStepArrays_data();
    void invalidStepArrays();
    void supportedByV1_data();
    void supportedByV1();
    void cyclesOfBlocks();
    void stepAccessors();
    void idStringAndCopies();
    void toV1KeepsTheSettings();
};

void TestProgramV3::wireSteps_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QJsonArray>("steps");
    QTest::addColumn<bool>("finalCooling");
    QTest::addColumn<WireSteps>("expected");
    QTest::addColumn<float>("lidTemp");

    QTest::newRow("PCR, final cooling")
        << 1 << QJsonArray{pcrStep()} << true << withFinalCooling(plainPcrSteps, pcrType) << 105.0f;
    QTest::newRow("PCR, no final cooling, lid off")
        << 1 << QJsonArray{pcrStep(false)} << false << plainPcrSteps << 0.0f;
    QTest::newRow("heat block") << 2 << QJsonArray{heatBlockStep(50, 600)} << true
                                << WireSteps{{hold, 50, 600, heatBlockType},
                                             {hold, 37, 30, heatBlockType}}
                                << 105.0f;
    QTest::newRow("heat block, lid off") << 2 << QJsonArray{heatBlockStep(50, 600, false)} << false
                                         << WireSteps{{hold, 50, 600, heatBlockType}} << 0.0f;
    QTest::newRow("linear ramp heats its lid anyway")
        << 3 << QJsonArray{linearRampStep(40, 60, 300, false)} << true
        << WireSteps{{hold, 40, 1, rampType}, {ramp, 60, 300, rampType}, {hold, 37, 30, rampType}}
        << 105.0f;
    QTest::newRow("touchdown") << 5 << QJsonArray{touchdownStep()} << true
                               << WireSteps{{hold, 95, 30, touchdownType},
                                            {hold, 60, 30, touchdownType},
                                            {touchdown, -1, 0, touchdownType},
                                            {hold, 72, 30, touchdownType},
                                            {touchdown, 0, 3, touchdownType},
                                            {cycle, 1, 11, touchdownType},
                                            {hold, 37, 30, touchdownType}}
                               << 105.0f;
    QTest::newRow("flex PCR then heat block: last block decides the lid")
        << 4 << QJsonArray{pcrStep(), heatBlockStep(50, 600, false)} << true
        << WireSteps{{hold, 94, 30, pcrType},        {hold, 60, 30, pcrType},
                     {hold, 72, 30, pcrType},        {cycle, 1, 30, pcrType},
                     {hold, 50, 600, heatBlockType}, {hold, 37, 30, heatBlockType}}
        << 0.0f;
    QTest::newRow("flex heat block then PCR cycles back to step 2")
        << 4 << QJsonArray{heatBlockStep(50, 600, false), pcrStep()} << false
        << WireSteps{{hold, 50, 600, heatBlockType},
                     {hold, 94, 30, pcrType},
                     {hold, 60, 30, pcrType},
                     {hold, 72, 30, pcrType},
                     {cycle, 2, 30, pcrType}}
        << 105.0f;
    QTest::newRow("flex skips unknown blocks")
        << 4
        << QJsonArray{with(pcrStep(), QStringLiteral("objectType"), QStringLiteral("Flex")),
                      linearRampStep(40, 60, 300)}
        << true
        << WireSteps{{hold, 40, 1, rampType}, {ramp, 60, 300, rampType}, {hold, 37, 30, rampType}}
        << 105.0f;
}

void TestProgramV3::wireSteps()
{
    QFETCH(int, type);
    QFETCH(QJsonArray, steps);
    QFETCH(bool, finalCooling);
    QFETCH(WireSteps, expected);
    QFETCH(float, lidTemp);

    const ProgramV3 program(QStringLiteral(" Mix "), bytes(steps), finalCooling,
                            Program::ProgramType(type));

    QVERIFY(program.isValid());
    QCOMPARE(program.name(), QStringLiteral("Mix"));
    const ProtocolV3::PCRProtocol &message = program.pcrProtocol();
    QCOMPARE(Fixtures::wireSteps(message), expected);
    QCOMPARE(message.lidtemp(), lidTemp);
    QCOMPARE(message.finalcooling(),
             finalCooling ? ProtocolV3::ENABLE_COOLING_STATE : ProtocolV3::DISABLE_COOLING_STATE);
    QCOMPARE(message.isflex(), type == Program::PT_FLEX ? 1u : 0u);
    QCOMPARE(program.finalCooling(), finalCooling);
}

// A program sent to a machine and read back from it has the steps it was
// built from, as far as the wire carries them.
void TestProgramV3::roundTripThroughTheWire_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("finalCooling");
    QTest::addColumn<QJsonArray>("steps");
    QTest::addColumn<QJsonArray>("readBack");

    const QString name = QStringLiteral("Mix");
    const auto same = [](const QJsonObject &step) { return QJsonArray{step}; };
    QTest::newRow("PCR") << name << 1 << true << same(pcrStep(true, name))
                         << same(pcrStep(true, name));
    QTest::newRow("PCR, lid off") << name << 1 << false << same(pcrStep(false, name))
                                  << same(pcrStep(false, name));
    QTest::newRow("heat block") << name << 2 << true << same(heatBlockStep(4, 40000, true, name))
                                << same(heatBlockStep(4, 40000, true, name));
    QTest::newRow("heat block, lid off")
        << name << 2 << false << same(heatBlockStep(50, 60, false, name))
        << same(heatBlockStep(50, 60, false, name));
    QTest::newRow("linear ramp") << name << 3 << true
                                 << same(linearRampStep(40, 60.5, 300, true, name))
                                 << same(linearRampStep(40, 60.5, 300, true, name));
    QTest::newRow("touchdown") << name << 5 << true << same(touchdownStep(true, name))
                               << same(touchdownStep(true, name));
    QTest::newRow("touchdown, lid off, shorter extensions")
        << name << 5 << false
        << same(with(touchdownStep(false, name), QStringLiteral("extensionEndTime"), 0))
        << same(with(touchdownStep(false, name), QStringLiteral("extensionEndTime"), 0));

    // Flex blocks carry the protocol's name and its one lid temperature; a
    // flex PCR block has no initial denaturation or final extension.
    const QString flexName = QStringLiteral("Flex mix");
    QJsonObject flexPcr = pcrStep(true, flexName);
    for (const char *key : {"initTemp", "initTime", "finalTemp", "finalTime"})
        flexPcr.insert(QLatin1String(key), -1);
    QTest::newRow("flex of every block")
        << flexName << 4 << true
        << QJsonArray{pcrStep(true), heatBlockStep(50, 600, true), linearRampStep(40, 60, 300),
                      touchdownStep(true)}
        << QJsonArray{flexPcr, heatBlockStep(50, 600, true, flexName),
                      linearRampStep(40, 60, 300, true, flexName), touchdownStep(true, flexName)};
}

void TestProgramV3::roundTripThroughTheWire()
{
    QFETCH(QString, name);
    QFETCH(int, type);
    QFETCH(bool, finalCooling);
    QFETCH(QJsonArray, steps);
    QFETCH(QJsonArray, readBack);

    const auto sent = QSharedPointer<ProgramV3>::create(name, bytes(steps), finalCooling,
                                                        Program::ProgramType(type));
    const ProgramV3 received(paddedMessage(sent->pcrProtocol()));

    QVERIFY(received.isValid());
    QCOMPARE(int(received.programType()), type);
    QCOMPARE(received.finalCooling(), finalCooling);
    QCOMPARE(received.idString(), sent->idString());
    QCOMPARE(received.protocolSteps().array(), readBack);
    QVERIFY(received.isSameProgram(sent, true));
    // Built again from what was read, the program sends the same message.
    const ProgramV3 rebuilt(received.name(), received.protocolSteps().toJson(), finalCooling,
                            Program::ProgramType(type));
    QCOMPARE(Fixtures::wireSteps(rebuilt.pcrProtocol()), Fixtures::wireSteps(sent->pcrProtocol()));
}

// The changes per cycle are spread over cyclesNum - 1 intervals when sent and
// must be undone over as many when read, or 60 -> 50 would come back as 49.
void TestProgramV3::touchdownChangesReadBackAsWritten()
{
    const ProgramV3 sent(QStringLiteral("TD"), bytes({touchdownStep()}), false,
                         Program::PT_TOUCHDOWN);
    QCOMPARE(sent.stepTarget(2), -1.0f);

    const ProgramV3 received(paddedMessage(sent.pcrProtocol()));
    const QJsonObject block = received.protocolSteps().array().first().toObject();

    QCOMPARE(block.value(QStringLiteral("annealingEndTemp")).toDouble(), 50.0);
    QCOMPARE(block.value(QStringLiteral("extensionEndTime")).toInt(), 60);
}

void TestProgramV3::rejectedMessages_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("warns");

    const auto message = [](const WireSteps &steps, bool flex, bool finalCooling) {
        ProtocolV3::PCRProtocol protocol = messageOf<ProtocolV3::PCRProtocol>(steps, 105);
        protocol.set_isflex(flex ? 1 : 0);
        protocol.set_finalcooling(finalCooling ? ProtocolV3::ENABLE_COOLING_STATE
                                               : ProtocolV3::DISABLE_COOLING_STATE);
        return paddedMessage(protocol);
    };
    QTest::newRow("three PCR steps")
        << message({{hold, 94, 30, pcrType}, {hold, 60, 30, pcrType}, {hold, 72, 30, pcrType}},
                   false, false)
        << true;
    QTest::newRow("no steps") << message({}, false, true) << false;
    QTest::newRow("unknown protocol type")
        << message({{hold, 50, 600, 0}, {hold, 37, 30, 0}}, false, true) << true;
    QTest::newRow("heat block with a step too many")
        << message({{hold, 50, 600, heatBlockType}, {hold, 50, 600, heatBlockType}}, false, false)
        << true;
    QTest::newRow("plain PCR counted with its final cooling")
        << message(plainPcrSteps, false, true) << true;
    QTest::newRow("flex ending in a cut-off touchdown") << message({{hold, 50, 600, heatBlockType},
                                                                    {hold, 95, 30, touchdownType},
                                                                    {hold, 60, 30, touchdownType}},
                                                                   true, false)
                                                        << true;
    QTest::newRow("flex of only its final cooling")
        << message({{hold, 37, 30, heatBlockType}}, true, true) << true;
    QTest::newRow("not a message") << QByteArray("\xff\xff\xff\xff", 4) << true;
}

void TestProgramV3::rejectedMessages()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, warns);

    if (warns)
        QTest::ignoreMessage(QtWarningMsg, parseWarning);
    const ProgramV3 program(message);

    QVERIFY(!program.isValid());
    QCOMPARE(program.programType(), Program::PT_INVALID);
    QCOMPARE(program.name(), QString());
    QVERIFY(program.protocolSteps().array().isEmpty());
}

// A failed edit leaves an invalid program whose property model still shows
// the protocol as it was.
void TestProgramV3::invalidStepArrays_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("steps");

    QTest::newRow("empty array") << 1 << QByteArray("[]");
    QTest::newRow("object") << 1 << bytes({pcrStep()}).mid(1).chopped(1);
    QTest::newRow("not JSON") << 2 << QByteArray("[{");
    QTest::newRow("flex without a known block")
        << 4 << bytes({with(pcrStep(), QStringLiteral("objectType"), QStringLiteral("pcr"))});
}

void TestProgramV3::invalidStepArrays()
{
    QFETCH(int, type);
    QFETCH(QByteArray, steps);
    const QJsonObject valid = type == Program::PT_HEAT_BLOCK ? heatBlockStep(50, 600) : pcrStep();
    ProgramV3 program(QStringLiteral("Mix"), bytes({valid}), true, Program::ProgramType(type));
    const int rows = program.propertyModel()->count();
    QVERIFY(rows > 0);

    program.editProgram(QStringLiteral("Mix"), steps, true);

    QVERIFY(!program.isValid());
    QCOMPARE(program.stepsCount(), 0);
    QCOMPARE(program.propertyModel()->count(), rows);
    QVERIFY(!program.isSupportedByV1());
    QCOMPARE(program.initTemp(), 0.0f);
    QCOMPARE(program.initLidTemp(), 0.0f);
}

void TestProgramV3::supportedByV1_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QJsonObject>("step");
    QTest::addColumn<bool>("supported");

    QTest::newRow("PCR") << 1 << pcrStep() << true;
    for (const char *key :
         {"initTime", "denaturationTime", "annealingTime", "extensionTime", "finalTime"}) {
        QTest::addRow("PCR %s 32760 s", key)
            << 1 << with(pcrStep(), QLatin1String(key), 32760) << true;
        QTest::addRow("PCR %s 32761 s", key)
            << 1 << with(pcrStep(), QLatin1String(key), 32761) << false;
    }
    QTest::newRow("PCR with a 40000 s hold")
        << 1 << with(pcrStep(), QStringLiteral("finalTime"), 40000) << false;
    QTest::newRow("heat block 32760 s") << 2 << heatBlockStep(50, 32760) << true;
    QTest::newRow("heat block 32761 s") << 2 << heatBlockStep(50, 32761) << false;
    QTest::newRow("linear ramp 32761 s") << 3 << linearRampStep(40, 60, 32761) << false;
    QTest::newRow("flex") << 4 << heatBlockStep(50, 60) << false;
    QTest::newRow("touchdown") << 5 << touchdownStep() << false;
}

void TestProgramV3::supportedByV1()
{
    QFETCH(int, type);
    QFETCH(QJsonObject, step);
    QFETCH(bool, supported);

    const ProgramV3 program(QStringLiteral("Mix"), bytes({step}), true, Program::ProgramType(type));

    QVERIFY(program.isValid());
    QCOMPARE(program.isSupportedByV1(), supported);
}

void TestProgramV3::cyclesOfBlocks()
{
    const ProgramV3 program(QStringLiteral("Flex"),
                            bytes({with(pcrStep(), QStringLiteral("cyclesNum"), 25),
                                   heatBlockStep(50, 60), touchdownStep(), pcrStep()}),
                            true, Program::PT_FLEX);

    QCOMPARE(program.totalCycles(), 25 + 11 + 30);
    QCOMPARE(program.blockCycles(0), 25);
    QCOMPARE(program.blockCycles(2), 11);
    QCOMPARE(program.blockCycles(4), -1);
    QCOMPARE(program.blockCycles(-1), -1);
    QCOMPARE(program.cyclesBefore(0), 0);
    QCOMPARE(program.cyclesBefore(2), 25);
    QCOMPARE(program.cyclesBefore(3), 36);
    QCOMPARE(program.cyclesBefore(4), 66);
    QCOMPARE(program.cyclesBefore(5), 0);
    QCOMPARE(program.cyclesBefore(-1), 0);
}

void TestProgramV3::stepAccessors()
{
    const ProgramV3 program(QStringLiteral("Flex"),
                            bytes({heatBlockStep(50, 600), touchdownStep()}), true,
                            Program::PT_FLEX);

    QCOMPARE(program.stepsCount(), 1 + 6 + 1);
    QCOMPARE(program.stepProgramType(0), Program::PT_HEAT_BLOCK);
    QCOMPARE(program.stepProgramType(1), Program::PT_TOUCHDOWN);
    QCOMPARE(program.stepProgramType(7), Program::PT_TOUCHDOWN);
    QVERIFY(program.isCycleStep(6));
    QVERIFY(!program.isCycleStep(5));
    QCOMPARE(program.stepName(0), QString());
    QCOMPARE(program.initTemp(), 50.0f);
    QCOMPARE(program.initLidTemp(), 50.0f);
    QCOMPARE(ProgramV3::stepTypeName(ProtocolV3::LINEAR_RAMP), QStringLiteral("LINEAR_RAMP"));
    QCOMPARE(ProgramV3::protocolTypeName(ProtocolV3::TOUCHDOWN_PROTOCOL_TYPE),
             QStringLiteral("TOUCHDOWN_PROTOCOL_TYPE"));
    QCOMPARE(ProgramV3::stepTypeName(9), QStringLiteral("9"));
}

void TestProgramV3::idStringAndCopies()
{
    const ProgramV3 program(QStringLiteral("Mix"), bytes({pcrStep()}), false, Program::PT_PCR);
    const QRegularExpression idForm(QStringLiteral(
        "^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}-[0-9A-Za-z]{3}$"));
    QVERIFY2(idForm.match(program.idString()).hasMatch(), qPrintable(program.idString()));

    const ProgramPtr sameId = program.clone(false);
    const ProgramPtr newId = program.clone(true);
    const ProgramPtr copy = program.copyWithName(QStringLiteral("Mix (2)"));
    QCOMPARE(sameId->programId(), program.programId());
    QVERIFY(newId->programId() != program.programId());
    QVERIFY(copy->programId() != program.programId() && copy->programId() != newId->programId());
    QCOMPARE(copy->name(), QStringLiteral("Mix (2)"));
    for (const ProgramPtr &other : {sameId, newId, copy}) {
        QVERIFY(other.dynamicCast<ProgramV3>()->idString() != program.idString());
        QCOMPARE(other->finalCooling(), false);
        QCOMPARE(other->protocolSteps(), program.protocolSteps());
        QVERIFY(other->isSameProgram(ProgramPtr(program.clone(false)), false));
    }
    QCOMPARE(program.toV3(false)->programId(), program.programId());

    const ProgramV3 empty;
    QVERIFY(!empty.isValid());
    QVERIFY(idForm.match(empty.idString()).hasMatch());
    QVERIFY(empty.idString() != program.idString());
}

void TestProgramV3::toV1KeepsTheSettings()
{
    const ProgramV3 program(QStringLiteral("Mix"), bytes({pcrStep(false)}), true, Program::PT_PCR);

    const ProgramPtr sameId = program.toV1(false);
    const ProgramPtr newId = program.toV1(true);

    QCOMPARE(sameId->firmware(), QStringLiteral("1.0"));
    QCOMPARE(sameId->programId(), program.programId());
    QVERIFY(newId->programId() != program.programId());
    QCOMPARE(sameId->name(), QStringLiteral("Mix"));
    QCOMPARE(sameId->stepsCount(), 7);
    QCOMPARE(sameId->lidTemp(), 37.0f);
    QCOMPARE(sameId->initTemp(), 94.0f);
}

QTEST_GUILESS_MAIN(TestProgramV3)
#include "tst_programv3.moc"
