#include "utils/pcrconst.h"

#include <QMetaProperty>
#include <QRegularExpression>
#include <QtTest>

class TestPcrConst : public QObject
{
    Q_OBJECT

private slots:
    void stepKeysAreTheirOwnNames();
    void constantProperties_data();
    void constantProperties();
    void enumerationsMatchTheWire();
    void programTypeConversions_data();
    void programTypeConversions();
    void statusAndStepTexts_data();
    void statusAndStepTexts();
    void byteLength_data();
    void byteLength();
    void trimToByteLength_data();
    void trimToByteLength();
    void bluetoothAvailability_data();
    void bluetoothAvailability();
    void applicationVersionIsARevision();
};

void TestPcrConst::stepKeysAreTheirOwnNames()
{
    const QStringList keys = {"protocolName",
                              "heatedLid",
                              "finalCooling",
                              "time",
                              "temp",
                              "initTemp",
                              "initTime",
                              "finalTemp",
                              "finalTime",
                              "startTemp",
                              "endTemp",
                              "annealingTemp",
                              "annealingTime",
                              "annealingStartTemp",
                              "annealingStartTime",
                              "annealingEndTemp",
                              "annealingEndTime",
                              "denaturationTemp",
                              "denaturationTime",
                              "denaturationStartTemp",
                              "denaturationStartTime",
                              "denaturationEndTemp",
                              "denaturationEndTime",
                              "extensionTemp",
                              "extensionTime",
                              "extensionStartTemp",
                              "extensionStartTime",
                              "extensionEndTemp",
                              "extensionEndTime",
                              "cyclesNum",
                              "objectType"};
    PCRConst constants;
    for (const QString &key : keys) {
        const int index = constants.metaObject()->indexOfProperty(key.toLatin1());
        QVERIFY2(index >= 0, qPrintable(key));
        QVERIFY(constants.metaObject()->property(index).isConstant());
        QCOMPARE(constants.property(key.toLatin1()).toString(), key);
    }
}

void TestPcrConst::constantProperties_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");
    const QList<QPair<const char *, QVariant>> rows = {
        {"objectTypePCR", "PCR"},
        {"objectTypeHeatBlock", "Heat Block"},
        {"objectTypeLinearRamp", "Linear Ramp"},
        {"objectTypeTouchdown", "Touchdown"},
        {"translatedObjectTypeHeatBlock", "Heat Block"},
        {"nullID", -1},
        {"nullValue", -1},
        {"defaultCycleNumber", 30},
        {"defaultHoldTemp", 37.0},
        {"defaultLidMaxTemp", 105.0},
        {"defaultLidMinTemp", 0.0},
        {"defaultInitializationTemp", 94.0},
        {"defaultFinalExtensionTemp", 72.0},
        {"defaultDenatureTemp", 94.0},
        {"defaultAnnealTemp", 60.0},
        {"defaultExtensionTemp", 72.0},
        {"defaultHeatBlockTemp", 37},
        {"defaultLinearRampStartTemp", 25},
        {"defaultLinearRampFinalTemp", 99},
        {"defaultInitializationTime", 120},
        {"defaultDenatureTime", 30},
        {"defaultAnnealTime", 30},
        {"defaultExtentionTime", 30},
        {"defaultFinalExtensionTime", 60},
        {"defaultHoldTime", 30},
        {"defaultNonPCRHoldTime", 3600},
        {"defaultHeatBlockTime", 1800},
        {"defaultHeatedLid", true},
        {"defaultFinalCooling", true},
        {"powerSupplyVoltage", 19.0},
        {"maxFlexPcrSteps", 40},
        {"pcrFlexPcrSteps", 4},
        {"heatBlockFlexPcrSteps", 1},
        {"linearRampFlexPcrSteps", 2},
        {"touchdownFlexPcrSteps", 6},
        {"protocolNameMaxLength", 24},
        {"machineNameMaxLength", 22},
    };
    for (const auto &row : rows)
        QTest::newRow(row.first) << QString::fromLatin1(row.first) << row.second;
}

void TestPcrConst::constantProperties()
{
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    PCRConst constants;
    const QVariant actual = constants.property(name.toLatin1());
    QVERIFY2(actual.isValid(), "not published to the UI");
    QCOMPARE(actual.toString(), value.toString());
}

void TestPcrConst::enumerationsMatchTheWire()
{
    // Statuses and errors are stored as received, so their numbers are fixed.
    QCOMPARE(int(PCRConst::DS_UNKNOWN), -1);
    QCOMPARE(int(PCRConst::DS_FINISHED), 5);
    QCOMPARE(int(PCRConst::DS_LOADING), 8);
    QCOMPARE(int(PCRConst::DE_HIGH_LID_TEMPERATURE), 7);
    QCOMPARE(int(PCRConst::SN_FINISHED), 8);
    QCOMPARE(int(PCRConst::HT_COOLING), 2);
    QCOMPARE(int(PCRConst::CT_Undefined), 4);
    const QMetaObject &meta = PCRConst::staticMetaObject;
    for (const char *name :
         {"DeviceStatus", "DeviceError", "StepNames", "HeatType", "ConnectionType"})
        QVERIFY2(meta.indexOfEnumerator(name) >= 0, name);
}

void TestPcrConst::programTypeConversions_data()
{
    QTest::addColumn<QString>("objectType");
    QTest::addColumn<int>("programType");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("flexSteps");

    QTest::newRow("PCR") << "PCR" << 1 << "PCR" << 4;
    QTest::newRow("heat block") << "Heat Block" << 2 << "Heat Block" << 1;
    QTest::newRow("linear ramp") << "Linear Ramp" << 3 << "Linear Ramp" << 2;
    QTest::newRow("flex") << "Flex" << 4 << "Flex" << 0;
    QTest::newRow("touchdown") << "Touchdown" << 5 << "Touchdown" << 6;
    QTest::newRow("case matters") << "pcr" << 0 << "" << 0;
    QTest::newRow("empty") << "" << 0 << "" << 0;
}

void TestPcrConst::programTypeConversions()
{
    QFETCH(QString, objectType);
    QFETCH(int, programType);
    QFETCH(QString, label);
    QFETCH(int, flexSteps);
    QCOMPARE(programTypeFromObjectType(objectType), programType);
    QCOMPARE(programTypeLabel(programType), label);
    QCOMPARE(flexStepsForProgramType(programType), flexSteps);
}

void TestPcrConst::statusAndStepTexts_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("deviceStatus");
    QTest::addColumn<QString>("statusText");
    QTest::addColumn<QString>("stepText");
    QTest::addColumn<int>("programTypeOfWireType");

    QTest::newRow("-1") << -1 << -1 << ""
                        << "" << 0;
    QTest::newRow("0") << 0 << 0 << "Paused"
                       << "" << 0;
    QTest::newRow("1") << 1 << 1 << "Running"
                       << "Initial denaturation" << 1;
    QTest::newRow("3") << 3 << 3 << "Heating lid"
                       << "Annealing" << 3;
    QTest::newRow("4") << 4 << 4 << "Reset"
                       << "Extension" << 5;
    QTest::newRow("5") << 5 << 5 << "Finished"
                       << "Cycle" << 0;
    QTest::newRow("6") << 6 << -1 << "No power"
                       << "Final extension" << 0;
    QTest::newRow("7") << 7 << -1 << "Offline"
                       << "Cool down" << 0;
    QTest::newRow("8") << 8 << -1 << "Loading"
                       << "Finished" << 0;
    QTest::newRow("9") << 9 << -1 << ""
                       << "" << 0;
}

void TestPcrConst::statusAndStepTexts()
{
    QFETCH(int, value);
    QFETCH(int, deviceStatus);
    QFETCH(QString, statusText);
    QFETCH(QString, stepText);
    QFETCH(int, programTypeOfWireType);
    QCOMPARE(int(deviceStatusFromWireStatus(value)), deviceStatus);
    QCOMPARE(deviceStatusText(value), statusText);
    QCOMPARE(stepNameText(value), stepText);
    QCOMPARE(programTypeFromWireProtocolType(value), programTypeOfWireType);
}

void TestPcrConst::byteLength_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("bytes");
    QTest::newRow("ascii") << "abc" << 3;
    QTest::newRow("two-byte and ascii") << QString::fromUtf8("\xc3\xa9"
                                                             "a")
                                        << 3;
    QTest::newRow("astral") << QString::fromUtf8("\xf0\x9f\x98\x80") << 4;
    QTest::newRow("empty") << "" << 0;
}

void TestPcrConst::byteLength()
{
    QFETCH(QString, name);
    QFETCH(int, bytes);
    QCOMPARE(PCRConst::byteLength(name), bytes);
}

void TestPcrConst::trimToByteLength_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("trimmed");

    const QString thirty = QString(30, QLatin1Char('x'));
    const QString twelveTwoByte = QString(12, QChar(0xe9));
    const QString smile = QString::fromUtf8("\xf0\x9f\x98\x80");
    QTest::newRow("ascii cut") << thirty << 24 << thirty.left(24);
    QTest::newRow("fits") << "Mix" << 24 << "Mix";
    QTest::newRow("two-byte cut") << twelveTwoByte << 23 << twelveTwoByte.left(11);
    QTest::newRow("zero") << "abc" << 0 << "";
    QTest::newRow("negative") << "abc" << -3 << "";
    QTest::newRow("astral kept whole") << "a" + smile << 5 << "a" + smile;
    QTest::newRow("astral dropped whole") << "a" + smile << 4 << "a";
    QTest::newRow("astral in the middle") << "a" + smile + "b" << 5 << "a" + smile;
}

void TestPcrConst::trimToByteLength()
{
    QFETCH(QString, name);
    QFETCH(int, length);
    QFETCH(QString, trimmed);
    const QString result = PCRConst::trimToByteLength(name, length);
    QCOMPARE(result, trimmed);
    QVERIFY(PCRConst::byteLength(result) <= qMax(length, 0));
}

void TestPcrConst::bluetoothAvailability_data()
{
    QTest::addColumn<QString>("kernelType");
    QTest::addColumn<QString>("kernelVersion");
    QTest::addColumn<bool>("available");
    QTest::newRow("linux") << "linux"
                           << "6.1.0-18-amd64" << true;
    QTest::newRow("windows 8.1") << "winnt"
                                 << "6.3.9600" << false;
    QTest::newRow("windows 10") << "winnt"
                                << "10.0.17134" << true;
    QTest::newRow("single number") << "winnt"
                                   << "7" << true;
    QTest::newRow("first part not numeric") << "winnt"
                                            << "x.11.2" << true;
    QTest::newRow("no number") << "winnt"
                               << "abc" << false;
    QTest::newRow("empty") << "winnt"
                           << "" << false;
}

void TestPcrConst::bluetoothAvailability()
{
    QFETCH(QString, kernelType);
    QFETCH(QString, kernelVersion);
    QFETCH(bool, available);
    if (kernelType == QLatin1String("winnt") && !available &&
        !kernelVersion.contains(QRegularExpression(QStringLiteral("\\d"))))
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable(QStringLiteral("Strange system kernel version:  %1 No "
                                                       "Bluetooth support for this OS version.")
                                            .arg(kernelVersion)));
    QCOMPARE(PCRConst::isBluetoothAvailableOn(kernelType, kernelVersion), available);
}

void TestPcrConst::applicationVersionIsARevision()
{
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{8}$"))
                .match(PCRConst::applicationVersion())
                .hasMatch());
}

QTEST_GUILESS_MAIN(TestPcrConst)
#include "tst_pcrconst.moc"
