#include "controlclient.h"

ControlClient::ControlClient(QObject *parent)
    : QObject(parent)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &ControlClient::onTimeout);
    connect(&m_socket, &QLocalSocket::connected, this, &ControlClient::onConnected);
    connect(&m_socket, &QLocalSocket::disconnected, this, &ControlClient::onDisconnected);
    connect(&m_socket, &QLocalSocket::errorOccurred, this, &ControlClient::onError);
}

void ControlClient::send(const QString &serverName, const QString &commandLine)
{
    m_serverName = serverName;
    m_commandLine = commandLine;
    m_timeout.start(TimeoutMs);
    m_socket.connectToServer(serverName);
}

void ControlClient::onConnected()
{
    m_socket.write(m_commandLine.toUtf8() + '\n');
}

void ControlClient::onDisconnected()
{
    const QString reply = QString::fromUtf8(m_socket.readAll()).trimmed();
    if (reply.startsWith(QLatin1String("OK")))
        finish(0, reply);
    else if (reply.startsWith(QLatin1String("ERROR")))
        finish(1, reply);
    else
        finish(2, QStringLiteral("ERROR no reply from ") + m_serverName);
}

void ControlClient::onError()
{
    // The server hangs up after its reply; that is how a reply ends.
    if (m_socket.error() == QLocalSocket::PeerClosedError)
        return;
    // No socket, or one left behind by a program that has ended.
    if (m_socket.error() == QLocalSocket::ServerNotFoundError ||
        m_socket.error() == QLocalSocket::ConnectionRefusedError) {
        finish(2, QStringLiteral("ERROR no virtual machines are running: start Thermox with "
                                 "scripts/run (nothing listens on %1)")
                      .arg(m_serverName));
        return;
    }
    finish(2, QStringLiteral("ERROR cannot reach the virtual machines at %1: %2")
                  .arg(m_serverName, m_socket.errorString()));
}

void ControlClient::onTimeout()
{
    finish(2, QStringLiteral("ERROR no reply from ") + m_serverName);
}

void ControlClient::finish(int exitCode, const QString &reply)
{
    if (m_done)
        return;
    m_done = true;
    m_timeout.stop();
    emit finished(exitCode, reply);
}
