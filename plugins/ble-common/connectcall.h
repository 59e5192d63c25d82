#ifndef CONNECTCALL_H
#define CONNECTCALL_H

#include <QObject>

class QLowEnergyController;

// A controller's connect call. Where the toolkit's connect call blocks, it
// runs on a worker thread of the global pool and the call is running until
// finished() arrives; a controller must not be deleted before then. Where the
// call only starts an asynchronous request (BlueZ over D-Bus) it is made on
// the caller's thread: the controller's D-Bus helpers are created inside the
// call and must live on a thread with an event loop.
class ConnectCall : public QObject
{
    Q_OBJECT

public:
    explicit ConnectCall(QObject *parent = nullptr);

    void start(QLowEnergyController *controller);
    bool isRunning() const;

signals:
    void finished();
};

#endif // CONNECTCALL_H
