#include "scannerprogram.h"

#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

QString ScannerProgram::name()
{
    return QStringLiteral("CorvexRunner");
}

QString ScannerProgram::filePath()
{
    // The library that holds this function is the plug-in.
    Dl_info library{};
    if (!dladdr(reinterpret_cast<const void *>(&ScannerProgram::filePath), &library) ||
        !library.dli_fname)
        return name();
    const QString folder = QFileInfo(QString::fromLocal8Bit(library.dli_fname)).absolutePath();
    return QDir(folder).filePath(name());
}
