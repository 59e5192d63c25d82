// What the local storage costs with large data, one figure set per run so
// that the peak memory belongs to that operation alone:
//   storagebench library-save <folder>   save of a 2,000-protocol library
//   storagebench library-load <folder>   start-up load of it
//   storagebench devices-save <folder>   save of 16 devices, 72-hour traces
//   storagebench devices-load <folder>   start-up load of that devices file
//   storagebench kill <folder> <runs>    the kill test, more often
// Each prints the wall time, the longest the GUI thread went without
// running its event loop (its blocking time), the process's peak resident
// memory and the file size. A plain program: it does not pass or fail.

#include "core/applocalstorage.h"

#include "../tests/core/storagefixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

namespace {

constexpr int LibraryPrograms = 2000;
constexpr int Devices = 16;
constexpr int TraceSeconds = 72 * 3600;

QTextStream out(stdout);

void discardMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

long peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// The longest the GUI thread went between two turns of its event loop while
// this lives: in wall time (which on a loaded machine includes waiting for a
// core) and in the thread's own CPU time (the work that froze the window).
class BlockingMeter : public QObject
{
public:
    BlockingMeter()
    {
        m_timer.setInterval(1);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &BlockingMeter::account);
        m_sinceLast.start();
        m_lastCpuNs = threadCpuNs();
        m_timer.start();
    }
    void account()
    {
        m_longest = std::max(m_longest, m_sinceLast.nsecsElapsed());
        m_sinceLast.restart();
        const qint64 cpu = threadCpuNs();
        m_longestCpu = std::max(m_longestCpu, cpu - m_lastCpuNs);
        m_lastCpuNs = cpu;
    }
    double longestMs() const { return m_longest / 1e6; }
    double longestCpuMs() const { return m_longestCpu / 1e6; }

private:
    static qint64 threadCpuNs()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return now.tv_sec * 1000000000ll + now.tv_nsec;
    }

    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    qint64 m_longest = 0;
    qint64 m_lastCpuNs = 0;
    qint64 m_longestCpu = 0;
};

// The storage on its own thread at the lowest priority, as the core runs it.
struct StorageThread
{
    StorageThread()
    {
        storage->moveToThread(&thread);
        thread.start(QThread::LowestPriority);
    }
    ~StorageThread()
    {
        thread.quit();
        thread.wait();
        delete storage;
    }
    QThread thread;
    AppLocalStorage *storage = new AppLocalStorage;
};

void report(const QString &what, double wallMs, double cpuMs, const BlockingMeter &meter,
            const QString &file)
{
    out << what << ": wall " << wallMs << " ms, CPU " << cpuMs << " ms, GUI thread blocked at most "
        << meter.longestCpuMs() << " ms of its CPU time (" << meter.longestMs()
        << " ms wall), peak memory " << peakResidentMegabytes() << " MB, file "
        << QFileInfo(file).size() / 1024 << " KiB" << Qt::endl;
}

template <class Call, class After>
void measureSave(const QString &what, const QString &file, Call call, After afterCall)
{
    StorageThread storage;
    out << what << ": memory before " << peakResidentMegabytes() << " MB" << Qt::endl;
    const double cpuAtStart = processCpuMs();
    QElapsedTimer wall;
    wall.start();
    BlockingMeter meter;
    QElapsedTimer inCall;
    inCall.start();
    call(*storage.storage);
    const double callMs = inCall.nsecsElapsed() / 1e6;
    afterCall();
    bool done = false;
    QObject::connect(storage.storage, &AppLocalStorage::saved, &meter, [&done] { done = true; });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    meter.account();
    out << what << ": the save call returned after " << callMs << " ms" << Qt::endl;
    report(what, wall.nsecsElapsed() / 1e6, processCpuMs() - cpuAtStart, meter, file);
}

void measureLoad(const QString &what, const QString &file)
{
    StorageThread storage;
    int records = 0;
    bool done = false;
    BlockingMeter meter;
    QObject::connect(storage.storage, &AppLocalStorage::loadedProtcol, &meter,
                     [&records] { ++records; });
    QObject::connect(storage.storage, &AppLocalStorage::loadedDevice, &meter,
                     [&records] { ++records; });
    QObject::connect(storage.storage, &AppLocalStorage::loadCompleted, &meter,
                     [&done] { done = true; });
    const double cpuAtStart = processCpuMs();
    QElapsedTimer wall;
    wall.start();
    QMetaObject::invokeMethod(storage.storage, &AppLocalStorage::loadData, Qt::QueuedConnection);
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    meter.account();
    out << what << ": " << records << " records" << Qt::endl;
    report(what, wall.nsecsElapsed() / 1e6, processCpuMs() - cpuAtStart, meter, file);
}

PCRDeviceList devicesWithTraces()
{
    PCRDeviceList devices;
    for (int i = 0; i < Devices; ++i)
        devices.append(StorageFixtures::deviceWithTrace(i, TraceSeconds));
    return devices;
}

// The next state report of each device after a snapshot copies that
// device's series once; reports come one at a time.
void measureFirstAppend(const PCRDeviceList &devices)
{
    double longestMs = 0;
    for (const PCRDevicePtr &device : devices) {
        QElapsedTimer timer;
        timer.start();
        device->tempChart()->append(ChartData{double(TraceSeconds), 60.0});
        longestMs = std::max(longestMs, timer.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
    }
    out << "first report after the snapshot: at most " << longestMs << " ms per device" << Qt::endl;
}

int killRuns(const QString &folder, int runs)
{
    const int programs = 200;
    const ProgramList a = StorageFixtures::library(QStringLiteral("A"), programs);
    int intact = 0;
    QRandomGenerator delays(99);
    for (int run = 0; run < runs; ++run) {
        QProcess saver;
        saver.start(QStringLiteral(STORAGE_SAVER), {folder, QString::number(programs)});
        saver.waitForReadyRead(20000);
        QThread::msleep(delays.bounded(60));
        saver.kill();
        saver.waitForFinished();
        AppLocalStorage storage;
        int loaded = 0;
        QObject::connect(&storage, &AppLocalStorage::loadedProtcol, [&loaded] { ++loaded; });
        storage.loadData();
        intact += loaded == programs;
    }
    out << "killed while saving: " << intact << " of " << runs << " runs left a whole library"
        << Qt::endl;
    return intact == runs ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    qInstallMessageHandler(discardMessages);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3)
        return 2;
    const QString mode = arguments.at(1);
    AppLocalStorage::setDataPath(arguments.at(2));
    const QString library = arguments.at(2) + QStringLiteral("/protocols0");
    const QString devicesFile = arguments.at(2) + QStringLiteral("/devices0");
    if (mode == QLatin1String("library-save")) {
        const ProgramList programs = StorageFixtures::library(QStringLiteral("P"), LibraryPrograms);
        measureSave(
            QStringLiteral("library save"), library,
            [&programs](AppLocalStorage &storage) { storage.saveProtocols(programs); }, [] {});
    } else if (mode == QLatin1String("library-load")) {
        measureLoad(QStringLiteral("library load"), library);
    } else if (mode == QLatin1String("devices-save")) {
        const PCRDeviceList devices = devicesWithTraces();
        measureSave(
            QStringLiteral("devices save"), devicesFile,
            [&devices](AppLocalStorage &storage) { storage.saveDevices(devices); },
            [&devices] { measureFirstAppend(devices); });
    } else if (mode == QLatin1String("devices-load")) {
        measureLoad(QStringLiteral("devices load"), devicesFile);
    } else if (mode == QLatin1String("kill") && arguments.size() == 4) {
        return killRuns(arguments.at(2), arguments.at(3).toInt());
    } else {
        return 2;
    }
    return 0;
}
