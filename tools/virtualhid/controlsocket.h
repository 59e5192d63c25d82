#ifndef CONTROLSOCKET_H
#define CONTROLSOCKET_H

#include <QString>

// Where the virtual machines' control server listens and the control tool
// looks: a socket in the user's runtime folder, so that each user of a
// computer reaches only their own machines. Shared by both sides so that
// they always agree.
class ControlSocket
{
public:
    // The USB machines live in the program; the BLE machines in the
    // virtual Bluetooth daemon, which listens on a socket of its own.
    enum Machines { UsbMachines, BleMachines };

    static QString defaultName(Machines machines = UsbMachines);
    // The name THERMOX_VIRTUAL_SOCKET (THERMOX_VIRTUAL_BLE_SOCKET) gives,
    // the default name when it is not set; empty when it is set to nothing.
    static QString nameFromEnvironment(Machines machines = UsbMachines);
    // A bare name goes into the runtime folder; a path stays as it is; an
    // empty name has no path.
    static QString path(const QString &name);
};

#endif // CONTROLSOCKET_H
