#include "program/programv1.h"
#include "program/programv3.h"

#include "../program/programfixtures.h"
#include "../testtime.h"
#include "logwatch.h"
#include "virtualbleplugin.h"
#include "virtualhidbus.h"
#include "virtualmachine.h"

#include "core/pcrdevice.h"

#include <hidapi.h>

#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>

using States = QList<PCRConst::DeviceStatus>;

namespace {

const int ConnectTimeoutMs = TestTime::scaled(10000);
const int PhaseTimeoutMs = TestTime::scaled(20000);
const int CommandTimeoutMs = TestTime::scaled(3000);
const int RunTimeoutMs = TestTime::scaled(40000);
// Fast enough for a run in seconds. A firmware-1 host reads every 900 ms and
// keeps 64 reports: faster, the first reports of a new run would be lost,
// and with them the sign that the states before it are over.
constexpr double Vela8Speed = 60.0;
constexpr double Vela16Speed = 120.0;
constexpr double BleSpeed = 100.0;
// At this pace a BLE machine's every report is confirmed before the next.
constexpr double BlePausedSpeed = 10.0;
constexpr qint64 FastForwardStepMs = 5000;

qint64 recordNumber(const PCRDevice &device, const char *key)
{
    return qint64(device.toJson().value(QLatin1String(key)).toDouble());
}

qint64 pauseCounter(const PCRDevice &device)
{
    return recordNumber(device, "m_secPauseCounter");
}

qint64 stopCounter(const PCRDevice &device)
{
    return recordNumber(device, "m_secStopCounter");
}

// The machine's run time of the last state the device has handled.
qint64 reportedRunTime(const PCRDevice &device)
{
    return device.elapsedSeconds() + pauseCounter(device) + stopCounter(device);
}

template <class T>
QString describe(const T &value)
{
    QString text;
    QDebug(&text) << value;
    return text;
}

template <class T>
bool inOrder(const QList<T> &seen, const QList<T> &expected)
{
    int next = 0;
    for (const T &item : seen) {
        if (next < expected.size() && item == expected.at(next))
            ++next;
    }
    return next == expected.size();
}

QJsonObject pcrStep(bool heatedLid, int cycles)
{
    QJsonObject step = Fixtures::pcrStep(heatedLid);
    const QList<QPair<const char *, double>> values = {{"initTemp", 90},
                                                       {"initTime", 10},
                                                       {"denaturationTemp", 90},
                                                       {"denaturationTime", 8},
                                                       {"annealingTemp", 70},
                                                       {"annealingTime", 8},
                                                       {"extensionTemp", 75},
                                                       {"extensionTime", 8},
                                                       {"finalTemp", 75},
                                                       {"finalTime", 8},
                                                       {"cyclesNum", double(cycles)}};
    for (const auto &value : values)
        step.insert(QLatin1String(value.first), value.second);
    return step;
}

QJsonObject touchdownStep(int cycles)
{
    QJsonObject step = Fixtures::touchdownStep(false);
    const QList<QPair<const char *, double>> values = {
        {"denaturationTemp", 90}, {"denaturationTime", 8}, {"annealingTemp", 72},
        {"annealingEndTemp", 70}, {"annealingTime", 8},    {"extensionTemp", 75},
        {"extensionTime", 8},     {"extensionEndTime", 8}, {"cyclesNum", double(cycles)}};
    for (const auto &value : values)
        step.insert(QLatin1String(value.first), value.second);
    return step;
}

ProgramPtr heatBlock(double temp, int seconds)
{
    return ProgramPtr(
        new ProgramV3(QStringLiteral("Hold %1").arg(temp),
                      Fixtures::bytes({Fixtures::heatBlockStep(temp, seconds, false)}), true,
                      Program::PT_HEAT_BLOCK));
}

QByteArray wireMessage(const ProgramPtr &program)
{
    if (const auto v1 = qSharedPointerObjectCast<ProgramV1>(program))
        return QByteArray::fromStdString(v1->pcrProtocol().SerializeAsString());
    return QByteArray::fromStdString(
        qSharedPointerObjectCast<ProgramV3>(program)->pcrProtocol().SerializeAsString());
}

// The application core's part: the program a machine reports is matched
// with the library and handed back to the device as its active program.
class CoreStandIn : public QObject
{
public:
    CoreStandIn(PCRDevice *device, ProgramList library)
        : m_library(std::move(library))
    {
        connect(device, &PCRDevice::newProgramReceived, this,
                [this, device](const QByteArray &bytes, int version) {
                    onProgramReceived(device, bytes, version);
                });
    }

private:
    void onProgramReceived(PCRDevice *device, const QByteArray &bytes, int version)
    {
        const ProgramPtr received(version == 1 ? static_cast<Program *>(new ProgramV1(bytes))
                                               : new ProgramV3(bytes));
        if (device->isFirmwareV1())
            device->setDeviceInitialized();
        if (!received->isValid())
            return;
        ProgramPtr known = received;
        for (const ProgramPtr &program : qAsConst(m_library)) {
            if (program->isSameProgram(received, true))
                known = program;
        }
        device->setActiveProgram(known);
    }

    const ProgramList m_library;
};

// What the running view would have seen of a run, announcement by announcement.
class RunObserver : public QObject
{
public:
    explicit RunObserver(PCRDevice *device)
        : m_device(device)
    {
        connect(device, &PCRDevice::dataUpdated, this, &RunObserver::onDataUpdated);
        connect(device->tempChart(), &ChartDataContainer::countChanged, this,
                &RunObserver::onTempChartChanged);
    }

    States shown;
    // Step kinds with their flex step numbers, once the run is under way.
    QList<QPair<int, PCRConst::StepNames>> steps;
    int dnaPointsInInitialDenaturation = 0;
    States tempSampleStates;

private:
    void onDataUpdated()
    {
        const PCRConst::DeviceStatus status = m_device->shownStatus();
        if (shown.isEmpty() || shown.last() != status)
            shown.append(status);
        if (status == PCRConst::DS_LOADING || status == PCRConst::DS_OFFLINE)
            return;
        const StepTracker &tracker = m_device->stepTracker();
        const QPair<int, PCRConst::StepNames> step(tracker.flexStepNumber(), tracker.stepKind());
        if (steps.isEmpty() || steps.last() != step)
            steps.append(step);
        if (tracker.stepKind() == PCRConst::SN_INITIAL_DENATURATION)
            dnaPointsInInitialDenaturation += m_device->dnaChart()->count();
    }

    void onTempChartChanged()
    {
        const int count = m_device->tempChart()->count();
        if (count > m_sampleCount)
            tempSampleStates.append(m_device->stateController()->currentState());
        m_sampleCount = count;
    }

    PCRDevice *const m_device;
    int m_sampleCount = 0;
};

// A virtual machine whose clock the test can hold and move on.
class MachineDriver
{
public:
    virtual ~MachineDriver() = default;
    // Lid heating takes minutes of machine time that the test need not watch.
    virtual void skipLidWarmUp() = 0;
    // From here on the machine reports once per tick.
    virtual void holdClock() = 0;
    // The machine runs on to the end of the run.
    virtual void runToTheEnd() = 0;
    // One more report has reached the device's connection.
    virtual bool tick(const PCRDevice &device) = 0;
    // A command has reached the machine. Waiting for it while the clock is
    // held keeps reports from crossing it on the wire, which costs a resend.
    virtual bool reaches(PCRConst::DeviceStatus status) = 0;
    // When the clock is held and the device has seen the last report: the
    // machine's run time and remaining time; none when unknown.
    virtual std::optional<QPair<qint64, qint64>> machineTimes() = 0;
};

class UsbMachine : public MachineDriver
{
public:
    explicit UsbMachine(VirtualMachine::Model model)
        : m_firmware(model == VirtualMachine::Vela8 ? 1 : 3)
        , m_serialNumber(VirtualHidBus::instance().addMachine(VirtualMachine::modelName(model)))
    {
        const double speed = m_firmware == 1 ? Vela8Speed : Vela16Speed;
        with([speed](VirtualMachine &machine) { machine.clock()->setSpeed(speed); });
    }

    ~UsbMachine() override { VirtualHidBus::instance().removeMachine(m_serialNumber); }

    QString serialNumber() const { return m_serialNumber; }

    bool with(const std::function<void(VirtualMachine &)> &work)
    {
        return VirtualHidBus::instance().withMachine(m_serialNumber, work);
    }

    // Calls work with the machine's description as detection reports it.
    bool withDescription(const std::function<void(const HidDeviceDescription &)> &work) const
    {
        const bool v1 = m_firmware == 1;
        hid_device_info *all = hid_enumerate(v1 ? 0x16C0 : 0x03EB, v1 ? 0x0487 : 0x2062);
        bool found = false;
        for (hid_device_info *info = all; info && !found; info = info->next) {
            found = info->serial_number &&
                    QString::fromWCharArray(info->serial_number) == m_serialNumber;
            if (found)
                work(HidDeviceDescription::fromHidInfo(*info));
        }
        hid_free_enumeration(all);
        return found;
    }

    std::unique_ptr<PCRDevice> detect()
    {
        std::unique_ptr<PCRDevice> device;
        const auto type =
            m_firmware == 1 ? PCRConst::CT_USB_Firmware_V1 : PCRConst::CT_USB_Firmware_V3;
        withDescription([&](const HidDeviceDescription &info) {
            device = std::make_unique<PCRDevice>(info, type);
        });
        return device;
    }

    void storeProgram(const ProgramPtr &program)
    {
        with([&program](VirtualMachine &machine) { machine.storeProgram(wireMessage(program)); });
    }

    void skipLidWarmUp() override
    {
        with([](VirtualMachine &machine) {
            while (machine.engine()->status() == PCRConst::DS_START_UP)
                machine.clock()->advance(FastForwardStepMs);
        });
    }

    void holdClock() override
    {
        // Held on a whole second, the machine's last report tells its state at this moment.
        with([](VirtualMachine &machine) {
            machine.clock()->stop();
            machine.clock()->advance((1000 - machine.clock()->nowMs() % 1000) % 1000);
        });
    }

    void runToTheEnd() override
    {
        // A firmware-1 host sees a minute of machine time at each poll anyway:
        // its run may as well end at once.
        with([this](VirtualMachine &machine) {
            while (m_firmware == 1 && machine.engine()->isRunActive())
                machine.clock()->advance(FastForwardStepMs);
            machine.clock()->start();
        });
    }

    bool tick(const PCRDevice &device) override
    {
        // A firmware-3 report due while the last is still unconfirmed is not
        // sent: then the clock moves on again. A firmware-1 host reads every
        // 900 ms, and a report crossing a command on the wire may wait for
        // the transfer protocol's resend (1300 ms).
        for (const int reportMs : {300, 1000, 2500}) {
            with([](VirtualMachine &machine) { machine.clock()->advance(1000); });
            const qint64 now = machineTimes()->first;
            if (QTest::qWaitFor([&] { return reportedRunTime(device) == now; },
                                TestTime::scaled(reportMs)))
                return true;
        }
        return false;
    }

    bool reaches(PCRConst::DeviceStatus status) override
    {
        return QTest::qWaitFor(
            [&] {
                int current = PCRConst::DS_UNKNOWN;
                with([&current](VirtualMachine &machine) { current = machine.engine()->status(); });
                return current == status;
            },
            CommandTimeoutMs);
    }

    std::optional<QPair<qint64, qint64>> machineTimes() override
    {
        QPair<qint64, qint64> times;
        with([&times](VirtualMachine &machine) {
            times = {machine.engine()->timeInSec(), machine.engine()->remainingTimeInSec()};
        });
        return times;
    }

private:
    const int m_firmware;
    const QString m_serialNumber;
};

class BleMachine : public MachineDriver
{
public:
    BleMachine()
        : m_id(m_plugin.addMachine())
    {
        m_plugin.control()->setSpeed(m_id, BleSpeed);
    }

    std::unique_ptr<PCRDevice> discover()
    {
        m_link = m_plugin.discover(m_id);
        if (!m_link)
            return nullptr;
        return std::make_unique<PCRDevice>(m_link, PCRConst::CT_Bluetooth_Firmware_V3, false);
    }

    BLEDeviceInterface *link() const { return m_link; }

    void skipLidWarmUp() override {}
    void holdClock() override { m_plugin.control()->setSpeed(m_id, BlePausedSpeed); }
    void runToTheEnd() override { m_plugin.control()->setSpeed(m_id, BleSpeed); }

    bool tick(const PCRDevice &device) override
    {
        const int ReportMs = TestTime::scaled(2000);
        const qint64 before = reportedRunTime(device);
        return QTest::qWaitFor([&] { return reportedRunTime(device) > before; }, ReportMs);
    }

    // Its clock is never held: a command may cross reports, and is resent.
    bool reaches(PCRConst::DeviceStatus) override { return true; }

    std::optional<QPair<qint64, qint64>> machineTimes() override { return std::nullopt; }

private:
    VirtualBlePlugin m_plugin;
    const QString m_id;
    QPointer<BLEDeviceInterface> m_link;
};

// Ticks until the device has handled a report that makes the condition true.
bool tickUntil(MachineDriver &machine, const PCRDevice &device,
               const std::function<bool()> &condition)
{
    const int HandlingMs = TestTime::scaled(200);
    for (int tick = 0; tick < 5; ++tick) {
        if (!machine.tick(device))
            return false;
        if (QTest::qWaitFor(condition, HandlingMs))
            return true;
    }
    return false;
}

// One more report at least, and the device has counted it.
bool tickCounted(MachineDriver &machine, const PCRDevice &device,
                 const std::function<qint64()> &counter)
{
    const qint64 before = counter();
    return tickUntil(machine, device, [&] { return counter() > before; });
}

bool tickUntilShown(MachineDriver &machine, const PCRDevice &device, PCRConst::DeviceStatus status)
{
    return tickUntil(machine, device, [&] { return device.shownStatus() == status; });
}

} // namespace

class TestPCRDeviceRuns : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firmware1PcrRun();
    void firmware3FlexRunOverUsb();
    void firmware3PcrRunOverBle();
    void uploadCutOffByAnUnplugIsReportedNotSent();
    void mainsPowerLostMidRun();
    void restartAndCancelARunningMachine();
    void deletingTheDeviceEndsItsConnection_data();
    void deletingTheDeviceEndsItsConnection();
    void bleLinkStillClosingIsConnectedAgain_data();
    void bleLinkStillClosingIsConnectedAgain();

private:
    struct Expected
    {
        int cycles;
        QList<PCRConst::StepNames> kinds;
        QList<int> flexSteps;
    };

    // Upload, loading, start-up, running, pause, resume, finished.
    void wholeRun(PCRDevice &device, MachineDriver &machine, const ProgramPtr &program,
                  const Expected &expected);
    void waitUntilOnline(const PCRDevice &device);
    void checkTimesAgainstMachine(const PCRDevice &device, MachineDriver &machine);
    void pauseAndResume(PCRDevice &device, MachineDriver &machine);
    void checkFinishedRun(const PCRDevice &device, MachineDriver &machine,
                          const RunObserver &observer, const Expected &expected);
    // The core's part lives as long as the device.
    struct RunningDevice
    {
        std::unique_ptr<PCRDevice> device;
        std::unique_ptr<CoreStandIn> core;
    };
    void startRunningHeatBlock(UsbMachine &machine, RunningDevice &running);

    std::unique_ptr<LogWatch> m_log;
    QList<QRegularExpression> m_allowedWarnings;
};

void TestPCRDeviceRuns::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestPCRDeviceRuns::init()
{
    m_log = std::make_unique<LogWatch>();
    m_allowedWarnings = LogWatch::ordinaryMachineWarnings();
}

void TestPCRDeviceRuns::cleanup()
{
    const QStringList unexpected = m_log->unexpectedWarnings(m_allowedWarnings);
    m_log.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1Char('\n'))));
}

void TestPCRDeviceRuns::waitUntilOnline(const PCRDevice &device)
{
    QTRY_VERIFY_WITH_TIMEOUT(device.isOnline(), ConnectTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!device.isEepromBusy(), ConnectTimeoutMs);
    // The machine's name can arrive before the rest of its identity: wait for the end of initialisation.
    QTRY_VERIFY_WITH_TIMEOUT(device.wasInitialized(), ConnectTimeoutMs);
    QVERIFY(!device.machineName().isEmpty());
}

void TestPCRDeviceRuns::wholeRun(PCRDevice &device, MachineDriver &machine,
                                 const ProgramPtr &program, const Expected &expected)
{
    RunObserver observer(&device);
    device.uploadProgram(program);
    QCOMPARE(device.shownStatus(), PCRConst::DS_LOADING);
    // A firmware-1 host reads many reports at once: the start-up may come and go between two looks.
    QTRY_VERIFY_WITH_TIMEOUT(observer.shown.contains(PCRConst::DS_START_UP), PhaseTimeoutMs);
    machine.skipLidWarmUp();
    QTRY_COMPARE_WITH_TIMEOUT(device.shownStatus(), PCRConst::DS_RUNNING, PhaseTimeoutMs);

    machine.holdClock();
    QVERIFY(machine.tick(device));
    checkTimesAgainstMachine(device, machine);
    // A firmware-1 estimate is made once per run: what is left shrinks as the run goes on.
    const qint64 total = device.elapsedSeconds() + device.remainingSeconds();
    pauseAndResume(device, machine);
    if (QTest::currentTestFailed())
        return;
    checkTimesAgainstMachine(device, machine);
    if (device.isFirmwareV1())
        QCOMPARE(device.elapsedSeconds() + device.remainingSeconds(), total);
    machine.runToTheEnd();

    QTRY_COMPARE_WITH_TIMEOUT(device.shownStatus(), PCRConst::DS_FINISHED, RunTimeoutMs);
    QVERIFY2(
        inOrder(observer.shown, {PCRConst::DS_LOADING, PCRConst::DS_START_UP, PCRConst::DS_RUNNING,
                                 PCRConst::DS_PAUSED, PCRConst::DS_RUNNING, PCRConst::DS_FINISHED}),
        qPrintable(describe(observer.shown)));
    checkFinishedRun(device, machine, observer, expected);
}

void TestPCRDeviceRuns::checkTimesAgainstMachine(const PCRDevice &device, MachineDriver &machine)
{
    const auto times = machine.machineTimes();
    const qint64 idle = pauseCounter(device) + stopCounter(device);
    if (times) {
        QCOMPARE(device.elapsedSeconds(), times->first - idle);
        if (!device.isFirmwareV1())
            QCOMPARE(device.remainingSeconds(), times->second);
    }
    QVERIFY(device.remainingSeconds() > 0);
    QVERIFY(device.chartSpanSeconds() % 300 == 0);
    QVERIFY(device.chartSpanSeconds() >= reportedRunTime(device) + device.remainingSeconds());
}

void TestPCRDeviceRuns::pauseAndResume(PCRDevice &device, MachineDriver &machine)
{
    device.pauseClicked();
    QVERIFY(machine.reaches(PCRConst::DS_PAUSED));
    const auto pausedAt = machine.machineTimes();
    QVERIFY(tickUntilShown(machine, device, PCRConst::DS_PAUSED));
    const qint64 elapsed = device.elapsedSeconds();
    const auto paused = [&device] { return pauseCounter(device); };
    QVERIFY(tickCounted(machine, device, paused));
    QVERIFY(tickCounted(machine, device, paused));
    QCOMPARE(device.elapsedSeconds(), elapsed);

    device.playClicked();
    QVERIFY(machine.reaches(PCRConst::DS_RUNNING));
    const auto resumedAt = machine.machineTimes();
    QVERIFY(tickUntilShown(machine, device, PCRConst::DS_RUNNING));
    // Every second the machine stood paused was counted, and only those.
    if (pausedAt)
        QCOMPARE(pauseCounter(device), resumedAt->first - pausedAt->first);
}

void TestPCRDeviceRuns::checkFinishedRun(const PCRDevice &device, MachineDriver &machine,
                                         const RunObserver &observer, const Expected &expected)
{
    QCOMPARE(m_log->count(QRegularExpression(QStringLiteral("^RUN FINISHED: .*bell: ringing$"))),
             1);
    const qint64 finishTime = recordNumber(device, "m_finishTime");
    if (const auto times = machine.machineTimes())
        QCOMPARE(finishTime, times->first); // the machine's clock stopped with the run
    QCOMPARE(device.elapsedSeconds(), finishTime - pauseCounter(device) - stopCounter(device));
    QCOMPARE(device.remainingSeconds(), qint64(0));
    QCOMPARE(device.chartSpanSeconds(), finishTime);

    const TempChartDataContainer *temp = device.tempChart();
    QVERIFY(temp->count() > 10);
    QVERIFY(temp->timeAt(temp->count() - 1) <= finishTime);
    for (const PCRConst::DeviceStatus state : observer.tempSampleStates)
        QVERIFY2(state == PCRConst::DS_START_UP || state == PCRConst::DS_RUNNING ||
                     state == PCRConst::DS_PAUSED,
                 qPrintable(describe(state)));

    const DnaChartDataContainer *dna = device.dnaChart();
    QCOMPARE(observer.dnaPointsInInitialDenaturation, 0);
    QCOMPARE(dna->count(), expected.cycles + 1);
    QCOMPARE(dna->cycleAt(expected.cycles), double(expected.cycles));
    QCOMPARE(dna->samplesAt(expected.cycles), std::ldexp(1.0, expected.cycles));
    QCOMPARE(device.stepTracker().currentCycle(), expected.cycles);

    QList<PCRConst::StepNames> kinds;
    QList<int> flexSteps;
    for (const auto &step : observer.steps) {
        kinds.append(step.second);
        if (flexSteps.isEmpty() || flexSteps.last() != step.first)
            flexSteps.append(step.first);
    }
    QVERIFY2(inOrder(kinds, expected.kinds), qPrintable(describe(kinds)));
    QCOMPARE(flexSteps, expected.flexSteps);
    QCOMPARE(kinds.last(), PCRConst::SN_FINAL_COOLING);
}

void TestPCRDeviceRuns::firmware1PcrRun()
{
    UsbMachine machine(VirtualMachine::Vela8);
    // A firmware-1 connection is initialised once the machine's program has been read.
    machine.storeProgram(ProgramPtr(new ProgramV1(
        QStringLiteral("Resident"), Fixtures::bytes({Fixtures::heatBlockStep(37.0, 600)}),
        Program::PT_HEAT_BLOCK)));
    // A firmware-3 program: the device runs it in firmware-1 form.
    const ProgramPtr program(new ProgramV3(
        QStringLiteral("Two cycles"), Fixtures::bytes({pcrStep(false, 2)}), true, Program::PT_PCR));
    std::unique_ptr<PCRDevice> device = machine.detect();
    QVERIFY(device);
    CoreStandIn core(device.get(), {program});
    waitUntilOnline(*device);
    QCOMPARE(device->modelName(), QStringLiteral("vela8"));

    // At this speed more reports arrive between two polls than its host
    // keeps: the reports of short steps may be gone before they are read.
    wholeRun(*device, machine, program,
             {2, {PCRConst::SN_INITIAL_DENATURATION, PCRConst::SN_FINAL_COOLING}, {0}});
    QCOMPARE(device->activeProgram()->firmware(), QStringLiteral("1.0"));
}

void TestPCRDeviceRuns::firmware3FlexRunOverUsb()
{
    UsbMachine machine(VirtualMachine::Vela16);
    const QJsonArray steps{pcrStep(false, 2), touchdownStep(2),
                           Fixtures::heatBlockStep(60.0, 15, true)};
    const ProgramPtr program(new ProgramV3(QStringLiteral("PCR, touchdown, hold"),
                                           Fixtures::bytes(steps), true, Program::PT_FLEX));
    std::unique_ptr<PCRDevice> device = machine.detect();
    QVERIFY(device);
    CoreStandIn core(device.get(), {program});
    waitUntilOnline(*device);

    wholeRun(*device, machine, program,
             {4,
              {PCRConst::SN_ANNEALING, PCRConst::SN_ANNEALING, PCRConst::SN_OTHER,
               PCRConst::SN_FINAL_COOLING},
              {1, 2, 3}});
    QCOMPARE(device->stepTracker().flexStepType(), Program::PT_HEAT_BLOCK);
}

void TestPCRDeviceRuns::firmware3PcrRunOverBle()
{
    BleMachine machine;
    // A firmware-1 program: the device runs it in firmware-3 form.
    const ProgramPtr program(new ProgramV1(QStringLiteral("Two cycles"),
                                           Fixtures::bytes({pcrStep(true, 2)}), Program::PT_PCR));
    std::unique_ptr<PCRDevice> device = machine.discover();
    QVERIFY(device);
    CoreStandIn core(device.get(), {program});
    waitUntilOnline(*device);
    QCOMPARE(device->connectionTypeName(), QStringLiteral("BLE"));

    wholeRun(*device, machine, program,
             {2,
              {PCRConst::SN_INITIAL_DENATURATION, PCRConst::SN_ANNEALING, PCRConst::SN_EXTENSION,
               PCRConst::SN_ANNEALING, PCRConst::SN_FINAL_EXTENSION, PCRConst::SN_FINAL_COOLING},
              {0}});
    QCOMPARE(device->activeProgram()->firmware(), QStringLiteral("3.0"));
}

void TestPCRDeviceRuns::uploadCutOffByAnUnplugIsReportedNotSent()
{
    m_allowedWarnings.append(QRegularExpression(QStringLiteral("^HID (read|write) error")));
    UsbMachine machine(VirtualMachine::Vela16);
    const ProgramPtr resident = heatBlock(37.0, 600);
    machine.storeProgram(resident);
    std::unique_ptr<PCRDevice> device = machine.detect();
    QVERIFY(device);
    CoreStandIn core(device.get(), {resident});
    waitUntilOnline(*device);
    QTRY_COMPARE_WITH_TIMEOUT(device->pendingProgram(), resident, ConnectTimeoutMs);

    // Nothing gets through any more, then the cable is pulled.
    machine.with([](VirtualMachine &m) { m.faults().setDropRate(1.0); });
    device->uploadProgram(heatBlock(50.0, 60));
    QCOMPARE(device->shownStatus(), PCRConst::DS_LOADING);
    VirtualHidBus::instance().setPlugged(machine.serialNumber(), false);
    QTRY_VERIFY_WITH_TIMEOUT(!device->isConnected(), ConnectTimeoutMs);

    QSignalSpy notSent(device.get(), &PCRDevice::protocolNotSent);
    machine.with([](VirtualMachine &m) { m.faults().setDropRate(0.0); });
    VirtualHidBus::instance().setPlugged(machine.serialNumber(), true);
    QVERIFY(machine.withDescription(
        [&device](const HidDeviceDescription &info) { device->reconnect(info); }));

    QTRY_COMPARE_WITH_TIMEOUT(notSent.count(), 1, ConnectTimeoutMs);
    QCOMPARE(device->pendingProgram(), resident);
    QTRY_COMPARE_WITH_TIMEOUT(device->shownStatus(), PCRConst::DS_STOPPED, ConnectTimeoutMs);
}

void TestPCRDeviceRuns::startRunningHeatBlock(UsbMachine &machine, RunningDevice &running)
{
    running.device = machine.detect();
    QVERIFY(running.device);
    PCRDevice &device = *running.device;
    const ProgramPtr program = heatBlock(60.0, 3600);
    // Matches the programs the machine reports for as long as the device lives.
    running.core = std::make_unique<CoreStandIn>(&device, ProgramList{program});
    QTRY_VERIFY_WITH_TIMEOUT(device.isOnline() && !device.isEepromBusy(), ConnectTimeoutMs);
    device.uploadProgram(program);
    QTRY_COMPARE_WITH_TIMEOUT(device.shownStatus(), PCRConst::DS_RUNNING, PhaseTimeoutMs);
}

void TestPCRDeviceRuns::mainsPowerLostMidRun()
{
    UsbMachine machine(VirtualMachine::Vela16);
    RunningDevice running;
    startRunningHeatBlock(machine, running);
    if (QTest::currentTestFailed())
        return;
    std::unique_ptr<PCRDevice> &device = running.device;
    machine.holdClock();
    QVERIFY(machine.tick(*device));
    const qint64 elapsed = device->elapsedSeconds();

    machine.with([](VirtualMachine &m) { m.setPowered(false); });
    const auto stopped = [&device] { return stopCounter(*device); };
    QVERIFY(tickCounted(machine, *device, stopped));
    QCOMPARE(device->shownStatus(), PCRConst::DS_NO_POWER);
    QVERIFY(tickCounted(machine, *device, stopped));
    QVERIFY(tickCounted(machine, *device, stopped));
    QCOMPARE(device->elapsedSeconds(), elapsed);
    QVERIFY(!device->isRunning());

    machine.with([](VirtualMachine &m) { m.setPowered(true); });
    QVERIFY(tickUntilShown(machine, *device, PCRConst::DS_RUNNING));
    QVERIFY(device->isRunning());
}

void TestPCRDeviceRuns::restartAndCancelARunningMachine()
{
    UsbMachine machine(VirtualMachine::Vela16);
    RunningDevice running;
    startRunningHeatBlock(machine, running);
    if (QTest::currentTestFailed())
        return;
    std::unique_ptr<PCRDevice> &device = running.device;
    QTRY_VERIFY_WITH_TIMEOUT(device->elapsedSeconds() > 60, PhaseTimeoutMs);
    const qint64 firstRunTime = device->elapsedSeconds();

    // Nothing on the wire when the command goes: a report crossing it waits for a resend.
    machine.holdClock();
    QVERIFY(machine.tick(*device));
    device->restartClicked();
    QCOMPARE(device->shownStatus(), PCRConst::DS_LOADING);
    QCOMPARE(device->tempChart()->count(), 0);
    QVERIFY(machine.reaches(PCRConst::DS_START_UP));
    QVERIFY(tickUntilShown(machine, *device, PCRConst::DS_RUNNING));
    QVERIFY(device->elapsedSeconds() < firstRunTime);
    QVERIFY(device->tempChart()->timeAt(0) < firstRunTime);

    device->cancelClicked();
    QVERIFY(machine.reaches(PCRConst::DS_STOPPED));
    QVERIFY(tickUntilShown(machine, *device, PCRConst::DS_STOPPED));
    const qint64 elapsed = device->elapsedSeconds();
    const auto stopped = [&device] { return stopCounter(*device); };
    QVERIFY(tickCounted(machine, *device, stopped));
    QVERIFY(tickCounted(machine, *device, stopped));
    QCOMPARE(device->elapsedSeconds(), elapsed);
    QCOMPARE(recordNumber(*device, "m_finishTime"), qint64(-1));
    QCOMPARE(m_log->count(QRegularExpression(QStringLiteral("^RUN FINISHED:"))), 0);
    int status = -1;
    machine.with([&status](VirtualMachine &m) { status = m.engine()->status(); });
    QCOMPARE(status, int(PCRConst::DS_STOPPED));
}

void TestPCRDeviceRuns::deletingTheDeviceEndsItsConnection_data()
{
    QTest::addColumn<VirtualMachine::Model>("model");
    QTest::newRow("vela8") << VirtualMachine::Vela8;
    QTest::newRow("vela16") << VirtualMachine::Vela16;
}

void TestPCRDeviceRuns::deletingTheDeviceEndsItsConnection()
{
    QFETCH(VirtualMachine::Model, model);
    UsbMachine machine(model);
    if (model == VirtualMachine::Vela8)
        machine.storeProgram(heatBlock(37.0, 600)->toV1(false));
    std::unique_ptr<PCRDevice> device = machine.detect();
    QVERIFY(device);
    CoreStandIn core(device.get(), {});
    waitUntilOnline(*device);
    QCOMPARE(VirtualHidBus::instance().openHandleCount(), 1);

    device.reset();
    // The connection closed its handle on its own thread before the device was gone.
    QCOMPARE(VirtualHidBus::instance().openHandleCount(), 0);
}

void TestPCRDeviceRuns::bleLinkStillClosingIsConnectedAgain_data()
{
    QTest::addColumn<bool>("sameLinkGivenAgain");
    QTest::newRow("disconnect, then connect at once") << false;
    // The replaced connection closes the link they share as it goes.
    QTest::newRow("the same link given again") << true;
}

void TestPCRDeviceRuns::bleLinkStillClosingIsConnectedAgain()
{
    QFETCH(bool, sameLinkGivenAgain);
    BleMachine machine;
    std::unique_ptr<PCRDevice> device = machine.discover();
    QVERIFY(device);
    CoreStandIn core(device.get(), {});
    waitUntilOnline(*device);

    if (sameLinkGivenAgain) {
        device->setBleDevice(machine.link());
    } else {
        device->disconnectDevice(false);
        device->connectDevice();
    }
    QVERIFY(device->isConnecting());

    QTRY_VERIFY_WITH_TIMEOUT(!device->isConnecting(), ConnectTimeoutMs);
    QVERIFY(device->isOnline());
}

QTEST_GUILESS_MAIN(TestPCRDeviceRuns)
#include "tst_pcrdeviceruns.moc"
