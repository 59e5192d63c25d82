// virtualpcrctl: adds, removes and faults the virtual machines of a program
// running on the virtual hidapi library, over its control socket.
//
//   virtualpcrctl [--ble] [--socket NAME] COMMAND [ARGUMENTS...]
//
// "virtualpcrctl help" lists the commands. The socket name defaults to
// THERMOX_VIRTUAL_SOCKET, else "thermox-virtualpcr"; with --ble, the BLE
// machines of the virtual Bluetooth daemon are meant: THERMOX_VIRTUAL_BLE_SOCKET,
// else "thermox-virtualbluez". A bare name is looked for in the user's
// runtime folder, where the machines listen.

#include "controlclient.h"
#include "controlsocket.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

QString serverName(QStringList &arguments)
{
    const auto machines = arguments.removeAll(QStringLiteral("--ble")) > 0
                              ? ControlSocket::BleMachines
                              : ControlSocket::UsbMachines;
    const int option = arguments.indexOf(QStringLiteral("--socket"));
    if (option >= 0 && option + 1 < arguments.size()) {
        const QString name = arguments.at(option + 1);
        arguments.erase(arguments.begin() + option, arguments.begin() + option + 2);
        return name;
    }
    const QString fromEnvironment = ControlSocket::nameFromEnvironment(machines);
    return fromEnvironment.isEmpty() ? ControlSocket::defaultName(machines) : fromEnvironment;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const QString server = ControlSocket::path(serverName(arguments));
    if (arguments.isEmpty()) {
        QTextStream(stderr)
            << "usage: virtualpcrctl [--ble] [--socket NAME] COMMAND [ARGUMENTS...]\n"
               "       virtualpcrctl help\n";
        return 2;
    }

    ControlClient client;
    QObject::connect(&client, &ControlClient::finished, &app, [&app](int exitCode, QString reply) {
        QTextStream(exitCode == 0 ? stdout : stderr) << reply << '\n';
        app.exit(exitCode);
    });
    // Sent once the event loop runs, so that even an immediate failure ends it.
    const QString commandLine = arguments.join(QLatin1Char(' '));
    QMetaObject::invokeMethod(
        &client, [&client, server, commandLine] { client.send(server, commandLine); },
        Qt::QueuedConnection);
    return app.exec();
}
