#include "qmlregistration.h"
#include "signalquitter.h"

#include "containers/chartdata.h"
#include "core/applocalstorage.h"
#include "core/bluetooth/platform/win/blemessagebox.h"
#include "core/pcrcore.h"
#include "core/translation.h"
#include "protocol/protobuflog.h"
#include "utils/commandline.h"
#include "utils/mlog.h"
#include "utils/pcrconst.h"
#include "utils/singleappmanager.h"

#include <QApplication>
#include <QDebug>
#include <QFont>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QSysInfo>
#include <QTranslator>
#include <QWindow>

namespace {

void raiseAllWindows()
{
    const auto windows = QGuiApplication::topLevelWindows();
    for (QWindow *window : windows) {
        window->raise();
        window->requestActivate();
    }
}

void logSystemInfo()
{
    qInfo() << "Sys info" << QSysInfo::machineHostName() << QSysInfo::prettyProductName()
            << QSysInfo::productType() << QSysInfo::productVersion();
}

void checkBluetoothSupport()
{
    if (PCRConst::isBluetoothAvailable()) {
        qInfo() << "Application runs on Windows 10+";
        return;
    }
    qInfo() << "Application runs on Windows 8.1 or lower, Bluetooth Low Energy is not supported";
    BleMessageBox messageBox;
    if (messageBox.needShowMessage())
        messageBox.show();
}

// The translators stay with the application until it ends.
void installTranslators()
{
    bool failed = false;
    const QList<QTranslator *> translators = Translation::getTranslators(failed);
    if (failed) {
        qWarning() << "Failed to load translation";
        return;
    }
    for (QTranslator *translator : translators) {
        if (!translator)
            qWarning() << "Failed to install translation, bad QTranslator object";
        if (!QCoreApplication::installTranslator(translator))
            qWarning() << "Failed to install translation";
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_UseDesktopOpenGL);
    QApplication app(argc, argv);
    SignalQuitter::install(&app);
    QCoreApplication::setOrganizationName(QStringLiteral("Vornell"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("vornell.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Thermox"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0.1"));
    // Lets the desktop match the window with the installed entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(THERMOX_APP_ID));

    MLog::instance();
    routeProtobufLogsToQt();

    SingleAppManager *singleApp = SingleAppManager::instance();
    if (!singleApp->tryToRun())
        return 1;
    QObject::connect(singleApp, &SingleAppManager::anotherAppStarted, &app, &raiseAllWindows);

    if (hasVerboseSwitch(QCoreApplication::arguments()))
        MLog::instance()->setVerboseWithoutSaving(true);
    MLog::instance()->enableLogToFile(QCoreApplication::applicationName());
    logSystemInfo();

    QQmlApplicationEngine engine;
    checkBluetoothSupport();
    engine.addImportPath(QStringLiteral("qrc:/qml"));
    engine.addImportPath(QStringLiteral("qrc:/qml/Common"));
    engine.addImportPath(QStringLiteral("qrc:/qml/Desktop"));
    AppLocalStorage::initDataPath();
    installTranslators();

    PcrCore core(&engine);
    // The library and the devices load once the main window exists.
    QObject::connect(&engine, &QQmlApplicationEngine::objectCreated, &core, [&core] {
        QMetaObject::invokeMethod(core.storage(), &AppLocalStorage::loadData, Qt::QueuedConnection);
    });

    engine.rootContext()->setContextProperty(QStringLiteral("dpiScale"), 1);
    qRegisterMetaType<ChartData>("ChartData");
    const QFont applicationFont(QStringLiteral("Lato"));
    QGuiApplication::setFont(applicationFont);
    auto *constants = new PCRConst(&engine);
    setContextProperties(engine.rootContext(), &core, constants);
    registerQmlTypes();

    const QUrl mainWindow(QStringLiteral("qrc:/main"));
    engine.load(mainWindow);
    qInfo() << "Main window loaded from" << mainWindow;
    const int exitCode = app.exec();
    // The window goes before the core it shows, so that no binding reads a
    // destroyed object.
    qDeleteAll(engine.rootObjects());
    return exitCode;
}
