#ifndef CRASHHANDLER_H
#define CRASHHANDLER_H

#include <QObject>

class QThread;

// Writes a backtrace of the faulting thread into the log when the process
// hits an unhandled fault, then lets the process end as it would have without
// us. The fault filter is class-wide and stays installed after the handler
// object (a child of the application core) is gone.
//
// The filter runs on the faulting thread. After a stack overflow it can run
// only on an alternate signal stack of that thread: the thread that installs
// the filter gets one for the life of the process; every thread the program
// starts gets its own through installThreadStack() or
// installThreadStackOnStart(). On a thread without one (Qt's internal and
// pool threads) any other fault still leaves a backtrace, but a stack
// overflow ends the process without one.
class CrashHandler : public QObject
{
    Q_OBJECT

public:
    // The processor state of a fault, as the platform hands it to the filter.
    struct FaultContext;

    // Creates the handler with `parent` and installs the fault filter on the
    // first call; later calls return the existing handler.
    static CrashHandler *instance(QObject *parent);
    ~CrashHandler() override;

    // The fault filter's work: logs the fault and its backtrace.
    static void crashHandler(const FaultContext *fault);
    static void dumpBacktrace(const FaultContext *fault);

    // Gives the calling thread an alternate signal stack of its own, freed
    // when the thread ends; nothing happens on a thread that already has one
    // from us. False (with a warning) when none could be set up.
    static bool installThreadStack();
    // Has `thread` call installThreadStack() first thing whenever it starts.
    // Call it before connecting the thread's own work to its started signal.
    static void installThreadStackOnStart(QThread *thread);

signals:
    // Emitted on the faulting thread before the backtrace is written.
    void crashDetected();

private:
    explicit CrashHandler(QObject *parent);
    static void installFaultFilter();
};

#endif // CRASHHANDLER_H
