// A stand-in for the scanner program in the Windows finder's tests. Started by
// the finder without arguments, it takes its orders from the environment:
// FAKE_SCANNER_RECORD names a file where it writes its process id on the
// first line and then one line per message from the plug-in;
// FAKE_SCANNER_MACHINE ("ADDRESS NAME") is reported on every "START". It ends
// when the plug-in closes the connection.
#include "messageshandler.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>

namespace {
void record(const QByteArray &line)
{
    QFile file(qEnvironmentVariable("FAKE_SCANNER_RECORD"));
    if (file.open(QIODevice::Append))
        file.write(line + '\n');
}

void reportMachine(QLocalSocket &socket)
{
    const QList<QByteArray> machine = qgetenv("FAKE_SCANNER_MACHINE").split(' ');
    if (machine.size() != 2)
        return;
    socket.write(QByteArray("DEVICE_AVAILABLE") + '\0' + machine.at(0) + '\0' + machine.at(1) +
                 '\0');
    socket.flush();
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    record(QByteArray::number(QCoreApplication::applicationPid()));
    QLocalSocket socket;
    QObject::connect(&socket, &QLocalSocket::disconnected, &application, &QCoreApplication::quit);
    QObject::connect(&socket, &QLocalSocket::readyRead, [&socket] {
        const QList<QByteArray> fields = socket.readAll().split('\0');
        for (const QByteArray &field : fields) {
            if (field.isEmpty())
                continue;
            record(field);
            if (field == "START")
                reportMachine(socket);
        }
    });
    socket.connectToServer(MessagesHandler::serverName(QStringLiteral("CorvexRunner")));
    if (!socket.waitForConnected(5000))
        return 1;
    return application.exec();
}
