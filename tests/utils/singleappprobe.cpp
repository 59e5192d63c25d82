// A second program instance for the single-instance tests.
// Usage: singleappprobe <application name> once|stay
//   once: exit 0 when this would be the only instance, 1 otherwise.
//   stay: as once, but keep listening (and print "listening") until killed.
#include "utils/singleappmanager.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    QCoreApplication::setApplicationName(QString::fromLocal8Bit(argv[1]));
    if (!SingleAppManager::instance()->tryToRun())
        return 1;
    if (qstrcmp(argv[2], "stay") != 0)
        return 0;
    std::printf("listening\n");
    std::fflush(stdout);
    return app.exec();
}
