// What the USB transports cost, over the virtual machines:
//  (a) the time to upload the longest flex program (40 device steps) to a
//      firmware-3 machine at 1x, against the floor the 100 ms poll sets
//      (one poll per frame the host sends, each answered before the next);
//  (b) the CPU time the connections' threads spend per machine-second with
//      16 machines reporting, measured at a raised speed factor, with the
//      polling cost measured apart on a quiet link.
// A plain program: it prints figures, it does not pass or fail.

#include "usbfixtures.h"
#include "virtualhidbus.h"
#include "virtualmachine.h"

#include "connection/devicechecker.h"
#include "protocol/ctpmanager.h"
#include "protocol/pcrprotocolv3.h"
#include "protocol/tpframe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QMutex>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <numeric>
#include <vector>

#include <time.h>

using UsbFixtures::WorkerConnection;

namespace {

constexpr int WaitMs = 120000;
constexpr int Uploads = 10;
constexpr int Machines = 16;
constexpr double RaisedSpeed = 10.0;
constexpr qint64 ReportingMachineMs = 60000;
constexpr int QuietMs = 5000;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// Warnings are counted by their first words, everything else is dropped:
// the figures are the output.
QMutex warningsMutex;
QMap<QString, int> warnings;

void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    QMutexLocker locker(&warningsMutex);
    ++warnings[message.section(QLatin1Char(' '), 0, 3)];
}

bool waitFor(const std::function<bool()> &done)
{
    return QTest::qWaitFor(done, WaitMs);
}

// A machine on the virtual bus with its connection, kept as a device object
// keeps it, and what the connection has told.
struct Rig
{
    QString serialNumber;
    PCRConst::ConnectionType type = PCRConst::CT_Undefined;
    std::unique_ptr<WorkerConnection> worker;
    std::unique_ptr<QObject> listener;
    int states = 0;
    int programsSent = 0;
    bool eepromBusy = true;

    Connection *connection() const { return worker->connection(); }

    void listen()
    {
        listener = std::make_unique<QObject>();
        Connection *c = connection();
        QObject::connect(c, &Connection::chartDataReceived, listener.get(), [this] { ++states; });
        QObject::connect(c, &Connection::newProgramSent, listener.get(),
                         [this] { ++programsSent; });
        if (auto *v3 = qobject_cast<ConnectionV3 *>(c))
            QObject::connect(v3, &ConnectionV3::eepromBusyChanged, listener.get(),
                             [this](bool busy) { eepromBusy = busy; });
    }
};

using Rigs = std::vector<std::unique_ptr<Rig>>;

void withMachine(const QString &serialNumber, const std::function<void(VirtualMachine &)> &work)
{
    VirtualHidBus::instance().withMachine(serialNumber, work);
}

// Plugs the machines in, lets the device checker find them and brings every
// connection up to initialised, as the application does.
Rigs plugInAndConnect(const QString &model, int count, double speed)
{
    Rigs rigs;
    for (int i = 0; i < count; ++i) {
        auto rig = std::make_unique<Rig>();
        rig->serialNumber = VirtualHidBus::instance().addMachine(model);
        withMachine(rig->serialNumber,
                    [speed](VirtualMachine &machine) { machine.clock()->setSpeed(speed); });
        rigs.push_back(std::move(rig));
    }
    DeviceChecker checker(nullptr, 50);
    QObject::connect(&checker, &DeviceChecker::hidDevicesDetected,
                     [&rigs](const HidDeviceDescriptions &devices, PCRConst::ConnectionType type) {
                         for (const HidDeviceDescription &device : devices) {
                             for (auto &rig : rigs) {
                                 if (rig->serialNumber != device.serialNumber() || rig->worker)
                                     continue;
                                 rig->type = type;
                                 rig->worker = std::make_unique<WorkerConnection>(device, type);
                                 rig->listen();
                                 rig->worker->start();
                             }
                         }
                     });
    checker.start();
    waitFor([&rigs] {
        return std::all_of(rigs.cbegin(), rigs.cend(), [](const auto &rig) {
            return rig->worker && !rig->connection()->machineName().isEmpty();
        });
    });
    checker.stop();
    for (auto &rig : rigs) {
        if (rig->type == PCRConst::CT_USB_Firmware_V1)
            rig->worker->post([](Connection &c) { c.setIsDeviceInitialized(true); });
    }
    waitFor([&rigs] {
        return std::all_of(rigs.cbegin(), rigs.cend(), [](const auto &rig) {
            return rig->connection()->isDeviceInitialized();
        });
    });
    return rigs;
}

void unplugAll(Rigs &rigs)
{
    for (auto &rig : rigs) {
        rig->listener.reset();
        rig->worker.reset();
        VirtualHidBus::instance().removeMachine(rig->serialNumber);
    }
    rigs.clear();
}

// The frames the host sends for a payload: its announcement and its chunks.
int hostFrames(const QByteArray &payload)
{
    return 1 + TPFrame::splitIntoChunks(payload, TPManager::UsbFrameSize - TPFrame::ChunkOverhead)
                   .size();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

void measureUploads(const char *title, bool machineClockRuns)
{
    Rigs rigs = plugInAndConnect(QStringLiteral("vela16"), 1, 1.0);
    Rig &rig = *rigs.front();
    if (!machineClockRuns)
        withMachine(rig.serialNumber, [](VirtualMachine &machine) { machine.clock()->stop(); });
    const ProgramPtr program = UsbFixtures::longestFlexProgram();
    const QByteArray payload = buildPayloadV3(
        ProtocolV3::PCR_PROTOCOL, qSharedPointerObjectCast<ProgramV3>(program)->pcrProtocol());
    const int frames = hostFrames(payload);
    const double floorMs = frames * double(ConnectionV3USB::PollIntervalMs);

    std::vector<double> uploadMs;
    for (int i = 0; i < Uploads; ++i) {
        // As the application does: no upload while the machine writes its memory.
        if (machineClockRuns)
            waitFor([&rig] { return !rig.eepromBusy; });
        const int sent = rig.programsSent;
        QElapsedTimer upload;
        upload.start();
        rig.worker->post([program](Connection &c) {
            c.setProgram(program);
            c.sendCurrentProgram();
        });
        if (!waitFor([&rig, sent] { return rig.programsSent > sent; }))
            break;
        uploadMs.push_back(double(upload.nsecsElapsed()) / 1e6);
    }
    if (uploadMs.empty()) {
        out() << title << ": no upload completed\n";
        unplugAll(rigs);
        return;
    }
    const double middle = median(uploadMs);
    out() << title << "\n"
          << "  payload " << payload.size() << " bytes in " << frames << " host frames; poll floor "
          << floorMs << " ms\n"
          << "  " << uploadMs.size() << " uploads: median " << middle << " ms, min "
          << *std::min_element(uploadMs.cbegin(), uploadMs.cend()) << " ms, max "
          << *std::max_element(uploadMs.cbegin(), uploadMs.cend()) << " ms\n"
          << "  median / floor = " << middle / floorMs << "\n";
    unplugAll(rigs);
}

// CPU time of the calling thread, in milliseconds.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The CPU time all connections' threads have used so far, read on each thread.
double connectionsCpuMs(const Rigs &rigs)
{
    double total = 0.0;
    for (const auto &rig : rigs) {
        double cpu = 0.0;
        // The worker never waits for this thread, so a blocking call is safe.
        QMetaObject::invokeMethod(
            rig->connection(), [&cpu] { cpu = threadCpuMs(); }, Qt::BlockingQueuedConnection);
        total += cpu;
    }
    return total;
}

qint64 machineMs(const Rig &rig)
{
    qint64 now = 0;
    withMachine(rig.serialNumber,
                [&now](VirtualMachine &machine) { now = machine.clock()->nowMs(); });
    return now;
}

int statesReceived(const Rigs &rigs)
{
    return std::accumulate(rigs.cbegin(), rigs.cend(), 0,
                           [](int sum, const auto &rig) { return sum + rig->states; });
}

void measureReporting(const QString &model)
{
    Rigs rigs = plugInAndConnect(model, Machines, RaisedSpeed);

    // Quiet link: the machines' clocks stand still, so only the polls cost.
    for (const auto &rig : rigs)
        withMachine(rig->serialNumber, [](VirtualMachine &machine) { machine.clock()->stop(); });
    QTest::qWait(500); // let transfers under way settle
    double cpuBefore = connectionsCpuMs(rigs);
    QElapsedTimer quiet;
    quiet.start();
    QTest::qWait(QuietMs);
    const double pollCpuPerConnectionSecond =
        (connectionsCpuMs(rigs) - cpuBefore) / (Machines * (double(quiet.elapsed()) / 1e3));

    // Reporting: 60 s of every machine's time at the raised speed.
    for (const auto &rig : rigs)
        withMachine(rig->serialNumber, [](VirtualMachine &machine) { machine.clock()->start(); });
    const qint64 machineStart = machineMs(*rigs.front());
    const int statesBefore = statesReceived(rigs);
    cpuBefore = connectionsCpuMs(rigs);
    QElapsedTimer reporting;
    reporting.start();
    waitFor([&rigs, machineStart] {
        return machineMs(*rigs.front()) - machineStart >= ReportingMachineMs;
    });
    const double cpuMs = connectionsCpuMs(rigs) - cpuBefore;
    const double realSeconds = double(reporting.elapsed()) / 1e3;
    const double machineSeconds = Machines * double(machineMs(*rigs.front()) - machineStart) / 1e3;
    const int states = statesReceived(rigs) - statesBefore;

    const double perMachineSecond = cpuMs / machineSeconds;
    const double perState = (cpuMs - pollCpuPerConnectionSecond * Machines * realSeconds) / states;
    out() << Machines << " x " << model << ", reporting at speed " << RaisedSpeed << "\n"
          << "  " << machineSeconds << " machine-seconds in " << realSeconds << " s; " << states
          << " states received (" << states / machineSeconds << " per machine-second)\n"
          << "  connections' CPU " << cpuMs << " ms = " << perMachineSecond * 1e3
          << " us per machine-second at this speed\n"
          << "  polling alone: " << pollCpuPerConnectionSecond * 1e3
          << " us per connection-second; per state beyond it: " << perState * 1e3 << " us\n"
          << "  at 1x (polling for a second plus one state): "
          << (pollCpuPerConnectionSecond + perState) * 1e3 << " us per machine-second, "
          << (pollCpuPerConnectionSecond + perState) / 10.0 << " % of one core per machine\n";
    unplugAll(rigs);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("THERMOX_VIRTUAL_MACHINES", "none");
    qputenv("THERMOX_VIRTUAL_SOCKET", "");
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(&quietHandler);

    measureUploads("(a) upload of the 40-step flex program to a vela16 at 1x, states flowing",
                   true);
    measureUploads("(a') the same upload on a quiet link (machine clock stopped)", false);
    out().flush();
    measureReporting(QStringLiteral("vela16"));
    out().flush();
    measureReporting(QStringLiteral("vela8"));
    out() << "warnings logged, by their first words:\n";
    for (auto warning = warnings.cbegin(); warning != warnings.cend(); ++warning)
        out() << "  " << warning.value() << " x " << warning.key() << "\n";
    return 0;
}
