// What the USB transports cost, over the virtual machines:
//  (a) the time to upload the longest flex program (40 device steps) to a
//      firmware-3 machine at 1x: with states flowing, on a quiet link, with
//      5 % and 20 % of the frames lost in each direction, and to 16 machines
//      at once. Beside it stands the poll-paced model, one 100 ms poll per
//      frame the host sends. That is no lower bound: a poll reads up to 64
//      reports, so a machine that answers at once takes a whole upload in a
//      few polls; it is what an upload costs when every answer arrives after
//      the poll that carried its frame. The virtual machines answer on a
//      thread of their own, so a loaded computer pushes the measured time
//      towards the model: the load average is printed first;
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
#include <QFile>
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
constexpr int LossyUploads = 6;
constexpr int MultiUploadRounds = 5;
constexpr quint32 FaultSeed = 11;
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

struct UploadCase
{
    const char *title;
    bool machineClockRuns;
    double dropRate;
    int uploads;
};

QByteArray uploadPayload(const ProgramPtr &program)
{
    return buildPayloadV3(ProtocolV3::PCR_PROTOCOL,
                          qSharedPointerObjectCast<ProgramV3>(program)->pcrProtocol());
}

// One frame per poll: what an upload costs when every answer of the machine
// arrives after the poll that carried the host's frame.
double pollPacedMs(const QByteArray &payload)
{
    return hostFrames(payload) * double(ConnectionV3USB::PollIntervalMs);
}

int warningCount(const QString &firstWords)
{
    QMutexLocker locker(&warningsMutex);
    return warnings.value(firstWords);
}

int droppedFrames(const Rig &rig)
{
    int dropped = 0;
    withMachine(rig.serialNumber,
                [&dropped](VirtualMachine &machine) { dropped = machine.faults().droppedCount(); });
    return dropped;
}

void printSpread(const std::vector<double> &ms, const QByteArray &payload)
{
    const double middle = median(ms);
    const double model = pollPacedMs(payload);
    out() << "  " << ms.size() << " uploads: median " << middle << " ms, min "
          << *std::min_element(ms.cbegin(), ms.cend()) << " ms, max "
          << *std::max_element(ms.cbegin(), ms.cend()) << " ms\n"
          << "  poll-paced model " << model << " ms (" << hostFrames(payload) << " host frames x "
          << ConnectionV3USB::PollIntervalMs << " ms); measured median / model = " << middle / model
          << "\n";
}

// Posts the upload and answers its time in milliseconds once the machine
// has confirmed it; negative when it never does.
double uploadOnce(Rig &rig, const ProgramPtr &program)
{
    const int sent = rig.programsSent;
    QElapsedTimer upload;
    upload.start();
    rig.worker->post([program](Connection &c) {
        c.setProgram(program);
        c.sendCurrentProgram();
    });
    if (!waitFor([&rig, sent] { return rig.programsSent > sent; }))
        return -1.0;
    return double(upload.nsecsElapsed()) / 1e6;
}

// Answers the median upload time in milliseconds, 0 when none completed.
// lossFreeMs, the median of the same upload without loss, prices each frame lost.
double measureUploads(const UploadCase &upload, double lossFreeMs)
{
    Rigs rigs = plugInAndConnect(QStringLiteral("vela16"), 1, 1.0);
    Rig &rig = *rigs.front();
    withMachine(rig.serialNumber, [&upload](VirtualMachine &machine) {
        if (!upload.machineClockRuns)
            machine.clock()->stop();
        machine.faults().setSeed(FaultSeed);
        machine.faults().setDropRate(upload.dropRate);
    });
    const ProgramPtr program = UsbFixtures::longestFlexProgram();
    const QByteArray payload = uploadPayload(program);
    const QString restart = QStringLiteral("Timeout: resend last message:");
    const int restartsBefore = warningCount(restart);

    std::vector<double> uploadMs;
    for (int i = 0; i < upload.uploads; ++i) {
        // As the application does: no upload while the machine writes its memory.
        if (upload.machineClockRuns)
            waitFor([&rig] { return !rig.eepromBusy; });
        const double ms = uploadOnce(rig, program);
        if (ms < 0)
            break;
        uploadMs.push_back(ms);
    }
    out() << upload.title << "\n";
    if (uploadMs.empty()) {
        out() << "  no upload completed\n";
        unplugAll(rigs);
        return 0.0;
    }
    out() << "  payload " << payload.size() << " bytes\n";
    printSpread(uploadMs, payload);
    if (upload.dropRate > 0) {
        const double uploads = double(uploadMs.size());
        const double lost = droppedFrames(rig) / uploads;
        out() << "  per upload: " << lost << " frames lost, "
              << (warningCount(restart) - restartsBefore) / uploads
              << " restarts from the announcement; " << (median(uploadMs) - lossFreeMs) / lost
              << " ms per frame lost\n";
    }
    unplugAll(rigs);
    return median(uploadMs);
}

// The same program to every machine at once, as a multi-upload sends it;
// the figure is the time until the last machine has confirmed.
void measureMultiUpload()
{
    Rigs rigs = plugInAndConnect(QStringLiteral("vela16"), Machines, 1.0);
    const ProgramPtr program = UsbFixtures::longestFlexProgram();
    const QByteArray payload = uploadPayload(program);
    std::vector<double> slowest;
    std::vector<double> each;
    for (int round = 0; round < MultiUploadRounds; ++round) {
        waitFor([&rigs] {
            return std::none_of(rigs.cbegin(), rigs.cend(),
                                [](const auto &rig) { return rig->eepromBusy; });
        });
        std::vector<int> sent;
        for (const auto &rig : rigs)
            sent.push_back(rig->programsSent);
        std::vector<double> confirmedMs(rigs.size(), -1.0);
        QElapsedTimer upload;
        upload.start();
        for (const auto &rig : rigs) {
            rig->worker->post([program](Connection &c) {
                c.setProgram(program);
                c.sendCurrentProgram();
            });
        }
        const bool all = waitFor([&] {
            for (size_t i = 0; i < rigs.size(); ++i) {
                if (confirmedMs[i] < 0 && rigs[i]->programsSent > sent[i])
                    confirmedMs[i] = double(upload.nsecsElapsed()) / 1e6;
            }
            return std::none_of(confirmedMs.cbegin(), confirmedMs.cend(),
                                [](double ms) { return ms < 0; });
        });
        if (!all)
            break;
        slowest.push_back(*std::max_element(confirmedMs.cbegin(), confirmedMs.cend()));
        each.insert(each.end(), confirmedMs.cbegin(), confirmedMs.cend());
    }
    out() << "(a) the same upload to " << Machines
          << " vela16 at once at 1x, states flowing, until all have confirmed\n";
    if (slowest.empty()) {
        out() << "  no round completed\n";
        unplugAll(rigs);
        return;
    }
    out() << "  slowest machine per round: median " << median(slowest) << " ms, max "
          << *std::max_element(slowest.cbegin(), slowest.cend()) << " ms over " << slowest.size()
          << " rounds; single machines: median " << median(each) << " ms\n"
          << "  poll-paced model for one machine " << pollPacedMs(payload) << " ms\n";
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

    const UploadCase uploads[] = {
        {"(a) upload of the 40-step flex program to a vela16 at 1x, states flowing", true, 0.0,
         Uploads},
        {"(a) the same upload on a quiet link (machine clock stopped)", false, 0.0, Uploads},
        {"(a) quiet link, 5 % of the frames lost each way", false, 0.05, LossyUploads},
        {"(a) quiet link, 20 % of the frames lost each way", false, 0.20, LossyUploads},
    };
    // How soon the machines' thread answers decides whether a poll finds the
    // answer to the frame it has just written, so the figures follow the load.
    QFile loadAverage(QStringLiteral("/proc/loadavg"));
    if (loadAverage.open(QIODevice::ReadOnly))
        out() << "load average at start: " << loadAverage.readAll().trimmed() << "\n";
    double lossFreeMs = 0.0;
    for (const UploadCase &upload : uploads) {
        const double ms = measureUploads(upload, lossFreeMs);
        if (upload.dropRate == 0.0)
            lossFreeMs = ms;
        out().flush();
    }
    measureMultiUpload();
    out().flush();
    measureReporting(QStringLiteral("vela16"));
    out().flush();
    measureReporting(QStringLiteral("vela8"));
    out() << "warnings logged, by their first words:\n";
    for (auto warning = warnings.cbegin(); warning != warnings.cend(); ++warning)
        out() << "  " << warning.value() << " x " << warning.key() << "\n";
    return 0;
}
