#include "ui/steplist.h"
#include "utils/pcrconst.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

class TestStepList : public QObject
{
    Q_OBJECT

private slots:
    void newStepsCarryTheirDefaults_data();
    void newStepsCarryTheirDefaults();
    void unknownKindIsNotAdded();
    void twentyFirstStepIsNotAdded();
    void loadingKeepsStoredValuesAndResetsHidden();
    void jsonHasSortedKeysAndHidden();
    void unsetValues_data();
    void unsetValues();
    void valuesAndRemoval();
};

void TestStepList::newStepsCarryTheirDefaults_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("PCR") << "PCR"
                         << R"({"annealingTemp":60,"annealingTime":30,"cyclesNum":30,)"
                            R"("denaturationTemp":94,"denaturationTime":30,"extensionTemp":72,)"
                            R"("extensionTime":30,"finalTemp":72,"finalTime":60,"heatedLid":true,)"
                            R"("hidden":false,"initTemp":94,"initTime":120,"objectType":"PCR"})";
    QTest::newRow("Heat Block") << "Heat Block"
                                << R"({"heatedLid":true,"hidden":false,)"
                                   R"("objectType":"Heat Block","startTemp":37,"time":1800})";
    QTest::newRow("Linear Ramp") << "Linear Ramp"
                                 << R"({"finalTemp":99,"hidden":false,)"
                                    R"("objectType":"Linear Ramp","startTemp":25,"time":3600})";
    QTest::newRow("Touchdown")
        << "Touchdown"
        << R"({"annealingEndTemp":60,"annealingTemp":60,"annealingTime":30,"cyclesNum":30,)"
           R"("denaturationTemp":94,"denaturationTime":30,"extensionEndTime":30,)"
           R"("extensionTemp":72,"extensionTime":30,"hidden":false,"objectType":"Touchdown"})";
}

void TestStepList::newStepsCarryTheirDefaults()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    StepList steps;
    QSignalSpy counted(&steps, &StepList::countChanged);
    QVERIFY(steps.append(kind));
    QCOMPARE(counted.count(), 1);
    QCOMPARE(steps.toJson(), QLatin1Char('[') + expected + QLatin1Char(']'));
}

void TestStepList::unknownKindIsNotAdded()
{
    StepList steps;
    QVERIFY(!steps.append(QStringLiteral("Flex")));
    QCOMPARE(steps.count(), 0);
    QCOMPARE(steps.toJson(), QStringLiteral("[]"));
}

void TestStepList::twentyFirstStepIsNotAdded()
{
    StepList steps;
    for (int i = 0; i < 20; ++i)
        QVERIFY(steps.append(PCRConst::objectTypeHeatBlock()));
    QVERIFY(!steps.append(PCRConst::objectTypeHeatBlock()));
    QCOMPARE(steps.count(), 20);
}

void TestStepList::loadingKeepsStoredValuesAndResetsHidden()
{
    const QVariantList stored = QJsonDocument::fromJson(R"([
        {"objectType":"Heat Block","startTemp":50.5,"time":42,"hidden":true,"firmware":"1.0"},
        {"objectType":"Flex"},
        {"objectType":"Linear Ramp","finalTemp":30}])")
                                    .array()
                                    .toVariantList();
    StepList steps;
    steps.load(stored);
    QCOMPARE(steps.count(), 2);
    QCOMPARE(steps.value(0, PCRConst::startTemp()).toDouble(), 50.5);
    QCOMPARE(steps.value(0, PCRConst::time()).toInt(), 42);
    QCOMPARE(steps.value(0, StepList::hiddenKey()).toBool(), false);
    QCOMPARE(steps.value(0, PCRConst::heatedLid()).toBool(), true);
    QCOMPARE(steps.value(0, QStringLiteral("firmware")).toString(), QStringLiteral("1.0"));
    QCOMPARE(steps.value(1, PCRConst::finalTemp()).toDouble(), 30.0);
    QCOMPARE(steps.value(1, PCRConst::startTemp()).toDouble(), 25.0);
    QCOMPARE(steps.data(steps.index(1), StepList::ObjectTypeRole).toString(),
             PCRConst::objectTypeLinearRamp());
}

void TestStepList::jsonHasSortedKeysAndHidden()
{
    StepList steps;
    steps.append(PCRConst::objectTypeLinearRamp());
    steps.setValue(0, StepList::hiddenKey(), true);
    steps.setValue(0, PCRConst::heatedLid(), true);
    QCOMPARE(steps.toJson(), QStringLiteral(R"([{"finalTemp":99,"heatedLid":true,"hidden":true,)"
                                            R"("objectType":"Linear Ramp","startTemp":25,)"
                                            R"("time":3600}])"));
    QCOMPARE(steps.data(steps.index(0), StepList::HiddenRole).toBool(), true);
}

void TestStepList::unsetValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("row");
    QTest::newRow("unset cycles") << "cyclesNum" << QVariant(-1) << 1;
    QTest::newRow("unset time as double") << "annealingTime" << QVariant(-1.0) << 1;
    QTest::newRow("initial temperature may be -1") << "initTemp" << QVariant(-1) << -1;
    QTest::newRow("final time may be -1") << "finalTime" << QVariant(-1) << -1;
    QTest::newRow("a name is not a number")
        << "protocolName" << QVariant(QStringLiteral("-1")) << -1;
    QTest::newRow("set value") << "cyclesNum" << QVariant(5) << -1;
}

void TestStepList::unsetValues()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    StepList steps;
    steps.append(PCRConst::objectTypeHeatBlock());
    steps.append(PCRConst::objectTypePCR());
    steps.setValue(1, key, value);
    QTEST(steps.firstUnsetRow(), "row");
}

void TestStepList::valuesAndRemoval()
{
    StepList steps;
    steps.append(PCRConst::objectTypeHeatBlock());
    steps.append(PCRConst::objectTypeLinearRamp());
    steps.append(PCRConst::objectTypeTouchdown());
    QCOMPARE(steps.firstRowOf({PCRConst::objectTypeTouchdown(), PCRConst::objectTypeLinearRamp()}),
             1);
    steps.setAll(PCRConst::heatedLid(), false);
    QCOMPARE(steps.value(1, PCRConst::heatedLid()), QVariant(false));
    steps.remove(1);
    QCOMPARE(steps.objectTypes(),
             QStringList({PCRConst::objectTypeHeatBlock(), PCRConst::objectTypeTouchdown()}));
    QCOMPARE(steps.value(1, PCRConst::objectType()).toString(), PCRConst::objectTypeTouchdown());
    steps.remove(5);
    QCOMPARE(steps.count(), 2);
}

QTEST_GUILESS_MAIN(TestStepList)
#include "tst_steplist.moc"
