#include "logwatch.h"
#include "messageshandler.h"

#include <QBluetoothAddress>
#include <QLocalSocket>
#include <QtTest>

namespace {
const QString ProgramName = QStringLiteral("CorvexRunner");

QByteArray message(const QStringList &fields)
{
    QByteArray bytes;
    for (const QString &field : fields)
        bytes.append(field.toUtf8()).append('\0');
    return bytes;
}
} // namespace

// The handler's server with the test as the scanner program.
class TestMessagesHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QBluetoothDeviceInfo>(); }
    void serverName();
    void acceptedMessages();
    void rejectedMessages_data();
    void rejectedMessages();
    void latestConnectionIsThePeer();
    void staleSocketFileDoesNotBlockListening();

private:
    // A client of the handler, once the handler has taken it as its peer.
    std::unique_ptr<QLocalSocket> connectClient(MessagesHandler &handler);
};

std::unique_ptr<QLocalSocket> TestMessagesHandler::connectClient(MessagesHandler &handler)
{
    QSignalSpy ready(&handler, &MessagesHandler::ready);
    auto client = std::make_unique<QLocalSocket>();
    client->connectToServer(MessagesHandler::serverName(ProgramName));
    if (!client->waitForConnected(5000) || !ready.wait(5000))
        return nullptr;
    return client;
}

void TestMessagesHandler::serverName()
{
    QCOMPARE(MessagesHandler::serverName(ProgramName),
             QStringLiteral("Vornell_Thermox_CorvexRunner"));
}

void TestMessagesHandler::acceptedMessages()
{
    MessagesHandler handler(ProgramName);
    QVERIFY(handler.isListening());
    auto client = connectClient(handler);
    QVERIFY(client);
    QSignalSpy available(&handler, &MessagesHandler::deviceAvailableMessageReceived);
    QSignalSpy unavailable(&handler, &MessagesHandler::deviceUnavailableMessageReceived);

    client->write(message({QStringLiteral("DEVICE_AVAILABLE"), QStringLiteral("C0:FF:EE:00:00:01"),
                           QStringLiteral("vela16-Lab")}));
    QVERIFY(available.wait());
    const auto info = available.first().first().value<QBluetoothDeviceInfo>();
    QCOMPARE(info.address().toString(), QStringLiteral("C0:FF:EE:00:00:01"));
    QCOMPARE(info.name(), QStringLiteral("vela16-Lab"));

    client->write(
        message({QStringLiteral("DEVICE_UNAVAILABLE"), QStringLiteral("C0:FF:EE:00:00:01")}));
    QVERIFY(unavailable.wait());
    QCOMPARE(unavailable.first().first().toString(), QStringLiteral("C0:FF:EE:00:00:01"));

    // Outgoing: fields each closed by a NUL.
    handler.send(QStringLiteral("DEVICE_UNAVAILABLE"), {QStringLiteral("C0:FF:EE:00:00:01")});
    handler.send(QStringLiteral("START"));
    const QByteArray expected = QByteArray("DEVICE_UNAVAILABLE\0C0:FF:EE:00:00:01\0START\0", 43);
    QByteArray received;
    while (received.size() < expected.size() && client->waitForReadyRead(5000))
        received += client->readAll();
    QCOMPARE(received, expected);
}

void TestMessagesHandler::rejectedMessages_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("warning");

    const QString address = QStringLiteral("C0:FF:EE:00:00:01");
    QTest::newRow("three fields after DEVICE_AVAILABLE")
        << message({QStringLiteral("DEVICE_AVAILABLE"), address, QStringLiteral("vela16"),
                    QStringLiteral("extra")})
        << QStringLiteral("^Received an invalid device available message: ");
    QTest::newRow("one field after DEVICE_AVAILABLE")
        << message({QStringLiteral("DEVICE_AVAILABLE"), address})
        << QStringLiteral("^Received an invalid device available message: ");
    QTest::newRow("two messages in one read")
        << message({QStringLiteral("DEVICE_AVAILABLE"), address, QStringLiteral("vela16")}) +
               message({QStringLiteral("DEVICE_AVAILABLE"), QStringLiteral("C0:FF:EE:00:00:02"),
                        QStringLiteral("vela16")})
        << QStringLiteral("^Received an invalid device available message: ");
    QTest::newRow("no address") << message({QStringLiteral("DEVICE_AVAILABLE"),
                                            QStringLiteral("kitchen"), QStringLiteral("vela16")})
                                << QStringLiteral("^Wrong bluetooth info received: ");
    QTest::newRow("DEVICE_UNAVAILABLE without an id")
        << message({QStringLiteral("DEVICE_UNAVAILABLE")})
        << QStringLiteral("^Received an invalid device unavailable message: ");
    QTest::newRow("unknown name") << message({QStringLiteral("HELLO"), address})
                                  << QStringLiteral("^Unknown mesaage received ");
    QTest::newRow("only NULs") << QByteArray(4, '\0')
                               << QStringLiteral("^Unknown mesaage received ");
}

void TestMessagesHandler::rejectedMessages()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, warning);
    MessagesHandler handler(ProgramName);
    auto client = connectClient(handler);
    QVERIFY(client);
    QSignalSpy available(&handler, &MessagesHandler::deviceAvailableMessageReceived);
    QSignalSpy unavailable(&handler, &MessagesHandler::deviceUnavailableMessageReceived);
    LogWatch log;
    const QRegularExpression expected(warning);

    client->write(bytes);
    QTRY_COMPARE(log.count(expected), 1);
    // The conversation goes on.
    client->write(message({QStringLiteral("DEVICE_UNAVAILABLE"), QStringLiteral("next")}));
    QVERIFY(unavailable.wait());

    QCOMPARE(unavailable.count(), 1);
    QCOMPARE(unavailable.first().first().toString(), QStringLiteral("next"));
    QVERIFY(available.isEmpty());
    QCOMPARE(log.unexpectedWarnings({expected}), QStringList());
}

void TestMessagesHandler::latestConnectionIsThePeer()
{
    MessagesHandler handler(ProgramName);
    auto first = connectClient(handler);
    auto second = connectClient(handler);
    QVERIFY(first && second);

    handler.send(QStringLiteral("START"));

    QVERIFY(second->waitForReadyRead(5000));
    QCOMPARE(second->readAll(), QByteArray("START\0", 6));
    QVERIFY(!first->waitForReadyRead(100));
}

void TestMessagesHandler::staleSocketFileDoesNotBlockListening()
{
    // What a process that ended without closing its server leaves behind.
    QFile stale(QDir(QDir::tempPath()).filePath(MessagesHandler::serverName(ProgramName)));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();

    MessagesHandler handler(ProgramName);

    QVERIFY(handler.isListening());
    QVERIFY(connectClient(handler));
}

QTEST_GUILESS_MAIN(TestMessagesHandler)
#include "tst_messageshandler.moc"
