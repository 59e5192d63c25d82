#include "containers/shortprotocolcontainer.h"
#include "utils/pcrconst.h"

#include <QJsonDocument>
#include <QLoggingCategory>
#include <QtTest>

namespace {

QJsonObject object(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}

} // namespace

class TestShortProtocolContainer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void stepObjectReadsBack_data();
    void stepObjectReadsBack();
    void lidTempFollowsHeatedLid_data();
    void lidTempFollowsHeatedLid();
    void missingAndMistypedKeysReadAsZero();
    void outOfRangeNumbersStayFinite();
    void firstTemperatures_data();
    void firstTemperatures();
    void unknownTypeWritesCommonKeysOnly();
    void deviceStepsOfStepArray_data();
    void deviceStepsOfStepArray();
    void defaultStepArrayHoldsTheDefaults();
};

// Reading a step object and writing it back gives the object the system
// writes: the same keys and values, with times in whole seconds.
void TestShortProtocolContainer::stepObjectReadsBack_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QJsonObject>("input");
    QTest::addColumn<QJsonObject>("expected");

    const QJsonObject pcr =
        object(R"({"objectType": "PCR", "protocolName": "Mix", "heatedLid": true,
        "cyclesNum": 25, "initTemp": 95.5, "initTime": 180, "denaturationTemp": 94,
        "denaturationTime": 20, "annealingTemp": 58.5, "annealingTime": 25, "extensionTemp": 72,
        "extensionTime": 45, "finalTemp": 72, "finalTime": 300})");
    QTest::newRow("PCR") << 1 << pcr << pcr;

    QTest::newRow("heat block keeps its start as final temperature")
        << 2 << object(R"({"objectType": "Heat Block", "protocolName": "", "heatedLid": false,
                      "startTemp": 50, "finalTemp": 70, "time": 600, "hidden": true})")
        << object(R"({"objectType": "Heat Block", "protocolName": "", "heatedLid": false,
                      "startTemp": 50, "finalTemp": 50, "time": 600})");

    const QJsonObject ramp = object(R"({"objectType": "Linear Ramp", "protocolName": "R",
        "heatedLid": true, "startTemp": 40, "finalTemp": 60.5, "time": 300})");
    QTest::newRow("linear ramp") << 3 << ramp << ramp;

    const QJsonObject touchdown = object(R"({"objectType": "Touchdown", "protocolName": "",
        "heatedLid": true, "cyclesNum": 11, "denaturationTemp": 95, "denaturationTime": 30,
        "annealingTemp": 60, "annealingEndTemp": 50, "annealingTime": 30, "extensionTemp": 72,
        "extensionTime": 30, "extensionEndTime": 60})");
    QTest::newRow("touchdown") << 5 << touchdown << touchdown;

    QJsonObject fractional = pcr;
    fractional.insert(QStringLiteral("extensionTime"), 29.9);
    QJsonObject truncated = pcr;
    truncated.insert(QStringLiteral("extensionTime"), 29);
    QTest::newRow("time truncated toward zero") << 1 << fractional << truncated;
}

void TestShortProtocolContainer::stepObjectReadsBack()
{
    QFETCH(int, type);
    QFETCH(QJsonObject, input);
    QFETCH(QJsonObject, expected);

    const Container::Protocol block(input, type);

    QCOMPARE(block.toJson(), expected);
}

void TestShortProtocolContainer::lidTempFollowsHeatedLid_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("heatedLid");
    QTest::addColumn<float>("lidTemp");

    QTest::newRow("PCR, lid on") << 1 << true << 105.0f;
    QTest::newRow("PCR, lid off") << 1 << false << 37.0f;
    QTest::newRow("touchdown, lid on") << 5 << true << 105.0f;
    QTest::newRow("touchdown, lid off") << 5 << false << 37.0f;
}

void TestShortProtocolContainer::lidTempFollowsHeatedLid()
{
    QFETCH(int, type);
    QFETCH(bool, heatedLid);
    QFETCH(float, lidTemp);

    const Container::Protocol block(QJsonObject{{QStringLiteral("heatedLid"), heatedLid}}, type);

    QCOMPARE(block.lidTemp, lidTemp);
    QCOMPARE(block.initLidTemp(), lidTemp);
}

void TestShortProtocolContainer::missingAndMistypedKeysReadAsZero()
{
    const Container::Protocol block(
        object(R"({"annealingTemp": "sixty", "cyclesNum": 12.5, "heatedLid": "yes"})"), 1);

    QCOMPARE(block.protocolName, QByteArray());
    QCOMPARE(block.heatedLid, false);
    QCOMPARE(block.annealingTemp, 0.0f);
    QCOMPARE(block.cyclesNum, 0);
    QCOMPARE(block.initTime, 0.0f);
    QCOMPARE(block.finalTemp, 0.0f);
    // Fields another block type uses keep their defaults.
    QCOMPARE(block.time, -1.0f);
    QCOMPARE(block.annealingEndTemp, -1.0f);
}

// Library files are not trusted: numbers no float can hold are kept at the
// float range's edge, and writing them back stays defined.
void TestShortProtocolContainer::outOfRangeNumbersStayFinite()
{
    const Container::Protocol block(
        object(R"({"startTemp": -1e300, "time": 1e300, "cyclesNum": 1e300})"), 3);

    QVERIFY(qIsFinite(block.initialTemp));
    QVERIFY(block.initialTemp < 0.0f);
    QVERIFY(qIsFinite(block.time));
    const QJsonObject json = block.toJson();
    QVERIFY(json.value(QStringLiteral("time")).toDouble() > 1e18);
    QVERIFY(qIsFinite(json.value(QStringLiteral("startTemp")).toDouble()));
}

void TestShortProtocolContainer::firstTemperatures_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<float>("initTemp");
    QTest::addColumn<float>("initLidTemp");

    // Heat blocks and ramps report their start for both.
    QTest::newRow("PCR") << 1 << 95.0f << 105.0f;
    QTest::newRow("heat block") << 2 << 40.0f << 40.0f;
    QTest::newRow("linear ramp") << 3 << 40.0f << 40.0f;
    QTest::newRow("touchdown starts with its denaturation") << 5 << 98.0f << 105.0f;
}

void TestShortProtocolContainer::firstTemperatures()
{
    QFETCH(int, type);
    QFETCH(float, initTemp);
    QFETCH(float, initLidTemp);

    const Container::Protocol block(object(R"({"heatedLid": true, "initTemp": 95,
        "startTemp": 40, "denaturationTemp": 98, "annealingTemp": 60})"),
                                    type);

    QCOMPARE(block.initTemp(), initTemp);
    QCOMPARE(block.initLidTemp(), initLidTemp);
}

void TestShortProtocolContainer::unknownTypeWritesCommonKeysOnly()
{
    const Container::Protocol block(object(R"({"protocolName": "X", "heatedLid": true,
        "startTemp": 40})"),
                                    4);

    QTest::ignoreMessage(QtCriticalMsg, "Error: ProgramType 4 not handled!");
    QCOMPARE(block.toJson(), object(R"({"protocolName": "X", "heatedLid": true})"));
    QTest::ignoreMessage(QtCriticalMsg, "Error: ProgramType 4 not handled!");
    QCOMPARE(block.initTemp(), 0.0f);
    QTest::ignoreMessage(QtCriticalMsg, "Error: ProgramType 4 not handled!");
    QCOMPARE(block.initLidTemp(), 0.0f);
}

void TestShortProtocolContainer::deviceStepsOfStepArray_data()
{
    QTest::addColumn<QByteArray>("stepArray");
    QTest::addColumn<int>("deviceSteps");

    QTest::newRow("one of each") << QByteArray(R"([{"objectType": "PCR"},
        {"objectType": "Touchdown"}, {"objectType": "Heat Block"},
        {"objectType": "Linear Ramp"}])")
                                 << 13;
    QTest::newRow("flex and unknown types weigh nothing")
        << QByteArray(R"([{"objectType": "Flex"}, {"objectType": "pcr"}, 3, {}])") << 0;
    QTest::newRow("object instead of array") << QByteArray(R"({"objectType": "PCR"})") << 0;
    QTest::newRow("not JSON") << QByteArray("[{\"objectType\": \"PCR\"") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
}

void TestShortProtocolContainer::deviceStepsOfStepArray()
{
    QFETCH(QByteArray, stepArray);
    QFETCH(int, deviceSteps);

    QCOMPARE(Container::Protocol::countDeviceSteps(stepArray), deviceSteps);
}

void TestShortProtocolContainer::defaultStepArrayHoldsTheDefaults()
{
    const QJsonArray steps = Container::Protocol::defaultStepArray();
    QCOMPARE(steps.size(), 1);
    const Container::Protocol block(steps.first().toObject(), 1);

    QCOMPARE(block.initialTemp, 94.0f);
    QCOMPARE(block.initTime, 120.0f);
    QCOMPARE(block.denaturationTemp, 94.0f);
    QCOMPARE(block.denaturationTime, 30.0f);
    QCOMPARE(block.annealingTemp, 60.0f);
    QCOMPARE(block.annealingTime, 30.0f);
    QCOMPARE(block.extensionTemp, 72.0f);
    QCOMPARE(block.extensionTime, 30.0f);
    QCOMPARE(block.finalTemp, 72.0f);
    QCOMPARE(block.finalTime, 60.0f);
    QCOMPARE(block.cyclesNum, 30);
    QVERIFY(block.heatedLid);
    QCOMPARE(block.toJson(), steps.first().toObject());
}

QTEST_APPLESS_MAIN(TestShortProtocolContainer)
#include "tst_shortprotocolcontainer.moc"
