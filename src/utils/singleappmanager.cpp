#include "singleappmanager.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {
constexpr int connectTimeoutMs = 30000;
constexpr int writeTimeoutMs = 30000;
constexpr int disconnectTimeoutMs = 2000;
const QByteArray pingMessage = QByteArrayLiteral("PING!");
} // namespace

SingleAppManager *SingleAppManager::instance()
{
    // Function-local statics are initialised once, thread-safely, and the
    // guard (with its server) is destroyed when the process exits.
    static SingleAppManager manager;
    return &manager;
}

SingleAppManager::SingleAppManager()
    : m_server(new QLocalServer(this))
    , m_serverName(QStringLiteral("%1_SINGLE-APP-SERVER").arg(QCoreApplication::applicationName()))
    , m_instanceLock(QDir(QDir::tempPath()).filePath(m_serverName + QStringLiteral(".lock")))
{
    // Another local user must not reach or spoof our instance.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Stale only when its process is gone, however long an instance runs.
    m_instanceLock.setStaleLockTime(0);
    connect(m_server, &QLocalServer::newConnection, this, &SingleAppManager::onNewConnection);
}

bool SingleAppManager::tryToRun()
{
    if (pingRunningInstance())
        return false;
    // Another instance is starting right now (a lock of a process that ended
    // is stale and taken over).
    if (!m_instanceLock.tryLock(0))
        return false;
    return listen();
}

bool SingleAppManager::pingRunningInstance()
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName, QIODevice::ReadWrite);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    socket.write(pingMessage);
    socket.waitForBytesWritten(writeTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(disconnectTimeoutMs);
    return true;
}

bool SingleAppManager::listen()
{
    if (m_server->listen(m_serverName))
        return true;
    if (m_server->serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // Left behind by an instance that ended abnormally: nobody answered our ping.
    QLocalServer::removeServer(m_serverName);
    return m_server->listen(m_serverName);
}

void SingleAppManager::onNewConnection()
{
    while (m_server->hasPendingConnections()) {
        QLocalSocket *socket = m_server->nextPendingConnection();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { checkPing(socket); });
    }
}

void SingleAppManager::checkPing(QLocalSocket *socket)
{
    if (!socket) {
        qWarning() << "Cannot check ping for a null socket instance!";
        return;
    }
    if (socket->readAll().startsWith(pingMessage))
        emit anotherAppStarted();
    socket->deleteLater();
}
