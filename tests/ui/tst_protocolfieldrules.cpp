#include "ui/protocolfieldrules.h"

#include <QtTest>

class TestProtocolFieldRules : public QObject
{
    Q_OBJECT

private slots:
    void temperatureCheck_data();
    void temperatureCheck();
    void temperatureShownWithOneDecimal();
    void commaTypedAtTheEnd();
    void wholeNumbers_data();
    void wholeNumbers();
    void holdTime_data();
    void holdTime();
    void holdTimeSplitIntoTwoDigitFields();
    void slider_data();
    void slider();
    void names_data();
    void names();
    void stepBudget_data();
    void stepBudget();
    void linearRampText_data();
    void linearRampText();
};

void TestProtocolFieldRules::temperatureCheck_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("check");
    QTest::newRow("lowest") << "25" << int(ProtocolFieldRules::TemperatureValid);
    QTest::newRow("highest") << "99.0" << int(ProtocolFieldRules::TemperatureValid);
    QTest::newRow("one decimal") << "72.5" << int(ProtocolFieldRules::TemperatureValid);
    QTest::newRow("point not yet followed") << "72." << int(ProtocolFieldRules::TemperatureValid);
    QTest::newRow("just below") << "24.9" << int(ProtocolFieldRules::TemperatureBelowMinimum);
    QTest::newRow("first digit typed") << "7" << int(ProtocolFieldRules::TemperatureBelowMinimum);
    QTest::newRow("just above") << "99.1" << int(ProtocolFieldRules::TemperatureInvalid);
    QTest::newRow("three digits") << "100" << int(ProtocolFieldRules::TemperatureInvalid);
    QTest::newRow("two decimals") << "72.55" << int(ProtocolFieldRules::TemperatureInvalid);
    QTest::newRow("comma") << "72,5" << int(ProtocolFieldRules::TemperatureInvalid);
    QTest::newRow("empty") << "" << int(ProtocolFieldRules::TemperatureInvalid);
    QTest::newRow("sign") << "-30" << int(ProtocolFieldRules::TemperatureInvalid);
    QTest::newRow("exponent") << "3e1" << int(ProtocolFieldRules::TemperatureInvalid);
    QTest::newRow("only a point") << "." << int(ProtocolFieldRules::TemperatureInvalid);
}

void TestProtocolFieldRules::temperatureCheck()
{
    QFETCH(QString, text);
    QTEST(ProtocolFieldRules::checkTemperature(text), "check");
}

void TestProtocolFieldRules::temperatureShownWithOneDecimal()
{
    QCOMPARE(ProtocolFieldRules::formatTemperature(99), QStringLiteral("99.0"));
    QCOMPARE(ProtocolFieldRules::formatTemperature(72.5), QStringLiteral("72.5"));
    QCOMPARE(ProtocolFieldRules::formatTemperature(
                 ProtocolFieldRules::temperatureValue(QStringLiteral("55."))),
             QStringLiteral("55.0"));
    QCOMPARE(ProtocolFieldRules::wholeDegrees(61.9), 61.0);
}

void TestProtocolFieldRules::commaTypedAtTheEnd()
{
    QCOMPARE(ProtocolFieldRules::typedTemperature(QStringLiteral("72,")), QStringLiteral("72."));
    QCOMPARE(ProtocolFieldRules::typedTemperature(QStringLiteral("72.5")), QStringLiteral("72.5"));
}

void TestProtocolFieldRules::wholeNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<bool>("valid");
    QTest::newRow("time 9999") << "9999" << 1 << 9999 << true;
    QTest::newRow("time 1") << "1" << 1 << 9999 << true;
    QTest::newRow("time 0") << "0" << 1 << 9999 << false;
    QTest::newRow("time five digits") << "10000" << 1 << 99999 << false;
    QTest::newRow("time empty") << "" << 1 << 9999 << false;
    QTest::newRow("pcr one cycle") << "1" << 1 << 99 << true;
    QTest::newRow("touchdown one cycle") << "1" << 2 << 99 << false;
    QTest::newRow("touchdown two cycles") << "2" << 2 << 99 << true;
    QTest::newRow("cycles 100") << "100" << 1 << 99 << false;
    QTest::newRow("ramp 9 minutes") << "9" << 10 << 9999 << false;
    QTest::newRow("ramp 10 minutes") << "10" << 10 << 9999 << true;
    QTest::newRow("not digits") << "1a" << 1 << 9999 << false;
    QTest::newRow("sign") << "+5" << 1 << 9999 << false;
}

void TestProtocolFieldRules::wholeNumbers()
{
    QFETCH(QString, text);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QTEST(ProtocolFieldRules::isNumberInRange(text, minimum, maximum), "valid");
}

void TestProtocolFieldRules::holdTime_data()
{
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<int>("total");
    QTest::addColumn<bool>("valid");
    QTest::newRow("longest") << "166"
                             << "39"
                             << "00" << 599940 << true;
    QTest::newRow("one second more") << "166"
                                     << "39"
                                     << "01" << 599941 << false;
    QTest::newRow("zero") << "0"
                          << "00"
                          << "00" << 0 << false;
    QTest::newRow("one second") << ""
                                << ""
                                << "1" << 1 << true;
    QTest::newRow("half an hour") << "00"
                                  << "30"
                                  << "00" << 1800 << true;
    QTest::newRow("hours over 166") << "167"
                                    << "00"
                                    << "00" << -1 << false;
    QTest::newRow("minutes 60") << "0"
                                << "60"
                                << "00" << -1 << false;
    QTest::newRow("seconds 60") << "0"
                                << "00"
                                << "60" << -1 << false;
    QTest::newRow("four hour digits") << "0001"
                                      << "00"
                                      << "00" << -1 << false;
}

void TestProtocolFieldRules::holdTime()
{
    QFETCH(QString, hours);
    QFETCH(QString, minutes);
    QFETCH(QString, seconds);
    QTEST(ProtocolFieldRules::holdSeconds(hours, minutes, seconds, 599940), "total");
    QTEST(ProtocolFieldRules::isHoldTimeValid(hours, minutes, seconds, 1, 599940), "valid");
}

void TestProtocolFieldRules::holdTimeSplitIntoTwoDigitFields()
{
    const QVariantMap longest = ProtocolFieldRules::splitHoldTime(599940);
    QCOMPARE(longest.value(QStringLiteral("hours")).toString(), QStringLiteral("166"));
    QCOMPARE(longest.value(QStringLiteral("minutes")).toString(), QStringLiteral("39"));
    QCOMPARE(longest.value(QStringLiteral("seconds")).toString(), QStringLiteral("00"));
    const QVariantMap short_ = ProtocolFieldRules::splitHoldTime(3905);
    QCOMPARE(short_.value(QStringLiteral("hours")).toString(), QStringLiteral("01"));
    QCOMPARE(short_.value(QStringLiteral("minutes")).toString(), QStringLiteral("05"));
    QCOMPARE(short_.value(QStringLiteral("seconds")).toString(), QStringLiteral("05"));
    QCOMPARE(ProtocolFieldRules::twoDigits(QStringLiteral("5")), QStringLiteral("05"));
    QCOMPARE(ProtocolFieldRules::twoDigits(QString()), QString());
}

void TestProtocolFieldRules::slider_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<bool>("beyond");
    QTest::newRow("ramp 200 minutes") << 12000 << 10 << 180 << true;
    QTest::newRow("ramp at the end") << 10800 << 10 << 180 << false;
    QTest::newRow("ramp an hour") << 3600 << 10 << 60 << false;
    QTest::newRow("heat block part minute") << 119 << 1 << 1 << false;
    QTest::newRow("heat block one second") << 1 << 1 << 1 << false;
    QTest::newRow("heat block just beyond") << 10801 << 1 << 180 << true;
}

void TestProtocolFieldRules::slider()
{
    QFETCH(int, seconds);
    QFETCH(int, from);
    QTEST(ProtocolFieldRules::sliderMinutes(seconds, from, 180), "minutes");
    QTEST(ProtocolFieldRules::isBeyondSlider(seconds, 180), "beyond");
}

void TestProtocolFieldRules::names_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    const QString letters24(24, QLatin1Char('a'));
    const QString twoByte(13, QChar(0x00E9));
    QTest::newRow("24 letters") << letters24 << letters24;
    QTest::newRow("25th letter") << letters24 + QLatin1Char('b') << letters24;
    QTest::newRow("two-byte characters") << twoByte << QString(12, QChar(0x00E9));
    QTest::newRow("empty") << QString() << QString();
}

void TestProtocolFieldRules::names()
{
    QFETCH(QString, typed);
    QTEST(ProtocolFieldRules::trimmedName(typed), "kept");
}

void TestProtocolFieldRules::stepBudget_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("lastUsedThatAdds");
    QTest::newRow("PCR") << "PCR" << 35;
    QTest::newRow("Touchdown") << "Touchdown" << 33;
    QTest::newRow("Heat Block") << "Heat Block" << 38;
    QTest::newRow("Linear Ramp") << "Linear Ramp" << 37;
}

// One device step always stays free for the final cooling.
void TestProtocolFieldRules::stepBudget()
{
    QFETCH(QString, kind);
    QFETCH(int, lastUsedThatAdds);
    QVERIFY(ProtocolFieldRules::canAddStep(lastUsedThatAdds, kind));
    QVERIFY(!ProtocolFieldRules::canAddStep(lastUsedThatAdds + 1, kind));
    QCOMPARE(ProtocolFieldRules::stepWeight(QStringLiteral("Flex")), 0);
}

void TestProtocolFieldRules::linearRampText_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("final");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole degrees")
        << 3600 << 25.0 << 99.0
        << R"([{ "objectType": "Linear Ramp","time":3600,"startTemp":25,"finalTemp":99 }])";
    QTest::newRow("falling with decimals")
        << 600 << 72.5 << 30.1
        << R"([{ "objectType": "Linear Ramp","time":600,"startTemp":72.5,"finalTemp":30.1 }])";
}

void TestProtocolFieldRules::linearRampText()
{
    QFETCH(int, seconds);
    QFETCH(double, start);
    QFETCH(double, final);
    QTEST(ProtocolFieldRules::linearRampStepsText(seconds, start, final), "text");
}

QTEST_GUILESS_MAIN(TestProtocolFieldRules)
#include "tst_protocolfieldrules.moc"
