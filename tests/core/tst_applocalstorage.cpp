#include "core/applocalstorage.h"
#include "core/devicesfilewriter.h"
#include "core/programexporter.h"

#include "logwatch.h"
#include "storagefixtures.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace StorageFixtures;

namespace {

const QString libraryVersion = QStringLiteral("0.0.5");
const QString devicesVersion = QStringLiteral("0.0.3");
const QRegularExpression cleaningLine(QStringLiteral("^Found unsupported file version, path: "));
const QRegularExpression unreadableFile(QStringLiteral("^Could not read .* at byte \\d+$"));

QByteArray envelope(const QJsonValue &version, const QJsonArray &data)
{
    return QJsonDocument(
               QJsonObject{{QStringLiteral("version"), version}, {QStringLiteral("data"), data}})
        .toJson();
}

// The records of programs or devices, as the files hold them.
template <class List>
QJsonArray records(const List &items)
{
    QJsonArray array;
    for (const auto &item : items)
        array.append(item->toJson());
    return array;
}

// What the core is given of a stored device: the record with its charts left out.
QJsonObject withoutCharts(QJsonObject record)
{
    record.insert(QStringLiteral("ProtocolTempChartData"), QJsonArray());
    record.insert(QStringLiteral("ProtocolDnaChartData"), QJsonArray());
    return record;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList namesOf(const QList<QJsonObject> &records)
{
    QStringList names;
    for (const QJsonObject &record : records)
        names.append(record.value(QStringLiteral("name")).toString());
    return names;
}

QStringList namesOf(const ProgramList &programs)
{
    QStringList names;
    for (const ProgramPtr &program : programs)
        names.append(program->name());
    return names;
}

QByteArray deepNesting(int depth)
{
    return "{\"data\": [" + QByteArray(depth, '[') + QByteArray(depth, ']') +
           "], \"version\": \"0.0.5\"}";
}

// Everything the storage hands out, in the order it arrives on the thread
// that made this.
struct Received
{
    explicit Received(AppLocalStorage &storage)
    {
        QObject::connect(&storage, &AppLocalStorage::loadedProtcol, &context,
                         [this](const QJsonObject &record) {
                             protocols.append(record);
                             order += 'p';
                         });
        QObject::connect(&storage, &AppLocalStorage::loadedDevice, &context,
                         [this](const QJsonObject &record) {
                             devices.append(record);
                             order += 'd';
                         });
        QObject::connect(&storage, &AppLocalStorage::loadCompleted, &context,
                         [this] { order += 'c'; });
    }

    QObject context;
    QList<QJsonObject> protocols;
    QList<QJsonObject> devices;
    QString order;
};

// Makes writes past a size fail as on a full disk, while it lives.
class DiskFull
{
public:
    explicit DiskFull(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskFull()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previousHandler);
    }

private:
    rlimit m_saved{};
    void (*m_previousHandler)(int) = nullptr;
};

} // namespace

class TestAppLocalStorage : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void startupLoad_data();
    void startupLoad();
    void discardedFileIsReplacedByTheNextSave();
    void badRecordsAreSkippedAndGoodOnesKept();

    void devicesFileKeepsTheFormat_data();
    void devicesFileKeepsTheFormat();
    void savesWaitForTheStartupLoad();
    void librarySaveIsTakenBetweenEvents();
    void failedSaveLeavesTheOldFile_data();
    void failedSaveLeavesTheOldFile();
    void killedWhileSavingLeavesOldOrNewLibrary();

    void exportWritesThePair_data();
    void exportWritesThePair();
    void importReadsThePair_data();
    void importReadsThePair();
    void importOfJsonText_data();
    void importOfJsonText();

    void exportRunData_data();
    void exportRunData();

private:
    QString dataFile(const QString &name) const { return m_dir->filePath(name); }
    void writeDataFile(const QString &name, const QByteArray &bytes) const;
    QStringList keptAside(const QString &name) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAppLocalStorage::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    AppLocalStorage::setDataPath(m_dir->path());
}

void TestAppLocalStorage::writeDataFile(const QString &name, const QByteArray &bytes) const
{
    if (bytes.isNull())
        return;
    QFile file(dataFile(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList TestAppLocalStorage::keptAside(const QString &name) const
{
    return QDir(m_dir->path()).entryList({name + QStringLiteral(".unsupported-*")}, QDir::Files);
}

void TestAppLocalStorage::startupLoad_data()
{
    QTest::addColumn<QByteArray>("library");
    QTest::addColumn<QByteArray>("devices");
    QTest::addColumn<int>("protocols");
    QTest::addColumn<int>("knownDevices");

    const QJsonArray twoPrograms = records(library(QStringLiteral("Mix"), 2));
    const QByteArray goodLibrary = envelope(libraryVersion, twoPrograms);
    const QByteArray goodDevices =
        envelope(devicesVersion, records(PCRDeviceList{deviceWithTrace(1, 30)}));
    QByteArray binary(4096, '\0');
    QRandomGenerator bytes(7);
    for (char &byte : binary)
        byte = char(bytes.bounded(256));

    // A null file is absent.
    QTest::newRow("first start") << QByteArray() << QByteArray() << 0 << 0;
    QTest::newRow("current versions") << goodLibrary << goodDevices << 2 << 1;
    QTest::newRow("library version 0.0.4")
        << envelope(QStringLiteral("0.0.4"), twoPrograms) << goodDevices << 0 << 1;
    QTest::newRow("devices with the library version")
        << goodLibrary << envelope(libraryVersion, records(PCRDeviceList{deviceWithTrace(1, 3)}))
        << 2 << 0;
    QJsonObject unknownType = deviceWithTrace(1, 3)->toJson();
    unknownType.insert(QStringLiteral("m_connectionData"),
                       QJsonObject{{QStringLiteral("connectionType"), 21}});
    QTest::newRow("unknown connection type")
        << goodLibrary << envelope(devicesVersion, {unknownType}) << 2 << 1;
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + goodLibrary << goodDevices << 2 << 1;
    QTest::newRow("version as a number") << envelope(5, twoPrograms) << QByteArray() << 0 << 0;
    QTest::newRow("truncated") << goodLibrary.left(goodLibrary.size() / 2)
                               << goodDevices.left(goodDevices.size() - 3) << 0 << 0;
    QTest::newRow("binary") << binary << binary << 0 << 0;
    QTest::newRow("foreign JSON") << QByteArray("[1, 2, 3]") << QByteArray("\"0.0.3\"") << 0 << 0;
    QTest::newRow("empty object") << QByteArray("{}") << QByteArray("{ }") << 0 << 0;
    QTest::newRow("empty file") << QByteArray("") << QByteArray("") << 0 << 0;
    QTest::newRow("text after the document") << goodLibrary + "x" << goodDevices + "{}" << 0 << 0;
    QTest::newRow("nesting too deep") << deepNesting(100000) << deepNesting(300) << 0 << 0;
    QTest::newRow("library over its size limit")
        << "{\"data\": [], \"pad\": \"" + QByteArray(65 << 20, 'a') + "\", \"version\": \"0.0.5\"}"
        << goodDevices << 0 << 1;
}

// Records arrive library first, devices next, completion last; a file that
// is not a supported envelope is kept aside byte for byte, a missing one is
// left missing, and both are announced by the "Cleaning.." line.
void TestAppLocalStorage::startupLoad()
{
    QFETCH(QByteArray, library);
    QFETCH(QByteArray, devices);
    QFETCH(int, protocols);
    QFETCH(int, knownDevices);
    writeDataFile(QStringLiteral("protocols0"), library);
    writeDataFile(QStringLiteral("devices0"), devices);

    LogWatch log;
    AppLocalStorage storage;
    Received received(storage);
    storage.loadData();

    QCOMPARE(received.order, QString(protocols, 'p') + QString(knownDevices, 'd') + 'c');
    QCOMPARE(log.unexpectedWarnings({unreadableFile}), QStringList());
    const bool libraryLoaded = protocols > 0;
    const bool devicesLoaded = knownDevices > 0;
    QCOMPARE(log.count(cleaningLine), int(!libraryLoaded) + int(!devicesLoaded));
    const QList<std::tuple<QString, QByteArray, bool>> files{
        {QStringLiteral("protocols0"), library, libraryLoaded},
        {QStringLiteral("devices0"), devices, devicesLoaded}};
    for (const auto &[name, bytes, loaded] : files) {
        const QStringList aside = keptAside(name);
        if (loaded || bytes.isNull()) {
            QVERIFY2(aside.isEmpty(), qPrintable(aside.join(' ')));
            QCOMPARE(QFile::exists(dataFile(name)), !bytes.isNull());
            continue;
        }
        QCOMPARE(aside.size(), 1);
        QVERIFY(QRegularExpression(name + QStringLiteral("\\.unsupported-\\d{8}-\\d{6}$"))
                    .match(aside.first())
                    .hasMatch());
        QVERIFY(readFile(dataFile(aside.first())) == bytes);
        QVERIFY(!QFile::exists(dataFile(name)));
    }
}

void TestAppLocalStorage::discardedFileIsReplacedByTheNextSave()
{
    const QByteArray old =
        envelope(QStringLiteral("0.0.4"), records(library(QStringLiteral("Old"), 2)));
    writeDataFile(QStringLiteral("protocols0"), old);
    AppLocalStorage storage;
    Received received(storage);
    QSignalSpy saved(&storage, &AppLocalStorage::saved);

    storage.loadData();
    const ProgramList programs = library(QStringLiteral("New"), 3);
    storage.saveProtocols(programs);
    QVERIFY(storage.flush());

    QVERIFY(received.protocols.isEmpty());
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.first(), (QVariantList{dataFile(QStringLiteral("protocols0")), true}));
    QCOMPARE(readFile(dataFile(QStringLiteral("protocols0"))),
             envelope(libraryVersion, records(programs)));
    QCOMPARE(readFile(dataFile(keptAside(QStringLiteral("protocols0")).value(0))), old);
}

void TestAppLocalStorage::badRecordsAreSkippedAndGoodOnesKept()
{
    const ProgramList programs = library(QStringLiteral("Good"), 2);
    QJsonObject huge = programs.first()->toJson();
    huge.insert(QStringLiteral("name"), QString(2 << 20, QLatin1Char('x')));
    writeDataFile(QStringLiteral("protocols0"),
                  envelope(libraryVersion, {programs.at(0)->toJson(), 42, QJsonObject(), huge,
                                            QStringLiteral("text"), programs.at(1)->toJson()}));
    const PCRDevicePtr device = deviceWithTrace(3, 20);
    QJsonObject missingKey = device->toJson();
    missingKey.remove(QStringLiteral("bleId"));
    writeDataFile(QStringLiteral("devices0"),
                  envelope(devicesVersion, {QJsonObject(), missingKey, device->toJson(), 7}));

    LogWatch log;
    AppLocalStorage storage;
    Received received(storage);
    storage.loadData();

    QCOMPARE(namesOf(received.protocols), namesOf(programs));
    QCOMPARE(received.devices, QList<QJsonObject>{withoutCharts(device->toJson())});
    const QList<QRegularExpression> warnings{
        QRegularExpression(QStringLiteral("^Skipped 3 library records")),
        QRegularExpression(QStringLiteral("^Skipped 1 device records")),
        QRegularExpression(QStringLiteral("^Json device object is Empty. Continue...$")),
        QRegularExpression(QStringLiteral("^Loaded JSON for PCRDevice contains corrupted data.$"))};
    for (const QRegularExpression &warning : warnings)
        QCOMPARE(log.count(warning), 1);
    QCOMPARE(log.unexpectedWarnings(warnings), QStringList());
    QVERIFY(keptAside(QStringLiteral("protocols0")).isEmpty());
}

void TestAppLocalStorage::devicesFileKeepsTheFormat_data()
{
    QTest::addColumn<PCRDeviceList>("devices");

    const QJsonObject bleConnection{{QStringLiteral("connectionType"), 2},
                                    {QStringLiteral("ble_unique_string"), QStringLiteral("AA:BB")}};
    PCRDevicePtr ble(new PCRDevice(
        QJsonObject{{QStringLiteral("m_connectionData"), bleConnection},
                    {QStringLiteral("machineName"), QStringLiteral("Bench \"7\" \\ é ✓ \x01")},
                    {QStringLiteral("bleName"), QStringLiteral("Thermox\n7")}},
        false));
    ble->tempChart()->append(ChartData{12, double(94.5126f)});
    ble->tempChart()->append(ChartData{12.5, 0.00001});
    ble->tempChart()->append(ChartData{1e15 + 0.5, 1e300});
    ble->dnaChart()->append(ChartData{40, 1099511627776.0});

    PCRDevicePtr random = deviceWithTrace(9, 0);
    QRandomGenerator generator(12345);
    double time = 0;
    for (int i = 0; i < 20000; ++i) {
        time += generator.generateDouble() * std::pow(10.0, generator.bounded(-6, 4));
        const double temp = generator.generateDouble() * std::pow(10.0, generator.bounded(-9, 17));
        random->tempChart()->append(ChartData{time, i % 2 ? double(float(temp)) : temp});
    }

    QTest::newRow("no devices") << PCRDeviceList();
    QTest::newRow("empty charts") << PCRDeviceList{deviceWithTrace(1, 0)};
    QTest::newRow("traces") << PCRDeviceList{deviceWithTrace(1, 200), deviceWithTrace(2, 50)};
    QTest::newRow("odd texts and numbers") << PCRDeviceList{ble};
    QTest::newRow("random numbers") << PCRDeviceList{random};
}

// The streamed file holds what QJsonDocument writes for the devices'
// records; reading it back gives each record without its charts.
void TestAppLocalStorage::devicesFileKeepsTheFormat()
{
    QFETCH(PCRDeviceList, devices);
    AppLocalStorage storage;

    storage.saveDevices(devices);
    QVERIFY(storage.flush());

    const QByteArray written = readFile(dataFile(QStringLiteral("devices0")));
    QCOMPARE(QJsonDocument::fromJson(written),
             QJsonDocument::fromJson(envelope(devicesVersion, records(devices))));
    // Numbers are written as QJsonDocument writes them.
    for (const PCRDevicePtr &device : devices) {
        QByteArrayList points;
        for (int i = 0; i < device->tempChart()->count(); ++i)
            points.append("{\"temp\":" + DevicesFileWriter::number(device->tempChart()->tempAt(i)) +
                          ",\"time\":" + DevicesFileWriter::number(device->tempChart()->timeAt(i)) +
                          '}');
        QVERIFY(written.contains("\"ProtocolTempChartData\": [" + points.join(',') + ']'));
    }
    Received received(storage);
    storage.loadData();
    QCOMPARE(received.devices.size(), devices.size());
    for (int i = 0; i < devices.size(); ++i)
        QCOMPARE(received.devices.at(i), withoutCharts(devices.at(i)->toJson()));
}

// The load is queued first and runs on the storage's thread; a save asked
// for before that thread got to it must not overwrite the library first.
void TestAppLocalStorage::savesWaitForTheStartupLoad()
{
    const ProgramList stored = library(QStringLiteral("Stored"), 100);
    writeDataFile(QStringLiteral("protocols0"), envelope(libraryVersion, records(stored)));
    QThread thread;
    const auto stopThread = qScopeGuard([&thread] {
        thread.quit();
        thread.wait();
    });
    // Deleted after the thread has stopped.
    auto storage = std::make_unique<AppLocalStorage>();
    storage->moveToThread(&thread);
    Received received(*storage);

    QMetaObject::invokeMethod(storage.get(), &AppLocalStorage::loadData, Qt::QueuedConnection);
    const ProgramList added = library(QStringLiteral("Added"), 1);
    storage->saveProtocols(added);
    thread.start(QThread::LowestPriority);
    QVERIFY(storage->flush());

    QTRY_COMPARE(received.order.right(1), QStringLiteral("c"));
    QCOMPARE(namesOf(received.protocols), namesOf(stored));
    QCOMPARE(readFile(dataFile(QStringLiteral("protocols0"))),
             envelope(libraryVersion, records(added)));

    thread.quit();
    QVERIFY(thread.wait());
    // Nothing runs the storage any more: a flush says so instead of hanging.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not running")));
    QVERIFY(!storage->flush());
}

// The records are made between the caller's events, not in the call; a
// newer library for the same file replaces one not yet taken.
void TestAppLocalStorage::librarySaveIsTakenBetweenEvents()
{
    AppLocalStorage storage;
    QSignalSpy saved(&storage, &AppLocalStorage::saved);
    const ProgramList newer = library(QStringLiteral("New"), 300);

    storage.saveProtocols(library(QStringLiteral("Old"), 300));
    storage.saveProtocols(newer);
    QVERIFY(!QFile::exists(dataFile(QStringLiteral("protocols0"))));

    QVERIFY(saved.wait());
    QCOMPARE(saved.count(), 1);
    QCOMPARE(readFile(dataFile(QStringLiteral("protocols0"))),
             envelope(libraryVersion, records(newer)));
}

void TestAppLocalStorage::failedSaveLeavesTheOldFile_data()
{
    QTest::addColumn<bool>("devices");
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<QString>("warning");

    QTest::newRow("library, parent is a file")
        << false << false << QStringLiteral("^Could not save protocols V3 to: ");
    QTest::newRow("library, disk full")
        << false << true << QStringLiteral("^Could not save protocols V3 to: ");
    QTest::newRow("devices, parent is a file")
        << true << false << QStringLiteral("^Can't open device file: ");
    QTest::newRow("devices, disk full")
        << true << true << QStringLiteral("^Could not save devices to: ");
}

// Root writes into read-only folders, so the folder is made unusable by
// being a file; a full disk is a file size limit on the process.
void TestAppLocalStorage::failedSaveLeavesTheOldFile()
{
    QFETCH(bool, devices);
    QFETCH(bool, diskFull);
    QFETCH(QString, warning);
    const QString name = devices ? QStringLiteral("devices0") : QStringLiteral("protocols0");
    const QByteArray old = "old content, kept";
    writeDataFile(name, old);
    if (!diskFull)
        AppLocalStorage::setDataPath(dataFile(name) + QStringLiteral("/ThermoxData"));
    const QString target = AppLocalStorage::dataPath() + '/' + name;

    LogWatch log;
    AppLocalStorage storage;
    QSignalSpy saved(&storage, &AppLocalStorage::saved);
    bool flushed = true;
    {
        std::unique_ptr<DiskFull> full(diskFull ? new DiskFull(8 << 10) : nullptr);
        if (devices)
            storage.saveDevices({deviceWithTrace(1, 5000)});
        else
            storage.saveProtocols(library(QStringLiteral("Big"), 200));
        flushed = storage.flush();
    }

    QVERIFY(!flushed);
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.first(), (QVariantList{target, false}));
    QCOMPARE(log.count(QRegularExpression(warning)), 1);
    QCOMPARE(log.unexpectedWarnings({QRegularExpression(warning)}), QStringList());
    QCOMPARE(readFile(dataFile(name)), old);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{name});
}

// A helper saves the library over and over, alternating two contents, and
// is killed at a random moment; the library must load whole every time.
void TestAppLocalStorage::killedWhileSavingLeavesOldOrNewLibrary()
{
    const int programs = 200;
    const QStringList first = namesOf(library(QStringLiteral("A"), programs));
    const QStringList second = namesOf(library(QStringLiteral("B"), programs));
    QRandomGenerator delays(2024);
    for (int run = 0; run < 50; ++run) {
        QProcess saver;
        saver.start(QStringLiteral(STORAGE_SAVER), {m_dir->path(), QString::number(programs)});
        QVERIFY(saver.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(saver.canReadLine(), 20000);
        QSignalSpy finished(&saver, qOverload<int, QProcess::ExitStatus>(&QProcess::finished));
        QTimer::singleShot(int(delays.bounded(60)), &saver, &QProcess::kill);
        QVERIFY(finished.wait(20000));

        AppLocalStorage storage;
        Received received(storage);
        storage.loadData();
        const QStringList loaded = namesOf(received.protocols);
        QVERIFY2(loaded == first || loaded == second,
                 qPrintable(QStringLiteral("run %1: %2 records").arg(run).arg(loaded.size())));
    }
}

void TestAppLocalStorage::exportWritesThePair_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("base");
    QTest::addColumn<ProgramList>("programs");
    QTest::addColumn<QStringList>("firmwareV1Names");

    const ProgramList mixed{firmwareV1Program(QStringLiteral("One")),
                            firmwareV3Program(QStringLiteral("Three")),
                            firmwareV1Program(QStringLiteral("Two"), 60)};
    const QStringList firmwareV1{QStringLiteral("One"), QStringLiteral("Two")};
    QTest::newRow(".plf chosen") << QStringLiteral("lib.plf") << QStringLiteral("lib") << mixed
                                 << firmwareV1;
    QTest::newRow(".plfx chosen") << QStringLiteral("lib.plfx") << QStringLiteral("lib") << mixed
                                  << firmwareV1;
    QTest::newRow("two dots") << QStringLiteral("lib.old.plf") << QStringLiteral("lib.old") << mixed
                              << firmwareV1;
    QTest::newRow("no suffix") << QStringLiteral("lib") << QStringLiteral("lib") << mixed
                               << firmwareV1;
    QTest::newRow("firmware 3 only")
        << QStringLiteral("lib.plf") << QStringLiteral("lib")
        << ProgramList{firmwareV3Program(QStringLiteral("Three"))} << QStringList();
}

// The ".plf" file holds the firmware-1 programs, the ".plfx" file all of
// them in library order.
void TestAppLocalStorage::exportWritesThePair()
{
    QFETCH(QString, chosen);
    QFETCH(QString, base);
    QFETCH(ProgramList, programs);
    QFETCH(QStringList, firmwareV1Names);
    AppLocalStorage storage;

    LogWatch log;
    QCOMPARE(storage.exportProtocols(programs, QUrl::fromLocalFile(dataFile(chosen))), QString());

    QCOMPARE(readFile(dataFile(base + QStringLiteral(".plfx"))),
             envelope(libraryVersion, records(programs)));
    ProgramExporter exporter;
    QSignalSpy imported(&exporter, &ProgramExporter::programImported);
    exporter.importProgramLibraryFromFile(dataFile(base + QStringLiteral(".plf")));
    QStringList names;
    for (const QList<QVariant> &arguments : imported)
        names.append(arguments.first().toJsonObject().value(QStringLiteral("name")).toString());
    QCOMPARE(names, firmwareV1Names);
    QCOMPARE(log.count(QRegularExpression(QStringLiteral("^V1 file size: \\d+ "))), 1);
    QCOMPARE(log.count(QRegularExpression(QStringLiteral("^V3 file size: \\d+ "))), 1);
    QCOMPARE(log.unexpectedWarnings({}), QStringList());
}

void TestAppLocalStorage::importReadsThePair_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("base");

    QTest::newRow(".plf chosen") << QStringLiteral("lib.plf") << QStringLiteral("lib");
    QTest::newRow(".plfx chosen") << QStringLiteral("lib.plfx") << QStringLiteral("lib");
    QTest::newRow("upper-case suffix") << QStringLiteral("LIB.PLF") << QStringLiteral("LIB");
}

void TestAppLocalStorage::importReadsThePair()
{
    QFETCH(QString, chosen);
    QFETCH(QString, base);
    const ProgramList programs = library(QStringLiteral("Pair"), 3);
    AppLocalStorage storage;
    QCOMPARE(storage.exportProtocols(programs, QUrl::fromLocalFile(dataFile(base))), QString());
    Received received(storage);

    storage.importProtocols(QUrl::fromLocalFile(dataFile(chosen)));

    // The firmware-1 programs of the ".plf" file first, then all of the ".plfx" file.
    ProgramList firmwareV1;
    std::copy_if(
        programs.cbegin(), programs.cend(), std::back_inserter(firmwareV1),
        [](const ProgramPtr &program) { return program->firmware() == QLatin1String("1.0"); });
    QCOMPARE(namesOf(received.protocols), namesOf(firmwareV1) + namesOf(programs));
}

void TestAppLocalStorage::importOfJsonText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("names");

    const ProgramList programs = library(QStringLiteral("Text"), 2);
    const QByteArray whole = envelope(libraryVersion, records(programs));
    QTest::newRow("envelope") << whole << namesOf(programs);
    QTest::newRow("other version")
        << envelope(QStringLiteral("0.0.1"), records(programs)) << namesOf(programs);
    QTest::newRow("cut short") << whole.left(whole.size() - 10) << QStringList();
    // QJsonDocument, which read these files before, takes these numbers.
    QTest::newRow("lenient numbers")
        << QByteArray("{\"data\": [{\"name\": \"Dot\", \"usedCount\": .5, \"type\": 1.}]}")
        << QStringList{QStringLiteral("Dot")};
}

void TestAppLocalStorage::importOfJsonText()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, names);
    AppLocalStorage storage;
    Received received(storage);

    LogWatch log;
    storage.importProtocols(QString::fromUtf8(text));

    QCOMPARE(namesOf(received.protocols), names);
    QCOMPARE(log.count(unreadableFile), int(names.isEmpty()));
    QCOMPARE(log.unexpectedWarnings({unreadableFile}), QStringList());
}

void TestAppLocalStorage::exportRunData_data()
{
    QTest::addColumn<QList<ChartData>>("points");
    QTest::addColumn<bool>("withDevice");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QByteArray>("content");

    const QByteArray header = "\"time\",\"temp\"\n";
    const QString csv = QStringLiteral("run.csv");
    QTest::newRow("empty series") << QList<ChartData>() << true << csv << QString() << header;
    QTest::newRow("three decimals") << QList<ChartData>{{12, 94.5126}, {13.0004, 0.5}} << true
                                    << csv << QString() << header + "12.000,94.513\n13.000,0.500\n";
    QTest::newRow("no device") << QList<ChartData>() << false << csv
                               << QStringLiteral("Device is incorrect") << QByteArray();
    QTest::newRow("no file") << QList<ChartData>() << true << QString()
                             << QStringLiteral("Export file is incorrect.") << QByteArray();
    QTest::newRow("folder is a file")
        << QList<ChartData>() << true << QStringLiteral("run.csv/x.csv")
        << QStringLiteral("Cannot open file to write: ") << QByteArray();
}

void TestAppLocalStorage::exportRunData()
{
    QFETCH(QList<ChartData>, points);
    QFETCH(bool, withDevice);
    QFETCH(QString, target);
    QFETCH(QString, result);
    QFETCH(QByteArray, content);
    writeDataFile(QStringLiteral("run.csv"), "previous");
    PCRDevicePtr device = withDevice ? deviceWithTrace(1, 0) : PCRDevicePtr();
    for (const ChartData &point : points)
        device->tempChart()->append(point);
    AppLocalStorage storage;

    const QUrl url = target.isEmpty() ? QUrl() : QUrl::fromLocalFile(dataFile(target));
    const QString error = storage.exportRunData(device, url);

    QVERIFY2(error.startsWith(result) && (result.isEmpty() == error.isEmpty()), qPrintable(error));
    QCOMPARE(readFile(dataFile(QStringLiteral("run.csv"))),
             content.isNull() ? QByteArray("previous") : content);
}

QTEST_GUILESS_MAIN(TestAppLocalStorage)

#include "tst_applocalstorage.moc"
