#include "controlsocket.h"

#include <QDir>
#include <QStandardPaths>

QString ControlSocket::defaultName()
{
    return QStringLiteral("thermox-virtualpcr");
}

QString ControlSocket::nameFromEnvironment()
{
    const char *const variable = "THERMOX_VIRTUAL_SOCKET";
    return qEnvironmentVariableIsSet(variable) ? qEnvironmentVariable(variable) : defaultName();
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
