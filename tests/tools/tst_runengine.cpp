#include "machineprograms.h"
#include "virtualmachine.h"

#include "utils/pcrconst.h"

#include <QPoint>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

constexpr int SliceMs = VirtualMachine::SimulationStepMs;
constexpr qint64 HourMs = 3600 * 1000;

std::unique_ptr<VirtualMachine> machineRunning(VirtualMachine::Model model,
                                               const QByteArray &message)
{
    VirtualMachine::Identity identity;
    identity.model = model;
    identity.serialNumber = QStringLiteral("0123456789ABCDEF012345");
    auto machine = std::make_unique<VirtualMachine>(identity);
    if (!machine->storeProgram(message) || !machine->startRun())
        return nullptr;
    return machine;
}

// Advances the machine slice by slice until its run has ended (or an hour
// has passed), calling observe after every slice.
void runToEnd(VirtualMachine &machine, const std::function<void()> &observe = {})
{
    for (qint64 ms = 0; ms < HourMs && machine.engine()->isRunActive(); ms += SliceMs) {
        machine.clock()->advance(SliceMs);
        if (observe)
            observe();
    }
}

// Runs until the predicate holds; the machine time it took, in seconds.
double secondsUntil(VirtualMachine &machine, const std::function<bool()> &done)
{
    qint64 ms = 0;
    while (!done() && ms < HourMs) {
        machine.clock()->advance(SliceMs);
        ms += SliceMs;
    }
    return ms / 1000.0;
}

bool isRunning(const VirtualMachine &machine)
{
    return machine.engine()->status() == PCRConst::DS_RUNNING;
}

} // namespace

class TestRunEngine : public QObject
{
    Q_OBJECT

private slots:
    void stepsAndCycles_data();
    void stepsAndCycles();
    void touchdownShiftsAnnealingAndExtension();
    void remainingTimeFallsToZero();
    void pauseHoldsTheStepWhileTheRunClockGoesOn();
    void linearRampMovesTheTargetEvenly();
    void blockFollowsHeatingAndCoolingRates();
    void lostPowerHoldsTheRunUntilItReturns();
    void lidHeatsBeforeTheFirstStep();
};

void TestRunEngine::stepsAndCycles_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QVector<QPoint>>("expected"); // (1-based step, cycle) in order

    const QVector<QPoint> pcr = {{1, 0}, {2, 1}, {3, 1}, {4, 1}, {2, 2}, {3, 2},
                                 {4, 2}, {2, 3}, {3, 3}, {4, 3}, {6, 3}, {7, 3}};
    QTest::newRow("pcr, firmware 3, final cooling")
        << int(VirtualMachine::Vela16)
        << MachinePrograms::messageV3(MachinePrograms::shortPcr(false), true) << pcr;
    QTest::newRow("pcr, firmware 3, no final cooling")
        << int(VirtualMachine::Vela16)
        << MachinePrograms::messageV3(MachinePrograms::shortPcr(false), false) << pcr.mid(0, 11);
    QTest::newRow("pcr, firmware 1")
        << int(VirtualMachine::Vela8)
        << MachinePrograms::messageV1(MachinePrograms::shortPcr(false)) << pcr;
    // The cycle goes back to step 1; the TOUCHDOWN steps 3 and 5 take no time.
    QTest::newRow("touchdown") << int(VirtualMachine::Vela16)
                               << MachinePrograms::messageV3(MachinePrograms::shortTouchdown(),
                                                             true)
                               << QVector<QPoint>{{1, 1}, {2, 1}, {4, 1}, {1, 2}, {2, 2},
                                                  {4, 2}, {1, 3}, {2, 3}, {4, 3}, {1, 4},
                                                  {2, 4}, {4, 4}, {7, 4}};
}

void TestRunEngine::stepsAndCycles()
{
    QFETCH(int, model);
    QFETCH(QByteArray, message);
    QFETCH(QVector<QPoint>, expected);
    const auto machine = machineRunning(VirtualMachine::Model(model), message);
    QVERIFY(machine);

    QVector<QPoint> seen;
    runToEnd(*machine, [&] {
        const QPoint now(machine->engine()->step(), machine->engine()->cycle());
        if (isRunning(*machine) && (seen.isEmpty() || seen.last() != now))
            seen.append(now);
    });
    QCOMPARE(seen, expected);
    QCOMPARE(machine->engine()->status(), int(PCRConst::DS_FINISHED));
}

void TestRunEngine::touchdownShiftsAnnealingAndExtension()
{
    const auto machine =
        machineRunning(VirtualMachine::Vela16,
                       MachinePrograms::messageV3(MachinePrograms::shortTouchdown(), true));
    QVERIFY(machine);

    QMap<int, float> annealingTarget; // by cycle
    QMap<int, int> extensionHoldMs;
    runToEnd(*machine, [&] {
        const RunEngine &engine = *machine->engine();
        const float target = engine.thermal().blockTarget().value_or(0.0f);
        if (engine.step() == 2)
            annealingTarget[engine.cycle()] = target;
        if (engine.step() == 4 && qAbs(engine.thermal().blockTemp() - target) < 0.05f)
            extensionHoldMs[engine.cycle()] += SliceMs;
    });
    // Annealing falls by 1 °C and extension grows by 1 s per completed cycle.
    QCOMPARE(annealingTarget, (QMap<int, float>{{1, 60.f}, {2, 59.f}, {3, 58.f}, {4, 57.f}}));
    for (int cycle = 1; cycle <= 4; ++cycle)
        QCOMPARE(qRound(extensionHoldMs.value(cycle) / 1000.0), 4 + cycle);
}

void TestRunEngine::remainingTimeFallsToZero()
{
    const auto machine = machineRunning(
        VirtualMachine::Vela16, MachinePrograms::messageV3(MachinePrograms::shortPcr(true), true));
    QVERIFY(machine);

    QVector<quint32> remaining{machine->engine()->remainingTimeInSec()};
    runToEnd(*machine, [&] {
        if (machine->clock()->nowMs() % 1000 == 0)
            remaining.append(machine->engine()->remainingTimeInSec());
    });
    const int runSeconds = int(machine->engine()->timeInSec());
    // The estimate at the start, lid heating included, is what the run took.
    QVERIFY2(
        qAbs(int(remaining.first()) - runSeconds) <= runSeconds / 50,
        qPrintable(
            QStringLiteral("estimated %1 s, ran %2 s").arg(remaining.first()).arg(runSeconds)));
    for (int i = 1; i < remaining.size(); ++i) {
        const int fall = int(remaining.at(i - 1)) - int(remaining.at(i));
        QVERIFY2(fall >= 0 && fall <= 2, qPrintable(QStringLiteral("at %1 s: %2 -> %3")
                                                        .arg(i)
                                                        .arg(remaining.at(i - 1))
                                                        .arg(remaining.at(i))));
    }
    QCOMPARE(machine->engine()->status(), int(PCRConst::DS_FINISHED));
    QCOMPARE(machine->engine()->remainingTimeInSec(), 0u);
}

void TestRunEngine::pauseHoldsTheStepWhileTheRunClockGoesOn()
{
    const auto machine = machineRunning(
        VirtualMachine::Vela16, MachinePrograms::messageV3(MachinePrograms::shortPcr(false), true));
    QVERIFY(machine);
    RunEngine &engine = *machine->engine();
    secondsUntil(*machine, [&] { return engine.step() == 3 && engine.stepTimeInSec() >= 10; });

    machine->applyHostState(PCRConst::DS_PAUSED);
    const quint32 time = engine.timeInSec();
    const quint32 stepTime = engine.stepTimeInSec();
    const quint32 remaining = engine.remainingTimeInSec();
    const float block = engine.thermal().blockTemp();
    machine->clock()->advance(100 * 1000);
    QCOMPARE(engine.status(), int(PCRConst::DS_PAUSED));
    QCOMPARE(engine.timeInSec(), time + 100);
    QCOMPARE(engine.step(), 3);
    QCOMPARE(engine.stepTimeInSec(), stepTime);
    QCOMPARE(engine.remainingTimeInSec(), remaining);
    QCOMPARE(engine.thermal().blockTemp(), block);

    machine->applyHostState(PCRConst::DS_RUNNING);
    QCOMPARE(engine.status(), int(PCRConst::DS_RUNNING));
    const double rest = secondsUntil(*machine, [&] { return engine.step() != 3; });
    QVERIFY(rest <= remaining);
}

void TestRunEngine::linearRampMovesTheTargetEvenly()
{
    // Firmware 1: HOLD 40 °C for 1 s, then LINEAR_RAMP to 60 °C over 100 s; lid at 50 °C.
    const auto machine =
        machineRunning(VirtualMachine::Vela8,
                       MachinePrograms::messageV1(MachinePrograms::linearRamp(40, 60, 100)));
    QVERIFY(machine);
    RunEngine &engine = *machine->engine();
    secondsUntil(*machine, [&] { return engine.step() == 2; });

    machine->clock()->advance(50 * 1000);
    QVERIFY(qAbs(*engine.thermal().blockTarget() - 50.0f) < 0.1f);
    QVERIFY(qAbs(engine.thermal().blockTemp() - 50.0f) < 0.2f);
    const double rest = secondsUntil(*machine, [&] { return !engine.isRunActive(); });
    QVERIFY(qAbs(rest - 50.0) <= 0.2);
    QCOMPARE(engine.status(), int(PCRConst::DS_FINISHED));
    QVERIFY(qAbs(engine.thermal().blockTemp() - 60.0f) < 0.2f);
}

void TestRunEngine::blockFollowsHeatingAndCoolingRates()
{
    // HOLD 95 °C for 10 s, then the final cooling step, HOLD 37 °C.
    const auto machine =
        machineRunning(VirtualMachine::Vela16,
                       MachinePrograms::messageV3(MachinePrograms::heatBlock(95, 10), true));
    QVERIFY(machine);
    RunEngine &engine = *machine->engine();
    const ThermalModel &thermal = engine.thermal();

    // 3 °C per second: 70 degrees in 23.3 s.
    secondsUntil(*machine, [&] { return isRunning(*machine); });
    QCOMPARE(qRound(secondsUntil(*machine, [&] { return thermal.blockTemp() >= 94.9f; })), 23);
    // Down the cooling-rate table, 95 to 37: 5/1.0 + 5/0.9 + 5/0.8 + 5/0.7
    // + 10/0.6 + 5/0.5 + 5/0.4 + 5/0.35 + 5/0.3 + 5/0.25 + 3/0.2 = 129.1 s.
    secondsUntil(*machine, [&] { return engine.step() == 2; });
    QCOMPARE(qRound(secondsUntil(*machine, [&] { return thermal.blockTemp() <= 37.05f; })), 129);
    QVERIFY(qAbs(ThermalModel::blockTransitSeconds(95, 37) - 129.07) < 0.01);
    QCOMPARE(engine.step(), 2);
    QCOMPARE(engine.cycle(), 0);
}

void TestRunEngine::lostPowerHoldsTheRunUntilItReturns()
{
    const auto machine =
        machineRunning(VirtualMachine::Vela16,
                       MachinePrograms::messageV3(MachinePrograms::heatBlock(60, 120), true));
    QVERIFY(machine);
    RunEngine &engine = *machine->engine();
    secondsUntil(*machine, [&] { return engine.stepTimeInSec() >= 30; });

    machine->setPowered(false);
    const quint32 stepTime = engine.stepTimeInSec();
    machine->clock()->advance(60 * 1000);
    QCOMPARE(engine.error(), int(PCRConst::DE_NO_POWER));
    QCOMPARE(machine->powerVoltage(), 0.0f);
    QCOMPARE(engine.stepTimeInSec(), stepTime);
    QVERIFY(engine.thermal().blockTemp() < 59.0f);

    machine->setPowered(true);
    QCOMPARE(engine.error(), int(PCRConst::DE_NO_ERROR));
    QCOMPARE(machine->powerVoltage(), VirtualMachine::MainsVoltage);
    runToEnd(*machine);
    QCOMPARE(engine.status(), int(PCRConst::DS_FINISHED));
}

void TestRunEngine::lidHeatsBeforeTheFirstStep()
{
    const auto machine = machineRunning(
        VirtualMachine::Vela16, MachinePrograms::messageV3(MachinePrograms::shortPcr(true), true));
    QVERIFY(machine);
    RunEngine &engine = *machine->engine();
    QCOMPARE(engine.status(), int(PCRConst::DS_START_UP));
    QCOMPARE(engine.step(), 1);

    // 0.5 °C per second from 25 °C to 1 °C below the lid's 105 °C.
    QCOMPARE(qRound(secondsUntil(*machine, [&] { return isRunning(*machine); })), 158);
    QVERIFY(engine.thermal().lidTemp() >= 104.0f);
    QCOMPARE(engine.timeInSec(), 158u);
    QCOMPARE(engine.stepTimeInSec(), 0u);
}

QTEST_GUILESS_MAIN(TestRunEngine)
#include "tst_runengine.moc"
