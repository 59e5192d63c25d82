#ifndef RUNNINGVIEWRULES_H
#define RUNNINGVIEWRULES_H

#include <QObject>
#include <QString>

// When the running view shows what: the states a tab derives from its
// device's status, which lines of the step box appear, whether the DNA chart
// and the PCR animation show, and how the DNA copy estimate moves. Statuses
// and step types are the numbers of PCRConst's DeviceStatus and StepNames.
class RunningViewRules : public QObject
{
    Q_OBJECT

public:
    enum Animation { NoAnimation, DenaturationAnimation, AnnealingAnimation, ExtensionAnimation };
    Q_ENUM(Animation)

    explicit RunningViewRules(QObject *parent = nullptr);

    Q_INVOKABLE static bool isRunning(int status);
    Q_INVOKABLE static bool isFinished(int status);
    Q_INVOKABLE static bool isReadOnly(int status);

    // "Step %1: %2" of a flex protocol.
    Q_INVOKABLE static bool showsFlexStep(bool isFlex, const QString &flexStepName, bool isFinished,
                                          int stepType);
    Q_INVOKABLE static bool showsCycle(int currentCycle, int totalCycles, int status,
                                       bool isPcrStyleStep, bool isFlex, bool hadPcrStyleStep,
                                       int stepType, bool isFinished);
    // "Step: " and "Step time: " go while the device is offline.
    Q_INVOKABLE static bool showsStep(int status);
    Q_INVOKABLE static bool showsStepTime(int status, bool isFlex, bool isFinished, int stepType);
    // The step time while it means something, else 0.
    Q_INVOKABLE static double stepTimeShown(double stepTime, int status, int stepType,
                                            const QString &stepName);
    // "- 01:02:03" while time remains, else the plain zero time.
    Q_INVOKABLE static QString remainingTimeText(double remainingSeconds);

    Q_INVOKABLE static bool showsDnaChart(bool isPcrStyleStep, bool isFlex, bool hadPcrStyleStep);
    Q_INVOKABLE static bool showsAnimation(bool isPcrStyleStep, int status, bool powerIsConnected,
                                           bool isConnected, int stepType);
    Q_INVOKABLE static Animation animationFor(int stepType);

    // The estimate a DNA chart starts with.
    Q_INVOKABLE static double initialDnaCopies(double lastSample, int currentCycle);
    // The estimate after the series changed: the last sample while the run
    // is within the chart's cycles, frozen beyond them (at the top value if
    // it was still 0), and 0 once the series is empty.
    Q_INVOKABLE static double nextDnaCopies(double shown, int seriesCount, double lastSample,
                                            int currentCycle);
};

#endif // RUNNINGVIEWRULES_H
