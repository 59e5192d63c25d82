#include "corvexrunner.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    CorvexRunner runner;
    QObject::connect(&runner, &CorvexRunner::finished, &application, &QCoreApplication::quit);
    runner.connectToPlugin();
    return application.exec();
}
