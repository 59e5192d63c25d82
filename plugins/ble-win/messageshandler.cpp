#include "messageshandler.h"

#include <QBluetoothAddress>
#include <QDebug>
#include <QLocalSocket>
#include <QTextStream>

const QString MessagesHandler::StartMessage = QStringLiteral("START");
const QString MessagesHandler::CloseMessage = QStringLiteral("CLOSE");
const QString MessagesHandler::DeviceAvailableMessage = QStringLiteral("DEVICE_AVAILABLE");
const QString MessagesHandler::DeviceUnavailableMessage = QStringLiteral("DEVICE_UNAVAILABLE");

namespace {
const QChar FieldEnd(u'\0');
} // namespace

QString MessagesHandler::serverName(const QString &programName)
{
    return QStringLiteral("%1_%2_%3")
        .arg(QStringLiteral("Vornell"), QStringLiteral("Thermox"), programName);
}

MessagesHandler::MessagesHandler(const QString &programName, QObject *parent)
    : QObject(parent)
    , m_server(this)
{
    const QString name = serverName(programName);
    // Only the user's processes may connect. With an access option the
    // socket replaces a file left by a process that ended without closing it.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(name)) {
        qCritical() << "Cannot listen on messages server:" << m_server.errorString();
        return;
    }
    qInfo() << "Waiting for incomming connection...";
    connect(&m_server, &QLocalServer::newConnection, this, &MessagesHandler::onNewConnection);
}

bool MessagesHandler::isListening() const
{
    return m_server.isListening();
}

bool MessagesHandler::isClientConnected() const
{
    return m_client && m_client->state() == QLocalSocket::ConnectedState;
}

void MessagesHandler::send(const QString &name, const QStringList &fields)
{
    if (!isClientConnected())
        return;
    QTextStream stream(m_client.data());
    stream << name << FieldEnd;
    for (const QString &field : fields)
        stream << field << FieldEnd;
    stream.flush();
    m_client->flush();
}

void MessagesHandler::disconnectClient()
{
    if (m_client)
        m_client->disconnectFromServer();
}

void MessagesHandler::onNewConnection()
{
    while (QLocalSocket *client = m_server.nextPendingConnection()) {
        m_client = client;
        connect(client, &QLocalSocket::readyRead, this, &MessagesHandler::receive);
        // A peer that went is of no further use.
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        qInfo() << "Communication ready";
        emit ready();
    }
}

void MessagesHandler::receive()
{
    auto *client = qobject_cast<QLocalSocket *>(sender());
    if (!client)
        return;
    // One whitespace-delimited token per arrival of data: the scanner program
    // sends each message as a write of its own and no whitespace inside it.
    QString token;
    QTextStream(client) >> token;
    QStringList parts = token.split(FieldEnd, Qt::SkipEmptyParts);
    const QString name = parts.isEmpty() ? QString() : parts.takeFirst();
    if (name == DeviceAvailableMessage)
        onDeviceAvailableMessage(parts);
    else if (name == DeviceUnavailableMessage)
        onDeviceUnavailableMessage(parts);
    else
        qWarning() << "Unknown mesaage received" << token;
}

void MessagesHandler::onDeviceAvailableMessage(const QStringList &fields)
{
    qInfo() << "Received a device available message";
    if (fields.size() != 2) {
        qWarning() << "Received an invalid device available message:" << fields;
        return;
    }
    const QBluetoothAddress address(fields.at(0));
    const QBluetoothDeviceInfo info(address, fields.at(1), 0);
    // The info counts as valid whatever the address; a text that is no
    // address would give a machine the all-zero id.
    if (!info.isValid() || address.isNull()) {
        qWarning() << "Wrong bluetooth info received:" << fields.at(0) << fields.at(1);
        return;
    }
    emit deviceAvailableMessageReceived(info);
}

void MessagesHandler::onDeviceUnavailableMessage(const QStringList &fields)
{
    qInfo() << "Received a device unavailable message";
    if (fields.size() != 1) {
        qWarning() << "Received an invalid device unavailable message:" << fields;
        return;
    }
    emit deviceUnavailableMessageReceived(fields.first());
}
