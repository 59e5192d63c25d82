#ifndef PROGRAMEXPORTER_H
#define PROGRAMEXPORTER_H

#include "program/program.h"

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <yaml-cpp/yaml.h>

namespace ProtocolV1 {
class PCRProtocol;
class PCRStep;
} // namespace ProtocolV1

// Writes and reads the ".plf" library file: the firmware-1 protocols in the
// machine's own step form, as YAML. Files come from other installations and
// other people, so reading never trusts them: sizes and counts are capped,
// and a record that does not make a firmware-1 protocol is skipped.
class ProgramExporter : public QObject
{
    Q_OBJECT

public:
    // Larger than any library a user keeps; bounds what a hostile file costs.
    static constexpr qint64 maxFileSize = 4 * 1024 * 1024;
    // Records (programs and documents) one import looks at before it gives up.
    static constexpr int maxRecords = 10000;
    // YAML nodes a file may hold: some 3,000 firmware-1 PCR protocols.
    static constexpr int maxNodes = 250000;

    explicit ProgramExporter(QObject *parent = nullptr);

    // Writes the whole file or nothing; false when it could not be written.
    bool exportProgramLibraryToFile(const QString &path, const ProgramList &programs);
    // Emits programImported per protocol read; returns their number.
    int importProgramLibraryFromFile(const QString &path);

signals:
    void programImported(QJsonObject program);

private:
    int importDocuments(const std::vector<YAML::Node> &documents);
    bool importProgram(const YAML::Node &programNode);
};

// YAML conversions of the file's parts. The readers throw yaml-cpp's
// exceptions on a missing key or a value that does not convert, as yaml-cpp's
// own conversions do; ProgramExporter catches them.
YAML::Emitter &operator<<(YAML::Emitter &out, const QList<QSharedPointer<Program>> &programs);
YAML::Emitter &operator<<(YAML::Emitter &out, const ProtocolV1::PCRProtocol &protocol);
YAML::Emitter &operator<<(YAML::Emitter &out, const ProtocolV1::PCRStep &step);
void operator>>(const YAML::Node &node, ProtocolV1::PCRProtocol &protocol);
void operator>>(const YAML::Node &node, ProtocolV1::PCRStep &step);

#endif // PROGRAMEXPORTER_H
