// How the library page copes with a large library: 2,000 protocols.
//  (a) sorting: RunningProtocolsModel::setSortRole for each of the page's
//      four keys, on the model alone and with the page showing the list
//      (the sort plus the next frame);
//  (b) scrolling: the real library page in an offscreen window, the list
//      moved 40 pixels per frame from top to bottom, each frame rendered
//      (polish, sync, render) and timed.
// A plain program: it prints figures, it does not pass or fail. Build it in
// a Release tree (see bench/CMakeLists.txt) and run it niced on a shared
// machine: nice -n 10 build/bench/bin/librarybench

#include "benchoutput.h"
#include "libraryrecords.h"

#include "core/applocalstorage.h"
#include "core/pcrcore.h"
#include "main/qmlregistration.h"
#include "models/protocolsmodel.h"
#include "models/runningprotocolsmodel.h"
#include "utils/pcrconst.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QSGRendererInterface>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

using namespace BenchOutput;

constexpr int Protocols = 2000;
constexpr int SortRuns = 7;
constexpr int ScrollStep = 40;

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1));
    return values.at(index);
}

double milliseconds(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Distinct names, use counts, favourites and last uses, so that every key
// really reorders the library.
void fillLibrary(ProtocolsModel &protocols)
{
    const QDateTime start(QDate(2024, 3, 1), QTime(8, 30));
    const QList<QJsonObject> records = LibraryRecords::distinctRecords(Protocols);
    for (int index = 0; index < records.size(); ++index) {
        QJsonObject record = records.at(index);
        record.insert(QStringLiteral("name"), QStringLiteral("P%1").arg((index * 7919) % Protocols));
        record.insert(QStringLiteral("lastUsed"),
                      start.addSecs((index * 104729) % 86400).toString(Qt::ISODate));
        protocols.addProtocolFromJson(record);
    }
}

struct SortKey
{
    const char *name;
    RunningProtocolsModel::SortRoles role;
};

const SortKey sortKeys[] = {{"Most used", RunningProtocolsModel::MostUsedRole},
                            {"A-Z", RunningProtocolsModel::AZProtocolNameRole},
                            {"Recent", RunningProtocolsModel::RecentRole},
                            {"Favorites", RunningProtocolsModel::FavoriteRole}};

// Median time of switching to each key from another one; with a view, the
// frame that shows the new order is included.
void benchSort(RunningProtocolsModel &model, QQuickView *view)
{
    for (const SortKey &key : sortKeys) {
        std::vector<double> times;
        for (int run = 0; run < SortRuns; ++run) {
            model.setSortRole(RunningProtocolsModel::NoneRole);
            if (view)
                view->grabWindow();
            QElapsedTimer timer;
            timer.start();
            model.setSortRole(key.role);
            if (view)
                view->grabWindow();
            times.push_back(milliseconds(timer));
        }
        out() << QStringLiteral("  %1: median %2 ms, worst %3 ms\n")
                     .arg(QString::fromLatin1(key.name), -10)
                     .arg(percentile(times, 0.5), 0, 'f', 2)
                     .arg(percentile(times, 1.0), 0, 'f', 2);
    }
}

void benchScroll(QQuickView &view)
{
    auto *list = view.rootObject()->findChild<QQuickItem *>(QStringLiteral("libraryListView"));
    if (!list) {
        out() << "  the page has no list view\n";
        return;
    }
    const double contentHeight = list->property("contentHeight").toDouble();
    const double end = contentHeight - list->height();
    std::vector<double> frames;
    for (double y = 0; y <= end; y += ScrollStep) {
        QElapsedTimer timer;
        timer.start();
        list->setProperty("contentY", y);
        view.grabWindow();
        frames.push_back(milliseconds(timer));
    }
    out() << QStringLiteral("  %1 frames over %2 px: median %3 ms, 95th %4 ms, worst %5 ms\n")
                 .arg(frames.size())
                 .arg(end, 0, 'f', 0)
                 .arg(percentile(frames, 0.5), 0, 'f', 2)
                 .arg(percentile(frames, 0.95), 0, 'f', 2)
                 .arg(percentile(frames, 1.0), 0, 'f', 2);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietHandler);
    // The offscreen platform has no OpenGL; the software renderer draws
    // every pixel on the CPU, which makes these figures an upper bound.
    QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QTemporaryDir data;
    AppLocalStorage::setDataPath(data.path());

    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qml"));
    engine.addImportPath(QStringLiteral("qrc:/qml/Common"));
    engine.addImportPath(QStringLiteral("qrc:/qml/Desktop"));
    auto *core = new PcrCore(&engine);
    setContextProperties(engine.rootContext(), core, new PCRConst(&engine));
    registerQmlTypes();

    QElapsedTimer fill;
    fill.start();
    fillLibrary(*core->protocolsModel());
    out() << QStringLiteral("%1 protocols loaded in %2 ms\n")
                 .arg(core->protocolsModel()->count())
                 .arg(milliseconds(fill), 0, 'f', 0);

    RunningProtocolsModel &model = *core->runningProtocolsModel();
    out() << "(a) sorting, model alone:\n";
    benchSort(model, nullptr);

    QQuickView view(&engine, nullptr);
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.resize(1280 - 224, 768);
    QElapsedTimer first;
    first.start();
    view.setSource(QUrl(QStringLiteral("qrc:/qml/Desktop/Pages/LibraryPage.qml")));
    if (view.status() != QQuickView::Ready) {
        out() << "the library page did not load\n";
        return 1;
    }
    view.show();
    view.grabWindow();
    out() << QStringLiteral("library page created and first frame drawn in %1 ms\n")
                 .arg(milliseconds(first), 0, 'f', 1);

    out() << "(a) sorting, with the page showing the list:\n";
    benchSort(model, &view);
    model.setSortRole(RunningProtocolsModel::AZProtocolNameRole);
    out() << "(b) scrolling the library page (1056 x 768):\n";
    benchScroll(view);
    out().flush();
    return 0;
}
