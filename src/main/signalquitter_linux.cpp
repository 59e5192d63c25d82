#include "signalquitter.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Written by the handler, read by the event loop; never closed, since a
// signal may come at any moment until the process ends.
int s_pipe[2] = {-1, -1};

void onQuitSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    // A full pipe already holds a request to quit.
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], &byte, 1);
    errno = savedErrno;
}

bool handle(int signalNumber)
{
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(signalNumber, &action, nullptr) == 0;
}

} // namespace

bool SignalQuitter::install(QObject *parent)
{
    if (s_pipe[0] < 0 && ::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning() << "Cannot end on signals, no pipe:" << std::strerror(errno);
        return false;
    }
    new SignalQuitter(s_pipe[0], parent);
    if (handle(SIGTERM) && handle(SIGINT) && handle(SIGHUP))
        return true;
    qWarning() << "Cannot end on signals:" << std::strerror(errno);
    return false;
}

SignalQuitter::SignalQuitter(int readEnd, QObject *parent)
    : QObject(parent)
    , m_notifier(new QSocketNotifier(readEnd, QSocketNotifier::Read, this))
{
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalQuitter::onSignal);
}

void SignalQuitter::onSignal()
{
    char byte = 0;
    while (::read(int(m_notifier->socket()), &byte, 1) == 1)
        qInfo() << "Signal" << int(byte) << "received, quitting";
    QCoreApplication::quit();
}
