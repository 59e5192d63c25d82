#include "protocolfieldrules.h"

#include "utils/pcrconst.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

constexpr double minTemperature = 25.0;
constexpr double maxTemperature = 99.0;
constexpr int secondsPerMinute = 60;
constexpr int secondsPerHour = 3600;
constexpr int maxMinutesOrSeconds = 59;

bool isDigits(const QString &text, int maxLength)
{
    static const QRegularExpression digits(QStringLiteral("^\\d+$"));
    return !text.isEmpty() && text.size() <= maxLength && digits.match(text).hasMatch();
}

// A hold-time sub-field: its digits as a number, -1 when it is not one.
int subFieldValue(const QString &text, int maxLength, int maximum)
{
    if (text.isEmpty())
        return 0;
    if (!isDigits(text, maxLength))
        return -1;
    const int value = text.toInt();
    return value <= maximum ? value : -1;
}

QString shortestNumber(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

ProtocolFieldRules::ProtocolFieldRules(QObject *parent)
    : QObject(parent)
{}

int ProtocolFieldRules::checkTemperature(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^\\d{1,3}(\\.\\d?)?$"));
    if (text.size() > 4 || !form.match(text).hasMatch())
        return TemperatureInvalid;
    const double value = temperatureValue(text);
    if (value < minTemperature)
        return TemperatureBelowMinimum;
    return value <= maxTemperature ? TemperatureValid : TemperatureInvalid;
}

double ProtocolFieldRules::temperatureValue(const QString &text)
{
    return QLocale::c().toDouble(text);
}

QString ProtocolFieldRules::formatTemperature(double value)
{
    return QLocale::c().toString(value, 'f', 1);
}

QString ProtocolFieldRules::typedTemperature(const QString &text)
{
    if (text.endsWith(QLatin1Char(',')))
        return text.left(text.size() - 1) + QLatin1Char('.');
    return text;
}

double ProtocolFieldRules::wholeDegrees(double value)
{
    return std::trunc(value);
}

bool ProtocolFieldRules::isNumberInRange(const QString &text, int minimum, int maximum)
{
    // Four digits is the longest number any of these fields takes.
    if (!isDigits(text, 4))
        return false;
    const int value = text.toInt();
    return value >= minimum && value <= maximum;
}

QString ProtocolFieldRules::formatSeconds(int seconds)
{
    return seconds > 0 ? QString::number(seconds) : QString();
}

int ProtocolFieldRules::holdSeconds(const QString &hours, const QString &minutes,
                                    const QString &seconds, int maximum)
{
    const int h = subFieldValue(hours, 3, maximum / secondsPerHour);
    const int m = subFieldValue(minutes, 2, maxMinutesOrSeconds);
    const int s = subFieldValue(seconds, 2, maxMinutesOrSeconds);
    if (h < 0 || m < 0 || s < 0)
        return -1;
    return h * secondsPerHour + m * secondsPerMinute + s;
}

bool ProtocolFieldRules::isHoldTimeValid(const QString &hours, const QString &minutes,
                                         const QString &seconds, int minimum, int maximum)
{
    const int total = holdSeconds(hours, minutes, seconds, maximum);
    return total >= minimum && total <= maximum;
}

QVariantMap ProtocolFieldRules::splitHoldTime(int seconds)
{
    const int total = qMax(0, seconds);
    const auto field = [](int value) { return twoDigits(QString::number(value)); };
    return {{QStringLiteral("hours"), field(total / secondsPerHour)},
            {QStringLiteral("minutes"), field(total % secondsPerHour / secondsPerMinute)},
            {QStringLiteral("seconds"), field(total % secondsPerMinute)}};
}

QString ProtocolFieldRules::twoDigits(const QString &text)
{
    return text.isEmpty() ? text : text.rightJustified(2, QLatin1Char('0'));
}

int ProtocolFieldRules::sliderMinutes(int seconds, int from, int to)
{
    return qBound(from, seconds / secondsPerMinute, to);
}

bool ProtocolFieldRules::isBeyondSlider(int seconds, int to)
{
    return seconds > to * secondsPerMinute;
}

QString ProtocolFieldRules::trimmedName(const QString &text)
{
    const int maxLength = PCRConst::protocolNameMaxLength();
    return PCRConst::trimToByteLength(text.left(maxLength), maxLength);
}

int ProtocolFieldRules::stepWeight(const QString &objectType)
{
    if (objectType == PCRConst::objectTypePCR())
        return PCRConst::pcrFlexPcrSteps();
    if (objectType == PCRConst::objectTypeTouchdown())
        return PCRConst::touchdownFlexPcrSteps();
    if (objectType == PCRConst::objectTypeHeatBlock())
        return PCRConst::heatBlockFlexPcrSteps();
    if (objectType == PCRConst::objectTypeLinearRamp())
        return PCRConst::linearRampFlexPcrSteps();
    return 0;
}

bool ProtocolFieldRules::canAddStep(int usedSteps, const QString &objectType)
{
    return usedSteps + stepWeight(objectType) < PCRConst::maxFlexPcrSteps();
}

QString ProtocolFieldRules::linearRampStepsText(int seconds, double startTemp, double finalTemp)
{
    return QStringLiteral("[{ \"objectType\": \"Linear Ramp\",\"time\":") +
           QString::number(seconds) + QStringLiteral(",\"startTemp\":") +
           shortestNumber(startTemp) + QStringLiteral(",\"finalTemp\":") +
           shortestNumber(finalTemp) + QStringLiteral(" }]");
}
