#ifndef CRASHHANDLER_H
#define CRASHHANDLER_H

#include <QObject>

// Writes a backtrace of the faulting thread into the log when the process
// hits an unhandled fault, then lets the process end as it would have without
// us. The fault filter is class-wide and stays installed after the handler
// object (a child of the application core) is gone.
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

signals:
    // Emitted on the faulting thread before the backtrace is written.
    void crashDetected();

private:
    explicit CrashHandler(QObject *parent);
    static void installFaultFilter();
};

#endif // CRASHHANDLER_H
