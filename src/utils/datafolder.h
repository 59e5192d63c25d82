#ifndef DATAFOLDER_H
#define DATAFOLDER_H

#include <QString>

// Where the per-user data lives: the writable application-data location joined
// with "ThermoxData". Valid once the organisation and application names are set.
QString dataFolderPath();
QString settingsFilePath();

#endif // DATAFOLDER_H
