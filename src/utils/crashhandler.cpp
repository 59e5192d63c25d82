#include "crashhandler.h"

#include <QDebug>
#include <QThread>

#include <atomic>

namespace {
// Read from the fault filter on any thread, so it is atomic; cleared by the
// destructor so that a late fault never signals through a destroyed object.
std::atomic<CrashHandler *> currentHandler{nullptr};
} // namespace

CrashHandler *CrashHandler::instance(QObject *parent)
{
    // Requested on the GUI thread only. The filter outlives the handler object,
    // so it is installed once even if a later request creates a new handler.
    static bool filterInstalled = false;
    if (!filterInstalled) {
        installFaultFilter();
        filterInstalled = true;
    }
    if (!currentHandler.load())
        currentHandler = new CrashHandler(parent);
    return currentHandler.load();
}

CrashHandler::CrashHandler(QObject *parent)
    : QObject(parent)
{}

CrashHandler::~CrashHandler()
{
    currentHandler = nullptr;
}

void CrashHandler::crashHandler(const FaultContext *fault)
{
    qCritical("Crash detected");
    if (CrashHandler *handler = currentHandler.load())
        emit handler->crashDetected();
    qCritical(".Backtrace begin");
    dumpBacktrace(fault);
    qCritical(".Backtrace end");
}

void CrashHandler::installThreadStackOnStart(QThread *thread)
{
    // Direct: started is emitted on the new thread, before its event loop runs.
    connect(thread, &QThread::started, thread, &CrashHandler::installThreadStack,
            Qt::DirectConnection);
}
