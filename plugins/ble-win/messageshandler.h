#ifndef MESSAGESHANDLER_H
#define MESSAGESHANDLER_H

#include <QBluetoothDeviceInfo>
#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QLocalSocket;

// The local server the scanner program connects to, and the text messages
// exchanged with it: fields each followed by a NUL character, the first field
// naming the message. The latest connection is the peer.
class MessagesHandler : public QObject
{
    Q_OBJECT

public:
    static const QString StartMessage;
    static const QString CloseMessage;
    static const QString DeviceAvailableMessage;
    static const QString DeviceUnavailableMessage;

    // "Vornell_Thermox_<program>".
    static QString serverName(const QString &programName);

    explicit MessagesHandler(const QString &programName, QObject *parent = nullptr);

    bool isListening() const;
    bool isClientConnected() const;
    void send(const QString &name, const QStringList &fields = {});
    // Lets the scanner program see the end of the conversation.
    void disconnectClient();

signals:
    void ready();
    void deviceAvailableMessageReceived(QBluetoothDeviceInfo deviceInfo);
    void deviceUnavailableMessageReceived(QString deviceId);

public slots:
    void onNewConnection();

private:
    void receive();
    void onDeviceAvailableMessage(const QStringList &fields);
    void onDeviceUnavailableMessage(const QStringList &fields);

    QLocalServer m_server;
    QPointer<QLocalSocket> m_client;
};

#endif // MESSAGESHANDLER_H
