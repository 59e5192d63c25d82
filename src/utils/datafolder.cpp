#include "datafolder.h"

#include <QStandardPaths>

QString dataFolderPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/ThermoxData");
}

QString settingsFilePath()
{
    return dataFolderPath() + QStringLiteral("/settings.ini");
}
