#include "runningviewrules.h"

#include "containers/runningviewmath.h"
#include "utils/pcrconst.h"

RunningViewRules::RunningViewRules(QObject *parent)
    : QObject(parent)
{}

bool RunningViewRules::isRunning(int status)
{
    return status == PCRConst::DS_RUNNING || status == PCRConst::DS_START_UP ||
           status == PCRConst::DS_RESET;
}

bool RunningViewRules::isFinished(int status)
{
    return !isRunning(status) && status != PCRConst::DS_PAUSED && status != PCRConst::DS_LOADING;
}

bool RunningViewRules::isReadOnly(int status)
{
    return status == PCRConst::DS_NO_POWER || status == PCRConst::DS_OFFLINE ||
           status == PCRConst::DS_LOADING || status == PCRConst::DS_UNKNOWN;
}

bool RunningViewRules::showsFlexStep(bool isFlex, const QString &flexStepName, bool isFinished,
                                     int stepType)
{
    return isFlex && !flexStepName.isEmpty() && !isFinished && stepType != PCRConst::SN_OTHER &&
           stepType != PCRConst::SN_FINAL_COOLING;
}

bool RunningViewRules::showsCycle(int currentCycle, int totalCycles, int status,
                                  bool isPcrStyleStep, bool isFlex, bool hadPcrStyleStep,
                                  int stepType, bool isFinished)
{
    const bool flexAfterItsCycles =
        isFlex && hadPcrStyleStep && (stepType == PCRConst::SN_FINAL_COOLING || isFinished);
    return currentCycle != 0 && totalCycles != 0 && status != PCRConst::DS_OFFLINE &&
           (isPcrStyleStep || flexAfterItsCycles);
}

bool RunningViewRules::showsStep(int status)
{
    return status != PCRConst::DS_OFFLINE;
}

bool RunningViewRules::showsStepTime(int status, bool isFlex, bool isFinished, int stepType)
{
    return showsStep(status) && !(isFlex && (isFinished || stepType == PCRConst::SN_FINAL_COOLING));
}

double RunningViewRules::stepTimeShown(double stepTime, int status, int stepType,
                                       const QString &stepName)
{
    const bool meaningless = status == PCRConst::DS_LOADING || status == PCRConst::DS_START_UP ||
                             stepType == PCRConst::SN_FINAL_COOLING || stepName.isEmpty();
    return meaningless ? 0.0 : stepTime;
}

QString RunningViewRules::remainingTimeText(double remainingSeconds)
{
    const QString time = RunningViewMath::secondsToString(remainingSeconds);
    return remainingSeconds > 0 ? QStringLiteral("- ") + time : time;
}

bool RunningViewRules::showsDnaChart(bool isPcrStyleStep, bool isFlex, bool hadPcrStyleStep)
{
    return isPcrStyleStep || (isFlex && hadPcrStyleStep);
}

bool RunningViewRules::showsAnimation(bool isPcrStyleStep, int status, bool powerIsConnected,
                                      bool isConnected, int stepType)
{
    return isPcrStyleStep && isRunning(status) && powerIsConnected && isConnected &&
           stepType >= PCRConst::SN_INITIAL_DENATURATION &&
           stepType <= PCRConst::SN_FINAL_EXTENSION;
}

RunningViewRules::Animation RunningViewRules::animationFor(int stepType)
{
    switch (stepType) {
    case PCRConst::SN_INITIAL_DENATURATION:
    case PCRConst::SN_DENATURATION:
        return DenaturationAnimation;
    case PCRConst::SN_ANNEALING:
        return AnnealingAnimation;
    case PCRConst::SN_EXTENSION:
    case PCRConst::SN_FINAL_EXTENSION:
        return ExtensionAnimation;
    default:
        return NoAnimation;
    }
}

double RunningViewRules::initialDnaCopies(double lastSample, int currentCycle)
{
    return currentCycle >= RunningViewMath::maxAllowedCycles()
               ? RunningViewMath::maxDnaCopiesValue()
               : lastSample;
}

double RunningViewRules::nextDnaCopies(double shown, int seriesCount, double lastSample,
                                       int currentCycle)
{
    if (seriesCount == 0)
        return 0.0;
    if (currentCycle <= RunningViewMath::maxAllowedCycles())
        return lastSample;
    return shown == 0 ? RunningViewMath::maxDnaCopiesValue() : shown;
}
