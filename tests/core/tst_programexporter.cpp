#include "../program/programfixtures.h"
#include "Pcr.pb.h"
#include "core/programexporter.h"
#include "program/programv1.h"
#include "program/programv3.h"

#include <QFile>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

ProgramPtr heatBlock(const QString &name, double temp = 94.1, int seconds = 60)
{
    return ProgramPtr(new ProgramV1(name, Fixtures::bytes({Fixtures::heatBlockStep(temp, seconds)}),
                                    Program::PT_HEAT_BLOCK));
}

ProgramPtr linearRamp(const QString &name)
{
    return ProgramPtr(new ProgramV1(name, Fixtures::bytes({Fixtures::linearRampStep(20, 65.5, 90)}),
                                    Program::PT_LINEAR_RAMP));
}

ProgramPtr pcr(const QString &name)
{
    return ProgramPtr(new ProgramV1(name, Fixtures::bytes({Fixtures::pcrStep()}), Program::PT_PCR));
}

// One program map of the file, as another installation might have written it.
QByteArray heatBlockMap(const QByteArray &name)
{
    return "  - program: " + name +
           "\n    lid temperature: 104\n    steps:\n"
           "      - step: 1\n        type: incubate\n        temperature: 95\n        time: 30\n"
           "      - step: 2\n        type: incubate\n        temperature: 95\n        time: 30\n";
}

QByteArray pcrMap(const QByteArray &name)
{
    QByteArray map = "  - program: " + name + "\n    lid temperature: 110\n    steps:\n";
    for (int step = 1; step <= 7; ++step) {
        const QByteArray number = QByteArray::number(step);
        map += step == 5 ? "      - {step: 5, type: cycle, go to step: 2, cycle number: 30}\n"
                         : "      - {step: " + number + ", type: incubate, temperature: 9" +
                               number + ", time: 30}\n";
    }
    return map;
}

QByteArray document(const QByteArray &programMaps)
{
    return "---\nprogram library:\n" + programMaps + "...\n";
}

QStringList importedNames(const QSignalSpy &spy)
{
    QStringList names;
    for (const QList<QVariant> &arguments : spy)
        names.append(arguments.first().toJsonObject().value(QStringLiteral("name")).toString());
    return names;
}

} // namespace

class TestProgramExporter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void writesTheDocumentInKeyOrder();
    void writesStepNamesAndOnlyKnownTypes();
    void exportSkipsProgramsNotInFirmware1Form();
    void emptyLibraryIsAnEmptySequence();
    void roundTripKeepsTheRecord_data();
    void roundTripKeepsTheRecord();
    void readsEveryDocument();
    void readsSteps_data();
    void readsSteps();
    void skipsBadRecordsKeepsGoodOnes_data();
    void skipsBadRecordsKeepsGoodOnes();
    void largeLibraryIsReadWhole();
    void rejectsTooManyNodes();
    void rejectsOversizedFile();
    void unwritableTargetReportsFailure();

private:
    QString writeFile(const QByteArray &content);
    QByteArray exported(const ProgramList &programs);

    QScopedPointer<QTemporaryDir> m_dir;
    ProgramExporter m_exporter;
};

void TestProgramExporter::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

QString TestProgramExporter::writeFile(const QByteArray &content)
{
    const QString path = m_dir->filePath(QStringLiteral("input.plf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write the test input");
    return path;
}

QByteArray TestProgramExporter::exported(const ProgramList &programs)
{
    const QString path = m_dir->filePath(QStringLiteral("out.plf"));
    if (!m_exporter.exportProgramLibraryToFile(path, programs))
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestProgramExporter::writesTheDocumentInKeyOrder()
{
    QTest::ignoreMessage(QtInfoMsg,
                         QRegularExpression("^Export program library to file: .*out.plf$"));
    QTest::ignoreMessage(QtInfoMsg, "Export protocol. Block");
    QTest::ignoreMessage(QtInfoMsg, "Export protocol. Ramp");
    QCOMPARE(exported({heatBlock(QStringLiteral("Block")), linearRamp(QStringLiteral("Ramp"))}),
             QByteArray("---\n"
                        "program library:\n"
                        "  - program: Block\n"
                        "    lid temperature: 104.1\n"
                        "    steps:\n"
                        "      - step: 1\n"
                        "        type: incubate\n"
                        "        temperature: 94.1\n"
                        "        time: 1\n"
                        "      - step: 2\n"
                        "        type: incubate\n"
                        "        temperature: 94.1\n"
                        "        time: 60\n"
                        "  - program: Ramp\n"
                        "    lid temperature: 30\n"
                        "    steps:\n"
                        "      - step: 1\n"
                        "        type: incubate\n"
                        "        temperature: 20\n"
                        "        time: 1\n"
                        "      - step: 2\n"
                        "        type: linear ramp\n"
                        "        final temp: 65.5\n"
                        "        ramp time: 90\n"
                        "...\n"));
}

void TestProgramExporter::writesStepNamesAndOnlyKnownTypes()
{
    ProtocolV1::PCRProtocol protocol;
    protocol.set_protocolname("Named");
    protocol.set_lidtemp(105);
    ProtocolV1::PCRStep *named = protocol.add_steps();
    named->set_stepname("Denature");
    named->set_type(ProtocolV1::HOLD);
    named->set_target(95);
    named->set_time(30);
    protocol.add_steps()->set_stepname("Unknown");
    QTest::ignoreMessage(QtWarningMsg, "Invalid Step Type in YAML parser");
    YAML::Emitter emitter;
    emitter << protocol;
    QVERIFY(emitter.good());
    QCOMPARE(QByteArray(emitter.c_str()), QByteArray("program: Named\n"
                                                     "lid temperature: 105\n"
                                                     "steps:\n"
                                                     "  - step: 1\n"
                                                     "    name: Denature\n"
                                                     "    type: incubate\n"
                                                     "    temperature: 95\n"
                                                     "    time: 30\n"
                                                     "  - step: 2\n"
                                                     "    name: Unknown"));
}

void TestProgramExporter::exportSkipsProgramsNotInFirmware1Form()
{
    const ProgramPtr firmware3(new ProgramV3(QStringLiteral("Three"),
                                             Fixtures::bytes({Fixtures::heatBlockStep(50, 60)}),
                                             false, Program::PT_HEAT_BLOCK));
    QTest::ignoreMessage(QtWarningMsg, "Export skips a protocol not in firmware-1 form: Three");
    const QByteArray content = exported({firmware3, heatBlock(QStringLiteral("One"))});
    QVERIFY(!content.contains("Three"));
    QSignalSpy imported(&m_exporter, &ProgramExporter::programImported);
    QCOMPARE(m_exporter.importProgramLibraryFromFile(writeFile(content)), 1);
    QCOMPARE(importedNames(imported), QStringList{"One"});
}

void TestProgramExporter::emptyLibraryIsAnEmptySequence()
{
    const QByteArray content = exported({});
    QCOMPARE(content, QByteArray("---\nprogram library:\n  []\n...\n"));
    QSignalSpy imported(&m_exporter, &ProgramExporter::programImported);
    QCOMPARE(m_exporter.importProgramLibraryFromFile(writeFile(content)), 0);
    QCOMPARE(imported.count(), 0);
}

void TestProgramExporter::roundTripKeepsTheRecord_data()
{
    QTest::addColumn<ProgramPtr>("program");
    QTest::addColumn<QByteArray>("nameInFile");
    QTest::newRow("accented name")
        << heatBlock(QStringLiteral("Dénaturé")) << QByteArray("\"D\\xe9natur\\xe9\"");
    QTest::newRow("pcr") << pcr(QStringLiteral("Taq 30x")) << QByteArray("Taq 30x");
    QTest::newRow("linear ramp") << linearRamp(QStringLiteral("Ramp")) << QByteArray("Ramp");
    QTest::newRow("cold block") << heatBlock(QStringLiteral("Cold"), 4, 32760)
                                << QByteArray("Cold");
}

void TestProgramExporter::roundTripKeepsTheRecord()
{
    QFETCH(ProgramPtr, program);
    QFETCH(QByteArray, nameInFile);
    const QByteArray content = exported({program});
    QVERIFY2(content.contains("program: " + nameInFile + "\n"), content.constData());
    for (const char byte : content)
        QVERIFY2(quint8(byte) < 0x80, "the file is plain ASCII");

    QSignalSpy imported(&m_exporter, &ProgramExporter::programImported);
    QCOMPARE(m_exporter.importProgramLibraryFromFile(writeFile(content)), 1);
    QCOMPARE(imported.count(), 1);
    QCOMPARE(imported.first().first().toJsonObject(), program->toJson());
}

void TestProgramExporter::readsEveryDocument()
{
    QSignalSpy imported(&m_exporter, &ProgramExporter::programImported);
    QCOMPARE(m_exporter.importProgramLibraryFromFile(
                 writeFile(document(heatBlockMap("First")) + document(heatBlockMap("Second")))),
             2);
    QCOMPARE(importedNames(imported), QStringList({"First", "Second"}));
}

void TestProgramExporter::readsSteps_data()
{
    QTest::addColumn<QByteArray>("yaml");
    QTest::addColumn<int>("type");
    QTest::addColumn<float>("target");
    QTest::addColumn<quint32>("time");
    QTest::addColumn<QStringList>("warnings");
    const QStringList none;
    const QStringList invalid{"Invalid Step Type in YAML parser"};
    QTest::newRow("cycle") << QByteArray("{step: 5, type: cycle, go to step: 2, cycle number: 30}")
                           << int(ProtocolV1::CYCLE) << 2.0f << 30u << none;
    QTest::newRow("incubate, name not read back")
        << QByteArray("{step: 1, name: Denature, type: incubate, temperature: 95.5, time: 180}")
        << int(ProtocolV1::HOLD) << 95.5f << 180u << none;
    QTest::newRow("linear ramp")
        << QByteArray("{step: 2, type: linear ramp, final temp: 65, ramp time: 600}")
        << int(ProtocolV1::LINEAR_RAMP) << 65.0f << 600u << none;
    QTest::newRow("hold is not a type")
        << QByteArray("{step: 1, type: hold, temperature: 95, time: 30}")
        << int(ProtocolV1::INVALID_STEP_TYPE) << 1.0f << 1u << invalid;
    QTest::newRow("no type") << QByteArray("{step: 1, temperature: 95, time: 30}")
                             << int(ProtocolV1::INVALID_STEP_TYPE) << 1.0f << 1u
                             << QStringList{"Error, node type is NULL.", invalid.first()};
}

void TestProgramExporter::readsSteps()
{
    QFETCH(QByteArray, yaml);
    QFETCH(int, type);
    QFETCH(float, target);
    QFETCH(quint32, time);
    QFETCH(QStringList, warnings);
    for (const QString &warning : warnings)
        QTest::ignoreMessage(QtWarningMsg, warning.toUtf8().constData());
    ProtocolV1::PCRStep step;
    step.set_stepname("left over");
    YAML::Load(yaml.toStdString()) >> step;
    QCOMPARE(int(step.type()), type);
    QCOMPARE(step.target(), target);
    QCOMPARE(step.time(), time);
    QVERIFY(step.stepname().empty());
}

void TestProgramExporter::skipsBadRecordsKeepsGoodOnes_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<QStringList>("names");
    const QByteArray good = document(heatBlockMap("Good"));
    const QByteArray steps = "\n    lid temperature: 104\n    steps:\n"
                             "      - {type: incubate, temperature: 95, time: 30}\n";
    const QString notFirmware1 = "^Import error: not a firmware-1 protocol, skipped";
    const QString invalidType = "^Invalid Step Type in YAML parser$";
    QTest::newRow("document without program library")
        << "---\nprotocols: []\n...\n" + good
        << QStringList{"^Import error: a document without a \"program library\"$"}
        << QStringList{"Good"};
    QTest::newRow("scalar document")
        << "--- just text\n" + good << QStringList{"^Import error: a document without"}
        << QStringList{"Good"};
    QTest::newRow("malformed yaml")
        << good + "---\nprogram library: [\n"
        << QStringList{"^Import error: .*end of sequence flow"} << QStringList{};
    QTest::newRow("comma where a document starts")
        << good + "--- ,\n"
        << QStringList{"^Import error: .*the reader stands still$"} << QStringList{};
    QTest::newRow("comma after a document's node")
        << "- a\n,\n" + good << QStringList{"^Import error: .*the reader stands still$"}
        << QStringList{};
    QTest::newRow("steps that contain themselves")
        << document("  - program: Bad\n    lid temperature: 104\n    steps: &s [*s, *s]\n" +
                    heatBlockMap("Good"))
        << QStringList{"^Error, node type is NULL.$", invalidType, "^Error, node type is NULL.$",
                       invalidType, notFirmware1}
        << QStringList{"Good"};
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe---\x01\x02[{", 10)
                            << QStringList{"^Import error: "} << QStringList{};
    QTest::newRow("missing lid temperature")
        << document("  - program: Bad\n    steps: []\n" + heatBlockMap("Good"))
        << QStringList{"^Import error: invalid node"} << QStringList{"Good"};
    QTest::newRow("name not a scalar")
        << document("  - program: [a, b]" + steps + heatBlockMap("Good"))
        << QStringList{"^Import error: .*bad conversion"} << QStringList{"Good"};
    QTest::newRow("negative time")
        << document(heatBlockMap("Bad").replace("time: 30", "time: -30") + heatBlockMap("Good"))
        << QStringList{"^Import error: .*bad conversion"} << QStringList{"Good"};
    QTest::newRow("temperature not a number")
        << document(heatBlockMap("Bad").replace("temperature: 95", "temperature: .nan") +
                    heatBlockMap("Good"))
        << QStringList{"^Import error: .*bad conversion"} << QStringList{"Good"};
    QTest::newRow("one step") << document("  - program: Bad" + steps + heatBlockMap("Good"))
                              << QStringList{"^Parse error.. Unrecognized protocol", notFirmware1}
                              << QStringList{"Good"};
    QTest::newRow("program not a map") << document("  - Bad\n" + heatBlockMap("Good"))
                                       << QStringList{notFirmware1} << QStringList{"Good"};
    QTest::newRow("hold step") << document(
                                      heatBlockMap("Bad").replace("type: incubate", "type: hold") +
                                      heatBlockMap("Good"))
                               << QStringList{invalidType, invalidType, notFirmware1}
                               << QStringList{"Good"};
}

void TestProgramExporter::skipsBadRecordsKeepsGoodOnes()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, warnings);
    QFETCH(QStringList, names);
    for (const QString &warning : warnings)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
    QSignalSpy imported(&m_exporter, &ProgramExporter::programImported);
    QCOMPARE(m_exporter.importProgramLibraryFromFile(writeFile(content)), names.size());
    QCOMPARE(importedNames(imported), names);
}

void TestProgramExporter::largeLibraryIsReadWhole()
{
    QByteArray maps;
    for (int i = 0; i < 2000; ++i)
        maps += pcrMap("PCR " + QByteArray::number(i));
    QSignalSpy imported(&m_exporter, &ProgramExporter::programImported);
    QCOMPARE(m_exporter.importProgramLibraryFromFile(writeFile(document(maps))), 2000);
    QCOMPARE(importedNames(imported).last(), QStringLiteral("PCR 1999"));
}

void TestProgramExporter::rejectsTooManyNodes()
{
    QByteArray sequence = "program library: [";
    for (int i = 0; i < ProgramExporter::maxNodes; ++i)
        sequence += "1,";
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Import error: .*more than 250000 nodes$"));
    QSignalSpy imported(&m_exporter, &ProgramExporter::programImported);
    QCOMPARE(m_exporter.importProgramLibraryFromFile(
                 writeFile(sequence + "]\n" + document(heatBlockMap("Good")))),
             0);
    QCOMPARE(imported.count(), 0);
}

void TestProgramExporter::rejectsOversizedFile()
{
    QByteArray maps;
    while (maps.size() <= ProgramExporter::maxFileSize)
        maps += heatBlockMap("Many");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Import error: file larger than"));
    QSignalSpy imported(&m_exporter, &ProgramExporter::programImported);
    QCOMPARE(m_exporter.importProgramLibraryFromFile(writeFile(document(maps))), 0);
    QCOMPARE(imported.count(), 0);
}

void TestProgramExporter::unwritableTargetReportsFailure()
{
    const QString blocker = writeFile("not a folder");
    const QString path = blocker + QStringLiteral("/library.plf");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Can't open file .*/library.plf$"));
    QVERIFY(!m_exporter.exportProgramLibraryToFile(path, {heatBlock(QStringLiteral("Block"))}));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("not a folder"));
}

QTEST_GUILESS_MAIN(TestProgramExporter)
#include "tst_programexporter.moc"
