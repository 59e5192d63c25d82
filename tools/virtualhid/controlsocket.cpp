#include "controlsocket.h"

#include <QDir>
#include <QStandardPaths>

QString ControlSocket::defaultName(Machines machines)
{
    return machines == UsbMachines ? QStringLiteral("thermox-virtualpcr")
                                   : QStringLiteral("thermox-virtualbluez");
}

QString ControlSocket::nameFromEnvironment(Machines machines)
{
    const char *const variable =
        machines == UsbMachines ? "THERMOX_VIRTUAL_SOCKET" : "THERMOX_VIRTUAL_BLE_SOCKET";
    return qEnvironmentVariableIsSet(variable) ? qEnvironmentVariable(variable)
                                               : defaultName(machines);
}

QString ControlSocket::path(const QString &name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return name;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    // Qt has said why there is none; a socket only we can reach still works there.
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(name);
}
