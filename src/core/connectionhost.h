#ifndef CONNECTIONHOST_H
#define CONNECTIONHOST_H

#include <QObject>
#include <QString>

class Connection;
class QThread;

// Keeps a device's one connection: on a worker thread of its own or on the
// host's thread, reached only through queued calls, heard through a context
// object that goes with the connection, so that nothing from a replaced
// connection arrives afterwards. Releasing a threaded connection deletes it
// later on its own thread and stops that thread, waiting a bounded time.
class ConnectionHost : public QObject
{
    Q_OBJECT

public:
    static constexpr int ThreadStopTimeoutMs = 2000;

    explicit ConnectionHost(QObject *parent = nullptr);
    // As close().
    ~ConnectionHost() override;

    // Takes over a new connection, releasing the one held before. With a
    // thread name, it runs on a new thread of that name.
    void host(Connection *connection, const QString &threadName = QString());
    // Releases the connection; no call from it reaches the context after
    // this. One on the host's thread is deleted at once, after the calls
    // queued for it; one on its own thread is deleted later there, and the
    // thread is stopped.
    void release();
    // Asks the connection to close its handle, then releases it.
    void close();

    Connection *connection() const;
    // Connect the connection's signals to this (queued); it goes with the connection.
    QObject *context() const;

    // Runs call on the connection's thread, after whatever was asked of it before.
    template <class Call>
    void post(Call call) const
    {
        Connection *const connection = m_connection;
        if (!connection)
            return;
        QMetaObject::invokeMethod(
            connection, [connection, call] { call(*connection); }, Qt::QueuedConnection);
    }

private:
    Connection *takeConnection();
    void stopThread();

    Connection *m_connection = nullptr;
    QObject *m_context = nullptr;
    QThread *m_thread = nullptr;
};

#endif // CONNECTIONHOST_H
