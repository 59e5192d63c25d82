// How soon the main window shows with a large library: a data folder with
// 2,000 stored protocols, then the program's start-up from the creation of
// the UI engine on, measured in a fresh process each run (no warm QML
// caches of an earlier run in the same process):
//   load      engine.load of "qrc:/main" returning (the window is built);
//   first     the window's first frame on screen;
//   library   the first frame after the library has been loaded (the
//             protocols are in the list).
// Times are from just before the engine is created. Run it niced on a
// shared machine, under a display or QT_QPA_PLATFORM=offscreen:
//   nice -n 10 build/bench/bin/windowbench [runs]
// A plain program: it prints figures, it does not pass or fail.

#include "containers/chartdata.h"
#include "core/applocalstorage.h"
#include "core/pcrcore.h"
#include "main/qmlregistration.h"
#include "utils/pcrconst.h"

#include "../tests/core/storagefixtures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace {

constexpr int LibraryPrograms = 2000;
constexpr int DefaultRuns = 5;
const char *const MeasureSwitch = "--measure";

QTextStream out(stdout);

void discardMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

void prepareLibrary(const QString &folder)
{
    AppLocalStorage::setDataPath(folder);
    AppLocalStorage storage;
    storage.saveProtocols(StorageFixtures::library(QStringLiteral("Protocol "), LibraryPrograms));
    storage.flush();
}

// One start-up in this process; prints "load first library" in ms.
int measure(const QString &folder)
{
    AppLocalStorage::setDataPath(folder);
    QElapsedTimer clock;
    clock.start();
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qml"));
    engine.addImportPath(QStringLiteral("qrc:/qml/Common"));
    engine.addImportPath(QStringLiteral("qrc:/qml/Desktop"));
    PcrCore core;
    qint64 loadMs = -1;
    qint64 firstFrameMs = -1;
    qint64 libraryFrameMs = -1;
    bool libraryLoaded = false;
    QObject::connect(core.storage(), &AppLocalStorage::loadCompleted, &core,
                     [&libraryLoaded] { libraryLoaded = true; });
    QObject::connect(&engine, &QQmlApplicationEngine::objectCreated, &core,
                     [&](QObject *object) {
                         QMetaObject::invokeMethod(core.storage(), &AppLocalStorage::loadData,
                                                   Qt::QueuedConnection);
                         auto *window = qobject_cast<QQuickWindow *>(object);
                         if (!window)
                             return;
                         QObject::connect(window, &QQuickWindow::frameSwapped, &core, [&, window] {
                             if (firstFrameMs < 0)
                                 firstFrameMs = clock.elapsed();
                             if (libraryLoaded && libraryFrameMs < 0) {
                                 libraryFrameMs = clock.elapsed();
                                 QCoreApplication::quit();
                             }
                             // Keep frames coming until the library is shown.
                             window->update();
                         });
                     });
    engine.rootContext()->setContextProperty(QStringLiteral("dpiScale"), 1);
    qRegisterMetaType<ChartData>("ChartData");
    QGuiApplication::setFont(QFont(QStringLiteral("Lato")));
    setContextProperties(engine.rootContext(), &core, new PCRConst(&engine));
    registerQmlTypes();
    engine.load(QUrl(QStringLiteral("qrc:/main")));
    loadMs = clock.elapsed();
    QTimer::singleShot(60000, &QCoreApplication::quit);
    QCoreApplication::exec();
    qDeleteAll(engine.rootObjects());
    out << loadMs << ' ' << firstFrameMs << ' ' << libraryFrameMs << Qt::endl;
    return libraryFrameMs < 0 ? 1 : 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int runAll(int runs)
{
    QTemporaryDir folder;
    prepareLibrary(folder.path());
    std::vector<double> figures[3];
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(MeasureSwitch), folder.path()});
        if (!child.waitForFinished(120000) || child.exitCode() != 0) {
            out << "run " << run << " failed: " << child.exitCode() << ' '
                << child.readAllStandardError().right(2000) << Qt::endl;
            return 1;
        }
        const QStringList parts = QString::fromLatin1(child.readAllStandardOutput())
                                      .trimmed()
                                      .split(QLatin1Char(' '));
        for (int i = 0; i < 3 && i < parts.size(); ++i)
            figures[i].push_back(parts.at(i).toDouble());
    }
    const char *const names[] = {"engine.load returned", "first frame", "first frame with library"};
    out << LibraryPrograms << " stored protocols, " << runs << " fresh starts (median, min-max):"
        << Qt::endl;
    for (int i = 0; i < 3; ++i) {
        out << "  " << names[i] << ": " << median(figures[i]) << " ms ("
            << *std::min_element(figures[i].begin(), figures[i].end()) << "-"
            << *std::max_element(figures[i].begin(), figures[i].end()) << ")" << Qt::endl;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // The offscreen platform has no OpenGL: without the software renderer
    // the window cannot create its scene graph and the measured child aborts.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
        QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vornell"));
    QCoreApplication::setApplicationName(QStringLiteral("Thermox"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0.1"));
    qInstallMessageHandler(discardMessages);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String(MeasureSwitch))
        return measure(arguments.at(2));
    return runAll(arguments.size() > 1 ? arguments.at(1).toInt() : DefaultRuns);
}
