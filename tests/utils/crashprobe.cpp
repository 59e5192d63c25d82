// Child process of tst_crashhandler: logs to a file, requests the crash
// handler and then faults in the way its argument names.

#include "utils/crashhandler.h"
#include "utils/mlog.h"

#include <QCoreApplication>
#include <QThread>

#include <csignal>
#include <cstdlib>

namespace {
// Out of line, so that the faulting instruction has a frame in this file; the
// null check is off so that the write really reaches the processor.
__attribute__((noinline, no_sanitize("null"))) void writeThroughNull()
{
    int *volatile target = nullptr;
    *target = 1;
}

// Deeper than the backtrace may go.
__attribute__((noinline)) int faultDeepDown(int depth)
{
    if (depth == 0)
        writeThroughNull();
    else
        faultDeepDown(depth - 1);
    return depth;
}
// Recurses until the stack is exhausted; the filter then needs its own stack.
__attribute__((noinline)) int exhaustStack(int depth)
{
    volatile char frame[1024];
    frame[0] = char(depth);
    return depth < 0 ? frame[0] : exhaustStack(depth + 1) + frame[0];
}

// A thread started the way the program starts its threads.
void exhaustStackOnAThread()
{
    QThread thread;
    CrashHandler::installThreadStackOnStart(&thread);
    QObject::connect(&thread, &QThread::started, [] { exhaustStack(0); });
    thread.start();
    thread.wait();
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("crashprobe"));
    MLog::instance()->enableLogToFile(QStringLiteral("crashprobe"));
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();

    auto *core = new QObject;
    QObject::connect(CrashHandler::instance(core), &CrashHandler::crashDetected, [&mode] {
        qCritical("crashDetected received");
        if (mode == "fault-in-filter")
            writeThroughNull();
    });

    // A fault inside the filter while it handles another signal must not reach it again.
    if (mode == "abort" || mode == "fault-in-filter")
        std::abort();
    if (mode == "bus")
        std::raise(SIGBUS);
    if (mode == "ill")
        std::raise(SIGILL);
    if (mode == "fpe")
        std::raise(SIGFPE);
    if (mode == "deep")
        faultDeepDown(100);
    if (mode == "overflow")
        exhaustStack(0);
    if (mode == "thread-overflow")
        exhaustStackOnAThread();
    if (mode == "orphan")
        delete core;
    writeThroughNull();
    return 0;
}
