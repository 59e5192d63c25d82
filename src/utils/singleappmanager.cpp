#include "singleappmanager.h"

#include <QCoreApplication>
#include <QDebug>
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
{
    // Another local user must not reach or spoof our instance.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleAppManager::onNewConnection);
}

bool SingleAppManager::tryToRun()
{
    if (pingRunningInstance())
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
