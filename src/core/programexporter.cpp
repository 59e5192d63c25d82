#include "programexporter.h"

#include "Pcr.pb.h"
#include "program/programv1.h"

#include <QDebug>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <yaml-cpp/eventhandler.h>

#include <cmath>
#include <sstream>
#include <string>

namespace {

const char *const libraryKey = "program library";
// A firmware-1 protocol has two or seven steps; anything longer is not one.
constexpr std::size_t maxSteps = 7;

float finiteFloat(const YAML::Node &node)
{
    const float value = node.as<float>();
    if (!std::isfinite(value))
        throw YAML::BadConversion(node.Mark());
    return value;
}

ProtocolV1::StepType stepType(const std::string &text)
{
    if (text == "linear ramp")
        return ProtocolV1::LINEAR_RAMP;
    if (text == "incubate")
        return ProtocolV1::HOLD;
    if (text == "cycle")
        return ProtocolV1::CYCLE;
    return ProtocolV1::INVALID_STEP_TYPE;
}

// The keys a step type stores its target and time under.
struct StepKeys
{
    const char *type;
    const char *target;
    const char *time;
};

const StepKeys *stepKeys(ProtocolV1::StepType type)
{
    static const StepKeys hold{"incubate", "temperature", "time"};
    static const StepKeys cycle{"cycle", "go to step", "cycle number"};
    static const StepKeys ramp{"linear ramp", "final temp", "ramp time"};
    switch (type) {
    case ProtocolV1::HOLD:
        return &hold;
    case ProtocolV1::CYCLE:
        return &cycle;
    case ProtocolV1::LINEAR_RAMP:
        return &ramp;
    default:
        return nullptr;
    }
}

void warnInvalidStepType()
{
    qWarning().noquote() << ProgramExporter::tr("Invalid Step Type in YAML parser");
}

// Counts the parser's events and stops it past maxNodes, or when it stands
// still. yaml-cpp 0.7 loops forever, emitting empty nodes at one place, on a
// "," where a document's node should start, and it builds every node of a
// document in memory (some 450 bytes each); this pass over the events, which
// keeps nothing, bounds both before the nodes are built.
class NodeBudget : public YAML::EventHandler
{
public:
    void OnDocumentStart(const YAML::Mark &mark) override { count(mark); }
    void OnDocumentEnd() override {}
    void OnNull(const YAML::Mark &mark, YAML::anchor_t) override { count(mark); }
    void OnAlias(const YAML::Mark &mark, YAML::anchor_t) override { count(mark); }
    void OnScalar(const YAML::Mark &mark, const std::string &, YAML::anchor_t,
                  const std::string &) override
    {
        count(mark);
    }
    void OnSequenceStart(const YAML::Mark &mark, const std::string &, YAML::anchor_t,
                         YAML::EmitterStyle::value) override
    {
        count(mark);
    }
    void OnSequenceEnd() override {}
    void OnMapStart(const YAML::Mark &mark, const std::string &, YAML::anchor_t,
                    YAML::EmitterStyle::value) override
    {
        count(mark);
    }
    void OnMapEnd() override {}

private:
    void count(const YAML::Mark &mark)
    {
        // A real file starts a map, its first key and a few empty nodes at
        // one place at most.
        constexpr int maxNodesInOnePlace = 100;
        m_nodesInOnePlace = mark.pos == m_lastPosition ? m_nodesInOnePlace + 1 : 0;
        m_lastPosition = mark.pos;
        if (m_nodesInOnePlace > maxNodesInOnePlace)
            throw YAML::ParserException(mark, "the reader stands still");
        if (++m_nodes > ProgramExporter::maxNodes)
            throw YAML::ParserException(
                mark, "more than " + std::to_string(ProgramExporter::maxNodes) + " nodes");
    }

    int m_nodes = 0;
    int m_lastPosition = -1;
    int m_nodesInOnePlace = 0;
};

void checkNodeBudget(const std::string &text)
{
    std::istringstream input(text);
    YAML::Parser parser(input);
    NodeBudget budget;
    while (parser.HandleNextDocument(budget)) {
    }
}

// A missing key reads as an invalid node, which throws only when asked more.
YAML::Node librarySequence(const YAML::Node &document)
{
    if (!document.IsMap())
        return YAML::Node(YAML::NodeType::Undefined);
    const YAML::Node library = document[libraryKey];
    return library && library.IsSequence() ? library : YAML::Node(YAML::NodeType::Undefined);
}

QByteArray readCapped(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (file.size() > ProgramExporter::maxFileSize) {
        qWarning().noquote() << "Import error: file larger than" << ProgramExporter::maxFileSize
                             << "bytes:" << path;
        return {};
    }
    return file.read(ProgramExporter::maxFileSize);
}

} // namespace

ProgramExporter::ProgramExporter(QObject *parent)
    : QObject(parent)
{}

bool ProgramExporter::exportProgramLibraryToFile(const QString &path, const ProgramList &programs)
{
    qInfo().noquote() << "Export program library to file:" << path;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qWarning().noquote() << QStringLiteral("Can't open file ") + path;
        return false;
    }
    YAML::Emitter emitter;
    emitter.SetOutputCharset(YAML::EscapeNonAscii);
    emitter.SetFloatPrecision(6);
    emitter.SetDoublePrecision(6);
    emitter << YAML::BeginDoc << programs << YAML::EndDoc;
    if (!emitter.good()) {
        qWarning().noquote() << QStringLiteral("Emitter error: ") +
                                    QString::fromStdString(emitter.GetLastError());
        file.cancelWriting();
        return false;
    }
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    stream << QString::fromUtf8(emitter.c_str(), int(emitter.size()));
    stream.flush();
    if (stream.status() != QTextStream::Ok || !file.commit()) {
        qWarning().noquote() << "Can't write file" << path << "-" << file.errorString();
        return false;
    }
    return true;
}

int ProgramExporter::importProgramLibraryFromFile(const QString &path)
{
    qDebug().noquote() << "Import program library from file:" << path;
    const QByteArray content = readCapped(path);
    if (content.isEmpty())
        return 0;
    std::vector<YAML::Node> documents;
    try {
        const std::string text = content.toStdString();
        checkNodeBudget(text);
        documents = YAML::LoadAll(text);
    } catch (const YAML::Exception &error) {
        qWarning().noquote() << "Import error:" << QString::fromStdString(error.what());
        return 0;
    }
    return importDocuments(documents);
}

int ProgramExporter::importDocuments(const std::vector<YAML::Node> &documents)
{
    int imported = 0;
    int records = 0;
    for (const YAML::Node &document : documents) {
        const YAML::Node library = librarySequence(document);
        if (!library) {
            qWarning().noquote() << "Import error: a document without a \"program library\"";
            ++records;
            continue;
        }
        for (const YAML::Node &programNode : library) {
            if (++records > maxRecords) {
                qWarning().noquote() << "Import stopped after" << maxRecords << "records";
                return imported;
            }
            imported += importProgram(programNode) ? 1 : 0;
        }
    }
    return imported;
}

bool ProgramExporter::importProgram(const YAML::Node &programNode)
{
    ProgramV1 program;
    try {
        if (!programNode.IsMap() || programNode["steps"].size() > maxSteps) {
            qWarning().noquote() << "Import error: not a firmware-1 protocol, skipped";
            return false;
        }
        programNode >> *program.mutablePcrProtocol();
    } catch (const YAML::Exception &error) {
        qWarning().noquote() << "Import error:" << QString::fromStdString(error.what());
        return false;
    }
    if (!program.fillFromPCRProtocol() || !program.hasFirmwareV1Shape()) {
        qWarning().noquote() << "Import error: not a firmware-1 protocol, skipped:"
                             << program.name();
        return false;
    }
    emit programImported(program.toJson());
    return true;
}

YAML::Emitter &operator<<(YAML::Emitter &out, const QList<QSharedPointer<Program>> &programs)
{
    out << YAML::BeginMap << YAML::Key << libraryKey << YAML::Value << YAML::BeginSeq;
    for (const ProgramPtr &program : programs) {
        const auto programV1 = program.dynamicCast<ProgramV1>();
        if (!programV1) {
            qWarning().noquote() << "Export skips a protocol not in firmware-1 form:"
                                 << program->name();
            continue;
        }
        qInfo().noquote() << "Export protocol." << programV1->name();
        out << programV1->pcrProtocol();
    }
    return out << YAML::EndSeq << YAML::EndMap;
}

YAML::Emitter &operator<<(YAML::Emitter &out, const ProtocolV1::PCRProtocol &protocol)
{
    out << YAML::BeginMap;
    out << YAML::Key << "program" << YAML::Value << protocol.protocolname();
    out << YAML::Key << "lid temperature" << YAML::Value << protocol.lidtemp();
    out << YAML::Key << "steps" << YAML::Value << YAML::BeginSeq;
    for (int i = 0; i < protocol.steps_size(); ++i) {
        out << YAML::BeginMap << YAML::Key << "step" << YAML::Value << i + 1;
        out << protocol.steps(i) << YAML::EndMap;
    }
    return out << YAML::EndSeq << YAML::EndMap;
}

// The keys after "step" in the step's map, which the caller opens and closes.
YAML::Emitter &operator<<(YAML::Emitter &out, const ProtocolV1::PCRStep &step)
{
    if (!step.stepname().empty())
        out << YAML::Key << "name" << YAML::Value << step.stepname();
    const StepKeys *keys = stepKeys(step.type());
    if (!keys) {
        warnInvalidStepType();
        return out;
    }
    out << YAML::Key << "type" << YAML::Value << keys->type;
    out << YAML::Key << keys->target << YAML::Value << step.target();
    return out << YAML::Key << keys->time << YAML::Value << step.time();
}

void operator>>(const YAML::Node &node, ProtocolV1::PCRProtocol &protocol)
{
    protocol.set_protocolname(node["program"].as<std::string>());
    protocol.set_lidtemp(finiteFloat(node["lid temperature"]));
    for (const YAML::Node &stepNode : node["steps"])
        stepNode >> *protocol.add_steps();
}

void operator>>(const YAML::Node &node, ProtocolV1::PCRStep &step)
{
    step.set_target(1.0f);
    step.set_time(1);
    step.clear_stepname();
    const YAML::Node typeNode = node["type"];
    if (!typeNode)
        qWarning().noquote() << "Error, node type is NULL.";
    const ProtocolV1::StepType type = stepType(typeNode ? typeNode.as<std::string>() : "");
    step.set_type(type);
    const StepKeys *keys = stepKeys(type);
    if (!keys) {
        warnInvalidStepType();
        return;
    }
    step.set_target(finiteFloat(node[keys->target]));
    step.set_time(node[keys->time].as<quint32>());
}
