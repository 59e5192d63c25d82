// What the running page costs with long runs on many machines.
//  (a) opening a tab whose machine has run for 72 hours: 259,200 temperature
//      points (one a second) and a full DNA curve, from creating the tab's
//      body to its first frame with the whole trace drawn;
//  (b) the GUI thread's time per second while 16 machines report, each
//      adding a temperature point and changing its row once per report
//      interval, with 72-hour traces behind them and the page showing one of
//      them (the others are tab heads); "still" shows a step without the PCR
//      animation, which otherwise asks for a frame at every vsync.
// A plain program: it prints figures, it does not pass or fail. Build it in
// a Release tree and run it niced on a shared machine, without a display:
//   export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
//   nice -n 10 build/release/bin/runningbench [a] [b] [still] [interval-ms]

#include "containers/dnachartdatacontainer.h"
#include "containers/tempchartdatacontainer.h"
#include "core/applocalstorage.h"
#include "core/pcrcore.h"
#include "main/qmlregistration.h"
#include "utils/pcrconst.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr int TraceSeconds = 72 * 3600;
constexpr int Machines = 16;
constexpr int Runs = 7;
constexpr int MeasuredSeconds = 10;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        QTextStream(stderr) << message << '\n';
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

double temperatureAt(int second)
{
    // Cycling between 95, 55 and 72 degrees, as a PCR run does.
    static const double phases[] = {95.0, 55.0, 72.0};
    return phases[(second / 30) % 3] + std::sin(second) * 0.3;
}

// One machine: its series and its row's values.
struct Machine
{
    std::unique_ptr<TempChartDataContainer> temperatures =
        std::make_unique<TempChartDataContainer>();
    std::unique_ptr<DnaChartDataContainer> dna = std::make_unique<DnaChartDataContainer>();
    int seconds = 0;

    void fill(int count)
    {
        for (; seconds < count; ++seconds)
            temperatures->append({double(seconds), temperatureAt(seconds)});
        dna->followCycle(PCRConst::SN_EXTENSION, 40);
    }
};

QStandardItem *rowOf(const Machine &machine, int id, bool animated = true)
{
    auto *item = new QStandardItem;
    const QVector<QPair<const char *, QVariant>> roles{
        {"deviceId", id},
        {"deviceName", QStringLiteral("vela16 %1").arg(id)},
        {"protocolName", QStringLiteral("Long PCR %1").arg(id)},
        {"deviceStatusName", QStringLiteral("Running")},
        {"deviceStatus", int(PCRConst::DS_RUNNING)},
        {"deviceObject", QVariant::fromValue<QObject *>(nullptr)},
        {"protocolTime", machine.seconds},
        {"protocolRemainingTime", 3600},
        {"protocolStepTime", 12},
        {"protocolStepType", int(animated ? PCRConst::SN_EXTENSION : PCRConst::SN_CYCLE)},
        {"protocolStepName", QStringLiteral("Extension")},
        {"protocolIsPCRStyleStep", true},
        {"protocolIsFlex", false},
        {"protocolHadPCRStyleStep", true},
        {"protocolIsFinished", false},
        {"protocolFlexStepNumber", 0},
        {"protocolFlexStepName", QString()},
        {"protocolCurrentStepCurrentCycle", 40},
        {"protocolCurrentStepTotalCycle", 45},
        {"protocolCurrentCycle", 40},
        {"protocolTotalCycle", 45},
        {"powerIsConnected", true},
        {"isConnected", true},
        {"sampleTemperature", 72.0},
        {"lidTemperature", 105.0},
        {"tempChartData", QVariant::fromValue<QObject *>(machine.temperatures.get())},
        {"tempChartDataTotalTime", TraceSeconds + 3600},
        {"dnaChartData", QVariant::fromValue<QObject *>(machine.dna.get())},
        {"protocolPropertyModel", QVariant::fromValue<QObject *>(nullptr)}};
    for (int role = 0; role < roles.size(); ++role)
        item->setData(roles.at(role).second, Qt::UserRole + role);
    return item;
}

QHash<int, QByteArray> roleNames()
{
    const QList<QByteArray> names{"deviceId",
                                  "deviceName",
                                  "protocolName",
                                  "deviceStatusName",
                                  "deviceStatus",
                                  "deviceObject",
                                  "protocolTime",
                                  "protocolRemainingTime",
                                  "protocolStepTime",
                                  "protocolStepType",
                                  "protocolStepName",
                                  "protocolIsPCRStyleStep",
                                  "protocolIsFlex",
                                  "protocolHadPCRStyleStep",
                                  "protocolIsFinished",
                                  "protocolFlexStepNumber",
                                  "protocolFlexStepName",
                                  "protocolCurrentStepCurrentCycle",
                                  "protocolCurrentStepTotalCycle",
                                  "protocolCurrentCycle",
                                  "protocolTotalCycle",
                                  "powerIsConnected",
                                  "isConnected",
                                  "sampleTemperature",
                                  "lidTemperature",
                                  "tempChartData",
                                  "tempChartDataTotalTime",
                                  "dnaChartData",
                                  "protocolPropertyModel"};
    QHash<int, QByteArray> roles;
    for (int role = 0; role < names.size(); ++role)
        roles.insert(Qt::UserRole + role, names.at(role));
    return roles;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

class Bench
{
public:
    Bench()
    {
        for (const char *path : {"qrc:/qml", "qrc:/qml/Common", "qrc:/qml/Desktop"})
            m_engine.addImportPath(QLatin1String(path));
        setContextProperties(m_engine.rootContext(), &m_core, &m_constants);
        m_window.resize(1280, 768);
        m_window.show();
        if (!QTest::qWaitForWindowExposed(&m_window))
            out() << "the window was not shown; figures without drawing\n";
    }

    // (a)
    void openTab()
    {
        Machine machine;
        machine.fill(TraceSeconds);
        QStandardItemModel model;
        model.setItemRoleNames(roleNames());
        model.appendRow(rowOf(machine, 1));
        std::vector<double> times;
        for (int run = 0; run < Runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            std::unique_ptr<QQuickItem> page = createPage(&model);
            QObject *pageObject = page.get();
            QSignalSpy frame(&m_window, &QQuickWindow::frameSwapped);
            while (!tabDrawn(pageObject, TraceSeconds))
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            m_window.update();
            frame.wait(2000);
            times.push_back(timer.nsecsElapsed() / 1e6);
        }
        out() << "(a) opening a tab with a 72-hour trace (" << TraceSeconds << " points): median "
              << median(times) << " ms, fastest " << *std::min_element(times.begin(), times.end())
              << " ms over " << Runs << " runs\n";
        out().flush();
    }

    // (b)
    void sixteenMachines(int intervalMs, bool animated)
    {
        std::vector<std::unique_ptr<Machine>> machines;
        QStandardItemModel model;
        model.setItemRoleNames(roleNames());
        for (int id = 1; id <= Machines; ++id) {
            machines.push_back(std::make_unique<Machine>());
            machines.back()->fill(TraceSeconds);
            model.appendRow(rowOf(*machines.back(), id, animated));
        }
        std::unique_ptr<QQuickItem> page = createPage(&model);
        while (!tabDrawn(page.get(), TraceSeconds))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);

        QTimer report;
        int next = 0;
        // Reports spread over the interval, as independent machines do.
        report.setInterval(std::max(1, intervalMs / Machines));
        QObject::connect(&report, &QTimer::timeout, [&] {
            Machine &machine = *machines.at(next);
            machine.temperatures->append({double(machine.seconds), temperatureAt(machine.seconds)});
            ++machine.seconds;
            QStandardItem *item = model.item(next);
            item->setData(machine.seconds, Qt::UserRole + 6);
            item->setData(temperatureAt(machine.seconds), Qt::UserRole + 23);
            next = (next + 1) % Machines;
        });
        int frames = 0;
        QObject::connect(&m_window, &QQuickWindow::frameSwapped, [&frames] { ++frames; });
        report.start();
        const double cpuStart = threadCpuMs();
        QElapsedTimer wall;
        wall.start();
        QEventLoop loop;
        QTimer::singleShot(MeasuredSeconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        const double cpu = threadCpuMs() - cpuStart;
        const double seconds = wall.nsecsElapsed() / 1e9;
        out() << "(b) " << Machines << " machines reporting every " << intervalMs
              << " ms, 72-hour traces, " << (animated ? "PCR animation on" : "no animation")
              << ": GUI thread " << cpu / seconds << " ms of CPU per second ("
              << 100.0 * cpu / (seconds * 1000) << " %), " << frames / seconds
              << " frames per second\n";
        out().flush();
    }

private:
    std::unique_ptr<QQuickItem> createPage(QAbstractItemModel *model)
    {
        QQmlComponent component(&m_engine);
        component.setData("import QtQuick 2.15\nimport Desktop.Pages 1.0\nRunningPage { width: "
                          "1280; height: 768 }",
                          QUrl(QStringLiteral("qrc:/bench/page.qml")));
        QObject *created = component.createWithInitialProperties(
            {{QStringLiteral("runningModel"), QVariant::fromValue<QObject *>(model)}},
            m_engine.rootContext());
        auto *item = qobject_cast<QQuickItem *>(created);
        item->setParentItem(m_window.contentItem());
        return std::unique_ptr<QQuickItem>(item);
    }

    static bool tabDrawn(QObject *page, int points)
    {
        QObject *body = page->property("currentBody").value<QObject *>();
        QObject *chart = body ? body->property("tempChart").value<QObject *>() : nullptr;
        return chart && chart->property("shownCount").toInt() == points;
    }

    PcrCore m_core;
    PCRConst m_constants;
    QQmlEngine m_engine;
    QQuickWindow m_window;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    qInstallMessageHandler(quietHandler);
    registerQmlTypes();
    // The core saves its (empty) library and machine list somewhere harmless.
    QTemporaryDir dataDir;
    AppLocalStorage::setDataPath(dataDir.path());
    const QStringList arguments = app.arguments().mid(1);
    const bool all = arguments.filter(QRegularExpression(QStringLiteral("^[ab]$"))).isEmpty();
    int interval = 1000;
    for (const QString &argument : arguments) {
        bool ok = false;
        const int value = argument.toInt(&ok);
        if (ok && value > 0)
            interval = value;
    }
    Bench bench;
    if (all || arguments.contains(QStringLiteral("a")))
        bench.openTab();
    if (all || arguments.contains(QStringLiteral("b")))
        bench.sixteenMachines(interval, !arguments.contains(QStringLiteral("still")));
    return 0;
}
