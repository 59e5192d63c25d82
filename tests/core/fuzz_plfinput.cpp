// libFuzzer target for the ".plf" reader: arbitrary bytes are read as a
// library file; whatever it yields is written back and read again, and that
// second reading must give back every protocol by name. Built with
// -DTHERMOX_FUZZ=ON by clang; run as:
//   mkdir -p corpus
//   fuzz_plfinput -max_total_time=600 -dict=tests/core/fuzz_plfinput.dict
//       corpus tests/core/fuzz_plfinput_seeds
// The seeds are also read in every run of the suite (tst_plfseeds).
#include "../fuzzprocess.h"
#include "core/programexporter.h"
#include "program/programv1.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cstdint>

namespace {

QString scratchPath(const char *name)
{
    return QDir::temp().filePath(QStringLiteral("fuzz_plfinput-%1-%2")
                                     .arg(QCoreApplication::applicationPid())
                                     .arg(QLatin1String(name)));
}

bool writeInput(const QString &path, const uint8_t *data, size_t size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
}

// A record as the library turns it back into a firmware-1 program.
ProgramPtr programOf(const QJsonObject &record)
{
    const QByteArray steps =
        QJsonDocument(record.value(QStringLiteral("protocol_array")).toArray()).toJson();
    return ProgramPtr(
        new ProgramV1(record.value(QStringLiteral("name")).toString(), steps,
                      Program::ProgramType(record.value(QStringLiteral("type")).toInt())));
}

} // namespace

// Only libFuzzer calls this; the seed test keeps its own application and log.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    prepareFuzzProcess();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = scratchPath("input.plf");
    if (!writeInput(input, data, size))
        return 0;
    ProgramExporter exporter;
    ProgramList programs;
    QObject::connect(
        &exporter, &ProgramExporter::programImported,
        [&programs](const QJsonObject &record) { programs.append(programOf(record)); });
    fuzzCheck(exporter.importProgramLibraryFromFile(input) == programs.size());

    QStringList written;
    for (const ProgramPtr &program : programs)
        written.append(program->name());
    const QString output = scratchPath("output.plf");
    fuzzCheck(exporter.exportProgramLibraryToFile(output, programs));
    QStringList readBack;
    QObject::connect(&exporter, &ProgramExporter::programImported,
                     [&readBack](const QJsonObject &record) {
                         readBack.append(record.value(QStringLiteral("name")).toString());
                     });
    programs.clear();
    exporter.importProgramLibraryFromFile(output);
    fuzzCheck(readBack == written);
    return 0;
}
