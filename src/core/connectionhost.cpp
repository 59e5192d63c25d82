#include "connectionhost.h"

#include "connection/connection.h"
#include "utils/crashhandler.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>

#include <utility>

ConnectionHost::ConnectionHost(QObject *parent)
    : QObject(parent)
{}

ConnectionHost::~ConnectionHost()
{
    close();
}

void ConnectionHost::host(Connection *connection, const QString &threadName)
{
    release();
    m_connection = connection;
    m_context = new QObject(this);
    if (threadName.isEmpty())
        return;
    m_thread = new QThread();
    m_thread->setObjectName(threadName);
    CrashHandler::installThreadStackOnStart(m_thread);
    // Released by itself should it outlast stopThread's wait.
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    connection->moveToThread(m_thread);
    m_thread->start();
}

void ConnectionHost::release()
{
    Connection *connection = takeConnection();
    if (!connection)
        return;
    if (connection->thread() == thread()) {
        // Gone before a successor starts: what was asked of it runs first,
        // then its last acts (closing a BLE link they share) come before the
        // successor's first.
        QCoreApplication::sendPostedEvents(connection, QEvent::MetaCall);
        delete connection;
        return;
    }
    connection->deleteLater();
    stopThread();
}

void ConnectionHost::close()
{
    post([](Connection &connection) { connection.disconnectHandle(); });
    release();
}

Connection *ConnectionHost::connection() const
{
    return m_connection;
}

QObject *ConnectionHost::context() const
{
    return m_context;
}

Connection *ConnectionHost::takeConnection()
{
    Connection *connection = std::exchange(m_connection, nullptr);
    if (!connection)
        return nullptr;
    QObject *context = std::exchange(m_context, nullptr);
    connection->disconnect(context);
    QCoreApplication::removePostedEvents(context);
    context->deleteLater();
    return connection;
}

void ConnectionHost::stopThread()
{
    QThread *thread = std::exchange(m_thread, nullptr);
    if (!thread)
        return;
    // Its event loop deletes the connection as it finishes.
    thread->quit();
    if (thread->wait(ThreadStopTimeoutMs)) {
        delete thread;
        return;
    }
    qWarning() << "Connection thread" << thread->objectName() << "did not stop in"
               << ThreadStopTimeoutMs << "ms";
}
