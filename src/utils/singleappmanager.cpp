#include "singleappmanager.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
constexpr int connectTimeoutMs = 30000;
constexpr int writeTimeoutMs = 30000;
constexpr int disconnectTimeoutMs = 2000;
const QByteArray pingMessage = QByteArrayLiteral("PING!");

QString runtimeFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!folder.isEmpty())
        return folder;
    // Qt has said why; a guard shared with other users beats none.
    qWarning().noquote() << "No runtime folder, the single-instance guard uses" << QDir::tempPath();
    return QDir::tempPath();
}
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
    , m_serverPath(QDir(runtimeFolder()).filePath(m_serverName))
    , m_instanceLock(m_serverPath + QStringLiteral(".lock"))
{
    // Another local user must not reach or spoof our instance, even where
    // the runtime folder is shared.
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
    socket.connectToServer(m_serverPath, QIODevice::ReadWrite);
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
    if (m_server->listen(m_serverPath))
        return true;
    if (m_server->serverError() == QAbstractSocket::AddressInUseError) {
        // Left behind by an instance that ended abnormally: nobody answered our ping.
        QLocalServer::removeServer(m_serverPath);
        if (m_server->listen(m_serverPath))
            return true;
    }
    qWarning().noquote() << "Cannot listen for other instances on" << m_serverPath << ":"
                         << m_server->errorString();
    return false;
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
