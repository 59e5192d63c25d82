#include "applocalstorage.h"

#include "utils/datafolder.h"

QString AppLocalStorage::s_dataPath;

void AppLocalStorage::initDataPath()
{
    s_dataPath = dataFolderPath();
}

QString AppLocalStorage::dataPath()
{
    return s_dataPath;
}
