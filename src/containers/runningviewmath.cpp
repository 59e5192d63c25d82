#include "runningviewmath.h"

#include <QHash>
#include <QLocale>
#include <QVariantMap>

#include <cmath>
#include <iterator>

namespace {

constexpr double msPerSecond = 1000.0;
constexpr double msPerMinute = 60.0 * msPerSecond;
constexpr double msPerHour = 60.0 * msPerMinute;

// One row of the copies axis: the texts are fixed and deliberately not
// derived from the values (17 reads "75K" at 65536).
struct DnaLabelRow
{
    const char *lowerText;
    double lowerValue;
    const char *upperText;
    double upperValue;
};

constexpr DnaLabelRow dnaLabelTable[] = {
    {"", 0.0, "1", 1.0},
    {"1", 1.0, "2", 2.0},
    {"2", 2.0, "4", 4.0},
    {"4", 4.0, "8", 8.0},
    {"8", 8.0, "16", 16.0},
    {"16", 16.0, "32", 32.0},
    {"32", 32.0, "64", 64.0},
    {"64", 64.0, "128", 128.0},
    {"128", 128.0, "256", 256.0},
    {"256", 256.0, "512", 512.0},
    {"512", 512.0, "1K", 1024.0},
    {"1K", 1024.0, "2K", 2048.0},
    {"2K", 2048.0, "4K", 4096.0},
    {"4K", 4096.0, "8K", 8192.0},
    {"8K", 8192.0, "16K", 16384.0},
    {"16K", 16384.0, "32K", 32768.0},
    {"32K", 32768.0, "64K", 65536.0},
    {"75K", 65536.0, "150K", 131072.0},
    {"150K", 131072.0, "300K", 262144.0},
    {"300K", 262144.0, "600K", 524288.0},
    {"600K", 524288.0, "1.2M", 1048576.0},
    {"1.2M", 1048576.0, "2.4M", 2097152.0},
    {"2.5M", 2097152.0, "5M", 4194304.0},
    {"5M", 4194304.0, "10M", 8388608.0},
    {"9M", 8388608.0, "18M", 16777216.0},
    {"18M", 16777216.0, "36M", 33554432.0},
    {"35M", 33554432.0, "70M", 67108864.0},
    {"70M", 67108864.0, "140M", 134217728.0},
    {"140M", 134217728.0, "280M", 268435456.0},
    {"280M", 268435456.0, "560M", 536870912.0},
    {"560M", 536870912.0, "1.12B", 1073741824.0},
    {"1.2B", 1073741824.0, "2.4B", 2147483648.0},
    {"2.4B", 2147483648.0, "4.8B", 4294967296.0},
    {"4.8B", 4294967296.0, "9.6B", 8589934592.0},
    {"9B", 8589934592.0, "18B", 17179869184.0},
    {"18B", 17179869184.0, "36B", 34359738368.0},
    {"36B", 34359738368.0, "72B", 68719476736.0},
    {"72B", 68719476736.0, "144B", 137000000000.0},
    {"144B", 137000000000.0, "288B", 275000000000.0},
    {"288B", 275000000000.0, "576B", 550000000000.0},
    {"576B", 550000000000.0, "1T", 1100000000000.0},
};
static_assert(std::size(dnaLabelTable) == RunningViewMath::maxAllowedCycles() + 1,
              "one row per cycle the chart shows");

const DnaLabelRow &dnaLabelRow(int currentCycle)
{
    return dnaLabelTable[qBound(0, currentCycle, RunningViewMath::maxAllowedCycles())];
}

QVariantMap axisLabel(const QString &text, double value)
{
    return {{QStringLiteral("text"), text}, {QStringLiteral("value"), value}};
}

// Enough digits that no hour count is written in exponent form.
QString number(double value)
{
    return QString::number(value, 'g', 15);
}

QString twoDigits(double value)
{
    return value < 10 ? QLatin1Char('0') + number(value) : number(value);
}

void replaceOnce(QString &text, QLatin1String token, const QString &value)
{
    const int position = text.indexOf(token);
    if (position >= 0)
        text.replace(position, token.size(), value);
}

} // namespace

RunningViewMath::RunningViewMath(QObject *parent)
    : QObject(parent)
{}

QString RunningViewMath::formatTime(double ms, const QString &format)
{
    const double time = ms > 0 && std::isfinite(ms) ? ms : 0.0;
    const double hours = std::floor(time / msPerHour);
    const double minutes = std::floor(std::fmod(time, msPerHour) / msPerMinute);
    const double seconds = std::fmod(time, msPerMinute) / msPerSecond;
    QString text = format;
    replaceOnce(text, QLatin1String("HH"), twoDigits(hours));
    replaceOnce(text, QLatin1String("H"), number(hours));
    replaceOnce(text, QLatin1String("mm"), twoDigits(minutes));
    replaceOnce(text, QLatin1String("m"), number(minutes));
    replaceOnce(text, QLatin1String("ss"), twoDigits(seconds));
    replaceOnce(text, QLatin1String("s"), number(seconds));
    return text;
}

QString RunningViewMath::secondsToString(double seconds)
{
    return formatTime(seconds * msPerSecond, QStringLiteral("HH:mm:ss"));
}

QString RunningViewMath::temperatureText(double celsius)
{
    return QString::number(celsius, 'f', 1) + QChar(0x00BA) + QLatin1Char('C');
}

bool RunningViewMath::isLidHot(double lidTemp)
{
    return lidTemp > lidHotIndicator();
}

double RunningViewMath::timeAxisMax(double spanSeconds)
{
    return spanSeconds >= 1 ? spanSeconds * msPerSecond : 1.0;
}

QVariantList RunningViewMath::timeAxisLabels(double spanSeconds)
{
    const double max = timeAxisMax(spanSeconds);
    const int ticks = timeAxisTickCount();
    QHash<QString, int> occurrences;
    QVariantList labels;
    for (int tick = 0; tick < ticks; ++tick) {
        const double position = max * tick / (ticks - 1);
        const QString text = formatTime(position, timeAxisFormat());
        const QString padding(occurrences[text]++, QLatin1Char(' '));
        labels.append(axisLabel(padding + text + padding, position));
    }
    return labels;
}

double RunningViewMath::dnaCopiesShown(double lastSample, int currentCycle)
{
    return currentCycle > maxAllowedCycles() ? maxDnaCopiesValue() : lastSample;
}

QString RunningViewMath::dnaCopiesText(double copies)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(copies, 'f', 0);
}

QVariantList RunningViewMath::dnaAxisLabels(double copies, int currentCycle)
{
    QVariantList labels{axisLabel(QString(), dnaChartMinY())};
    if (copies == 0 || currentCycle < 0)
        return labels;
    const DnaLabelRow &row = dnaLabelRow(currentCycle);
    labels.append(axisLabel(QLatin1String(row.lowerText), row.lowerValue));
    labels.append(axisLabel(QLatin1String(row.upperText), row.upperValue));
    return labels;
}

double RunningViewMath::dnaAxisMax(int currentCycle)
{
    return qMax(1.0, dnaLabelRow(currentCycle).upperValue);
}

int RunningViewMath::cycleAxisMax(int currentCycle, int totalCycles)
{
    const qint64 shownAhead = qMin<qint64>(qint64(currentCycle) + 5, totalCycles);
    return int(qMin<qint64>(qMax<qint64>(1, shownAhead), maxAllowedCycles()));
}

int RunningViewMath::cycleAxisTickCount(int axisMax)
{
    return qMin(axisMax, 10) + 1;
}

int RunningViewMath::cycleShown(int currentCycle)
{
    return qBound(0, currentCycle, maxAllowedCycles());
}

RunningViewMath::SyncAction RunningViewMath::tempSeriesSync(int seriesCount, int viewCount)
{
    if (seriesCount == 0)
        return SyncClear;
    if (seriesCount == viewCount)
        return SyncNothing;
    if (seriesCount - 1 == viewCount)
        return SyncAppend;
    return SyncReload;
}

RunningViewMath::SyncAction RunningViewMath::dnaSeriesSync(int seriesCount, int viewCount,
                                                           int currentCycle)
{
    const SyncAction action = tempSeriesSync(seriesCount, viewCount);
    return action == SyncAppend && currentCycle > maxAllowedCycles() ? SyncNothing : action;
}
