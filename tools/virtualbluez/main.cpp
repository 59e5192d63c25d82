// virtualbluez: a Bluetooth daemon on the system bus whose peripherals are
// virtual vela16s, for running the program's BLE plug-in on virtual machines.
//
// Start it on a private bus (see virtualbluez-bus.conf) with
// DBUS_SYSTEM_BUS_ADDRESS pointing there; give the program the same address
// and BLUETOOTH_FORCE_DBUS_LE_VERSION=5.66. The machines on the air at start
// are THERMOX_VIRTUAL_BLE_MACHINES (MODEL[:SERIAL[:NAME]],...; by default one
// vela16) at the speed factor THERMOX_VIRTUAL_SPEED. "virtualpcrctl --ble"
// controls them (socket THERMOX_VIRTUAL_BLE_SOCKET, else "thermox-virtualbluez").

#include "controlsocket.h"
#include "machineconfig.h"
#include "virtualbluez.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDebug>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qCritical().noquote() << "virtualbluez: no system bus:" << bus.lastError().message();
        return 1;
    }
    VirtualBluez bluez(bus);
    if (!bluez.start())
        return 1;
    bluez.setDefaultSpeed(MachineConfig::speedFromEnvironment());
    for (const MachineConfig &config :
         MachineConfig::fromEnvironment("THERMOX_VIRTUAL_BLE_MACHINES", "vela16")) {
        QString error;
        if (bluez.addMachine(config, &error).isEmpty())
            qWarning().noquote() << "virtualbluez:" << error;
    }
    const QString socketPath =
        ControlSocket::path(ControlSocket::nameFromEnvironment(ControlSocket::BleMachines));
    if (!socketPath.isEmpty())
        bluez.listenForControl(socketPath);
    // What a script starting the daemon waits for before it starts a client.
    QTextStream(stdout) << "ready" << Qt::endl;
    return app.exec();
}
