#ifndef PROTOCOLFIELDRULES_H
#define PROTOCOLFIELDRULES_H

#include <QObject>
#include <QVariantMap>

// The arithmetic behind the protocol editors' fields: what a typed text is
// worth, whether it is in range, how a value is shown again. The fields bind
// to these answers, so each rule is written (and tested) once.
class ProtocolFieldRules : public QObject
{
    Q_OBJECT

public:
    enum TemperatureCheck { TemperatureValid, TemperatureBelowMinimum, TemperatureInvalid };
    Q_ENUM(TemperatureCheck)

    explicit ProtocolFieldRules(QObject *parent = nullptr);

    // Temperatures: one decimal at most, 25.0 to 99.0 degrees.
    Q_INVOKABLE static int checkTemperature(const QString &text);
    Q_INVOKABLE static double temperatureValue(const QString &text);
    Q_INVOKABLE static QString formatTemperature(double value);
    // A comma typed at the end of a temperature is taken as the decimal point.
    Q_INVOKABLE static QString typedTemperature(const QString &text);
    Q_INVOKABLE static double wholeDegrees(double value);

    // Whole numbers typed as digits (times in seconds or minutes, cycles).
    Q_INVOKABLE static bool isNumberInRange(const QString &text, int minimum, int maximum);
    Q_INVOKABLE static QString formatSeconds(int seconds);

    // Hold times typed as hours, minutes and seconds.
    Q_INVOKABLE static int holdSeconds(const QString &hours, const QString &minutes,
                                       const QString &seconds, int maximum);
    Q_INVOKABLE static bool isHoldTimeValid(const QString &hours, const QString &minutes,
                                            const QString &seconds, int minimum, int maximum);
    Q_INVOKABLE static QVariantMap splitHoldTime(int seconds);
    Q_INVOKABLE static QString twoDigits(const QString &text);

    // Sliders run in whole minutes between their two ends.
    Q_INVOKABLE static int sliderMinutes(int seconds, int from, int to);
    Q_INVOKABLE static bool isBeyondSlider(int seconds, int to);

    // Protocol names: at most 24 characters and 24 bytes of UTF-8.
    Q_INVOKABLE static QString trimmedName(const QString &text);

    // The device-step budget of a flex protocol, one step kept for the final cooling.
    Q_INVOKABLE static int stepWeight(const QString &objectType);
    Q_INVOKABLE static bool canAddStep(int usedSteps, const QString &objectType);

    // The single step of a linear-ramp protocol, written as its editor hands it on.
    Q_INVOKABLE static QString linearRampStepsText(int seconds, double startTemp, double finalTemp);
};

#endif // PROTOCOLFIELDRULES_H
