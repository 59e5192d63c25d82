// What loading the protocol library costs: 2,000 library records handed to
// ProtocolsModel::addProtocolFromJson one by one, as the start-up load does,
// each looked for among the programs already loaded before it is added.
//  (a) a library of distinct protocols (the usual start-up load);
//  (b) the same records again into the full library (an import of a file
//      the library already holds: every record finds its equal);
//  (c) 2,000 records under one name with different contents (every one is
//      added under the next free numbered name);
//  (d) the equality search alone: findEqualProtocol, strict and loose, for a
//      program absent from the full library.
// A plain program: it prints figures, it does not pass or fail. Build it in
// a Release tree (see bench/CMakeLists.txt) and run it niced on a shared
// machine: nice -n 10 build/bench/bin/protocolsbench [a b c d]

#include "benchoutput.h"
#include "libraryrecords.h"
#include "models/protocolsmodel.h"
#include "program/programv3.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <functional>
#include <utility>
#include <vector>

namespace {

using namespace BenchOutput;
using namespace LibraryRecords;

constexpr int Records = 2000;
constexpr int Runs = 7;

QList<QJsonObject> sameNameRecords()
{
    QList<QJsonObject> records;
    for (int index = 0; index < Records; ++index)
        records.append(record(index, QStringLiteral("PCR")));
    return records;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// The parts named on the command line ("a c"), or all of them.
bool wanted(char part)
{
    const QStringList parts = QCoreApplication::arguments().mid(1);
    return parts.isEmpty() || parts.contains(QString(QLatin1Char(part)));
}

// Wall time and this thread's CPU time of a measured part: on a shared
// machine the CPU time is the figure that does not depend on the others.
class Stopwatch
{
public:
    Stopwatch()
        : m_cpuStart(cpuNanoseconds())
    {
        m_wall.start();
    }
    std::pair<double, double> milliseconds() const
    {
        return {m_wall.nsecsElapsed() / 1e6, (cpuNanoseconds() - m_cpuStart) / 1e6};
    }

private:
    static qint64 cpuNanoseconds()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    }

    QElapsedTimer m_wall;
    qint64 m_cpuStart;
};

QString spread(std::vector<double> values)
{
    const auto [least, most] = std::minmax_element(values.begin(), values.end());
    return QStringLiteral("median %1 ms (%2 - %3)")
        .arg(median(values), 0, 'f', 2)
        .arg(*least, 0, 'f', 2)
        .arg(*most, 0, 'f', 2);
}

// Runs `work`, which answers the times of the part it measures, over fresh
// set-ups; prints the medians and the spreads.
void measure(const QString &title, const std::function<std::pair<double, double>()> &work)
{
    if (!wanted(title.at(1).toLatin1()))
        return;
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int run = 0; run < Runs; ++run) {
        const auto [wallMs, cpuMs] = work();
        wall.push_back(wallMs);
        cpu.push_back(cpuMs);
    }
    out() << title << ", " << Runs << " runs:\n  wall " << spread(wall) << "\n  CPU  "
          << spread(cpu) << "\n";
    out().flush();
}

int loadAll(ProtocolsModel &model, const QList<QJsonObject> &records)
{
    int added = 0;
    for (const QJsonObject &each : records)
        added += model.addProtocolFromJson(each) >= 0 ? 1 : 0;
    return added;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(&quietHandler);
    const QList<QJsonObject> distinct = distinctRecords(Records);
    const QList<QJsonObject> sameName = sameNameRecords();

    measure(QStringLiteral("(a) load %1 distinct records").arg(Records), [&] {
        ProtocolsModel model;
        const Stopwatch stopwatch;
        loadAll(model, distinct);
        return stopwatch.milliseconds();
    });
    measure(QStringLiteral("(b) the same %1 records again into the full library").arg(Records),
            [&] {
                ProtocolsModel model;
                loadAll(model, distinct);
                const Stopwatch stopwatch;
                const int added = loadAll(model, distinct);
                const auto elapsed = stopwatch.milliseconds();
                if (added != Records || model.count() != Records)
                    out() << "  unexpected: the library grew to " << model.count() << "\n";
                return elapsed;
            });
    measure(QStringLiteral("(c) %1 records named PCR, contents differing").arg(Records), [&] {
        ProtocolsModel model;
        const Stopwatch stopwatch;
        loadAll(model, sameName);
        return stopwatch.milliseconds();
    });

    ProtocolsModel full;
    loadAll(full, distinct);
    const ProgramPtr absent(new ProgramV3(
        QStringLiteral("Protocol 0001"),
        QJsonDocument(QJsonArray{heatBlockStep(99999)}).toJson(QJsonDocument::Compact), true,
        Program::PT_HEAT_BLOCK));
    constexpr int Searches = 100;
    for (const bool strict : {true, false}) {
        measure(QStringLiteral("(d) %1 searches with %2 names among %3 programs, none equal")
                    .arg(Searches)
                    .arg(strict ? QStringLiteral("strict") : QStringLiteral("loose"))
                    .arg(Records),
                [&] {
                    const Stopwatch stopwatch;
                    for (int search = 0; search < Searches; ++search) {
                        if (full.findEqualProtocol(absent, strict) >= 0)
                            out() << "  unexpected: an equal program\n";
                    }
                    return stopwatch.milliseconds();
                });
    }
    return 0;
}
