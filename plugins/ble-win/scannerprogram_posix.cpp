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
    // Beside the library file itself, wherever a link to it was loaded from.
    const QFileInfo file(QString::fromLocal8Bit(library.dli_fname));
    const QString canonical = file.canonicalFilePath();
    const QString folder =
        QFileInfo(canonical.isEmpty() ? file.absoluteFilePath() : canonical).absolutePath();
    return QDir(folder).filePath(name());
}
