#ifndef SIGNALQUITTER_H
#define SIGNALQUITTER_H

#include <QObject>

class QSocketNotifier;

// Ends the event loop normally when the desktop or the terminal asks the
// program to end (SIGTERM at logout or shutdown, SIGINT from Ctrl+C,
// SIGHUP when the terminal closes), so the shutdown order runs and the
// library and the device list are saved. The signal handler only writes a
// byte into a pipe; the event loop reads it and quits. A further signal
// during the shutdown lands in the same pipe and interrupts nothing.
class SignalQuitter : public QObject
{
    Q_OBJECT

public:
    // Installs the handlers; false (with a warning) when they cannot be.
    static bool install(QObject *parent);

private:
    explicit SignalQuitter(int readEnd, QObject *parent);
    void onSignal();

    QSocketNotifier *const m_notifier;
};

#endif // SIGNALQUITTER_H
