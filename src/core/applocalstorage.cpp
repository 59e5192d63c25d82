#include "applocalstorage.h"

#include "devicesfilewriter.h"
#include "librarysnapshotter.h"
#include "programexporter.h"

#include "utils/datafolder.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QThread>

#include <optional>

QString AppLocalStorage::s_dataPath;

namespace {

const QString protocolsFileName = QStringLiteral("protocols0");
const QString devicesFileName = QStringLiteral("devices0");
const QString plfSuffix = QStringLiteral(".plf");
const QString plfxSuffix = QStringLiteral(".plfx");
const QString keyData = JsonEnvelopeReader::dataKey();
const QString keyVersion = JsonEnvelopeReader::versionKey();

// A library of 2,000 protocols takes about 3 MB; these bounds keep a hostile
// file from flooding memory and the receivers' event queue.
JsonEnvelopeReader::Limits libraryLimits()
{
    return {64ll << 20, 1 << 20, 100000, {}};
}

// Chart arrays are checked and skipped: the core takes only a stored
// device's identity. They make the file large (72 hours of one device are
// about 25 MB), so the file may be too.
JsonEnvelopeReader::Limits devicesLimits()
{
    return {2ll << 30,
            64 << 10,
            1000,
            {DeviceRecord::tempChartKey(), DeviceRecord::dnaChartKey()}};
}

QString keptAsideName(const QString &path)
{
    const QString base = path + QStringLiteral(".unsupported-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

// A short write (a full disk) is no error to QSaveFile: it would commit the
// truncated file. Without a commit, the new file is dropped.
bool writeWhole(QSaveFile &file, const QByteArray &bytes)
{
    return file.write(bytes) == bytes.size() && file.commit();
}

QByteArray csvNumber(double value)
{
    return QByteArray::number(value, 'f', 3);
}

} // namespace

AppLocalStorage::AppLocalStorage(QObject *parent)
    : QObject(parent)
    , m_exporter(new ProgramExporter(this))
    , m_snapshotter(new LibrarySnapshotter)
{
    // Direct: an import runs on the caller's thread, and its records reach
    // the receivers from there, like those of a ".plfx" file.
    connect(m_exporter, &ProgramExporter::programImported, this, &AppLocalStorage::loadedProtcol,
            Qt::DirectConnection);
    if (!s_dataPath.isEmpty())
        QDir().mkpath(s_dataPath);
}

// The snapshotter stays on the thread that made the storage; deleted later
// on it when the storage goes on its own thread.
AppLocalStorage::~AppLocalStorage()
{
    if (m_snapshotter->thread() == QThread::currentThread())
        delete m_snapshotter;
    else
        m_snapshotter->deleteLater();
}

void AppLocalStorage::initDataPath()
{
    s_dataPath = dataFolderPath();
}

QString AppLocalStorage::dataPath()
{
    return s_dataPath;
}

void AppLocalStorage::setDataPath(const QString &path)
{
    s_dataPath = path;
}

QString AppLocalStorage::dataFilePath(const QString &name)
{
    return QDir(s_dataPath).absoluteFilePath(name);
}

bool AppLocalStorage::flush()
{
    if (m_snapshotter->thread() == QThread::currentThread())
        m_snapshotter->finish();
    bool ok = false;
    auto takeResult = [this, &ok] { ok = std::exchange(m_allSavesOk, true); };
    if (thread() == QThread::currentThread()) {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        takeResult();
        return ok;
    }
    if (!thread()->isRunning()) {
        qWarning() << "Storage thread is not running: pending saves are not written.";
        return false;
    }
    QMetaObject::invokeMethod(this, takeResult, Qt::BlockingQueuedConnection);
    return ok;
}

// Start-up load

void AppLocalStorage::loadData()
{
    loadDataFile(protocolsFileName, QLatin1String(LibraryVersion), libraryLimits(),
                 &AppLocalStorage::emitLibraryRecords);
    loadDataFile(devicesFileName, QLatin1String(DevicesVersion), devicesLimits(),
                 &AppLocalStorage::emitDeviceRecords);
    emit loadCompleted();
}

// One pass over the file: the version is its last member, and the records
// are only handed out once it has been seen.
void AppLocalStorage::loadDataFile(const QString &name, const QString &expectedVersion,
                                   const JsonEnvelopeReader::Limits &limits,
                                   EmitRecords emitRecords)
{
    const QString path = dataFilePath(name);
    QFile file(path);
    JsonEnvelopeReader reader(&file, limits);
    if (file.open(QIODevice::ReadOnly) && readEnvelope(reader, path) && reader.hasMembers() &&
        reader.version() == expectedVersion)
        (this->*emitRecords)(reader, path);
    else
        removeUnsupportedFile(path);
}

bool AppLocalStorage::readEnvelope(JsonEnvelopeReader &reader, const QString &path)
{
    if (reader.read())
        return true;
    qWarning().noquote() << "Could not read" << path << ":" << reader.errorString();
    return false;
}

// Never deleted: a library written by another version or left damaged is
// kept next to the new one under a name of its own.
void AppLocalStorage::removeUnsupportedFile(const QString &path)
{
    qInfo().noquote()
        << QStringLiteral("Found unsupported file version, path: %1. Cleaning..").arg(path);
    if (!QFileInfo::exists(path))
        return;
    const QString keptAs = keptAsideName(path);
    if (QFile::rename(path, keptAs))
        qInfo().noquote() << "Kept the discarded file as:" << keptAs;
    else
        qWarning().noquote() << "Could not move the discarded file aside:" << path;
}

// A ".plfx" file: an envelope whose version is not looked at.
int AppLocalStorage::loadProtocols(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    JsonEnvelopeReader reader(&file, libraryLimits());
    return readEnvelope(reader, path) ? emitLibraryRecords(reader, path) : 0;
}

int AppLocalStorage::emitLibraryRecords(const JsonEnvelopeReader &reader, const QString &source)
{
    if (reader.rejectedRecords() > 0)
        qWarning().noquote() << "Skipped" << reader.rejectedRecords()
                             << "library records that are not objects or too large in" << source;
    int count = 0;
    for (const QJsonObject &record : reader.records()) {
        if (record.isEmpty())
            continue;
        emit loadedProtcol(record);
        ++count;
    }
    return count;
}

int AppLocalStorage::emitDeviceRecords(const JsonEnvelopeReader &reader, const QString &source)
{
    if (reader.rejectedRecords() > 0)
        qWarning().noquote() << "Skipped" << reader.rejectedRecords()
                             << "device records that are not objects or too large in" << source;
    int count = 0;
    for (const QJsonObject &record : reader.records()) {
        if (record.isEmpty()) {
            qWarning() << "Json device object is Empty. Continue...";
        } else if (PCRDevice::validateDeviceJson(record)) {
            emit loadedDevice(record);
            ++count;
        } else {
            qWarning() << "Loaded JSON for PCRDevice contains corrupted data.";
        }
    }
    return count;
}

// Saves

template <class Write>
void AppLocalStorage::queueWrite(const QString &path, Write write)
{
    QMetaObject::invokeMethod(
        this,
        [this, path, write] {
            const bool ok = write();
            m_allSavesOk = m_allSavesOk && ok;
            emit saved(path, ok);
        },
        Qt::QueuedConnection);
}

QJsonArray AppLocalStorage::libraryRecords(const ProgramList &programList)
{
    QJsonArray records;
    for (const ProgramPtr &program : programList)
        records.append(program->toJson());
    return records;
}

void AppLocalStorage::saveProtocols(const ProgramList &programList, const QString &fileName)
{
    const QString path = fileName.isEmpty() ? dataFilePath(protocolsFileName) : fileName;
    auto write = [this](const QJsonArray &records, const QString &path) {
        queueWrite(path, [this, records, path] { return writeLibrary(records, path); });
    };
    if (m_snapshotter->thread() == QThread::currentThread())
        m_snapshotter->take(programList, path, write);
    else
        write(libraryRecords(programList), path);
}

void AppLocalStorage::saveDevices(const PCRDeviceList &deviceList)
{
    QList<DeviceRecord> devices;
    for (const PCRDevicePtr &device : deviceList)
        devices.append(device->record());
    const QString path = dataFilePath(devicesFileName);
    queueWrite(path, [this, devices, path] { return writeDevices(devices, path); });
}

bool AppLocalStorage::writeLibrary(const QJsonArray &records, const QString &path)
{
    const QJsonObject envelope{{keyVersion, QLatin1String(LibraryVersion)}, {keyData, records}};
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text) &&
        writeWhole(file, QJsonDocument(envelope).toJson(QJsonDocument::Indented)))
        return true;
    qWarning().noquote() << "Could not save protocols V3 to:" << path << ":" << file.errorString();
    return false;
}

bool AppLocalStorage::writeDevices(const QList<DeviceRecord> &devices, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning().noquote() << QStringLiteral("Can't open device file: ") + file.errorString();
        return false;
    }
    if (DevicesFileWriter::write(&file, devices, QLatin1String(DevicesVersion)) && file.commit())
        return true;
    qWarning().noquote() << "Could not save devices to:" << path << ":" << file.errorString();
    return false;
}

// Exchange files

QString AppLocalStorage::exchangeBase(const QUrl &url)
{
    const QString path = url.toLocalFile();
    const QString suffix = QFileInfo(path).suffix();
    return suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
}

QString AppLocalStorage::exportProtocols(const ProgramList &programList, const QUrl &exportFileUrl)
{
    if (programList.isEmpty() || exportFileUrl.isEmpty()) {
        qInfo() << "Nothing to export";
        return QString();
    }
    qInfo().noquote() << "Exporting protocols to:" << exportFileUrl.toString();
    const QString base = exchangeBase(exportFileUrl);
    ProgramList firmwareV1;
    ProgramList all;
    for (const ProgramPtr &program : programList) {
        if (program->firmware() == QLatin1String("1.0"))
            firmwareV1.append(program);
        if (program->firmware() == QLatin1String("1.0") ||
            program->firmware() == QLatin1String("3.0"))
            all.append(program);
    }
    const QString plfPath = base + plfSuffix;
    const QString plfxPath = base + plfxSuffix;
    const bool plfWritten = m_exporter->exportProgramLibraryToFile(plfPath, firmwareV1);
    const bool plfxWritten = writeLibrary(libraryRecords(all), plfxPath);
    qInfo().noquote() << "V1 file size:" << QFileInfo(plfPath).size() << plfPath;
    qInfo().noquote() << "V3 file size:" << QFileInfo(plfxPath).size() << plfxPath;
    if (!plfWritten || !plfxWritten)
        return tr("Cannot write file: %1").arg(plfWritten ? plfxPath : plfPath);
    return QString();
}

void AppLocalStorage::importProtocols(const QUrl &importFileUrl)
{
    const QString base = exchangeBase(importFileUrl);
    importProtocols(
        QList<QUrl>{QUrl::fromLocalFile(base + plfSuffix), QUrl::fromLocalFile(base + plfxSuffix)});
}

void AppLocalStorage::importProtocols(const QList<QUrl> &urls)
{
    if (urls.isEmpty()) {
        qInfo() << "Nothing to import.";
        return;
    }
    for (const QUrl &url : urls) {
        qInfo().noquote() << "Importing from:" << url.toString();
        const QString path = url.toLocalFile();
        if (path.endsWith(plfSuffix))
            m_exporter->importProgramLibraryFromFile(path);
        else if (path.endsWith(plfxSuffix))
            loadProtocols(path);
    }
}

void AppLocalStorage::importProtocols(const QString &data)
{
    QByteArray text = data.toUtf8();
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    JsonEnvelopeReader reader(&buffer, libraryLimits());
    if (readEnvelope(reader, QStringLiteral("the imported text")))
        emitLibraryRecords(reader, QStringLiteral("the imported text"));
}

// Run data

QString AppLocalStorage::exportRunData(const PCRDevicePtr &device, const QUrl &exportTargetFile)
{
    if (!device)
        return tr("Device is incorrect");
    if (exportTargetFile.isEmpty())
        return tr("Export file is incorrect.");
    QSaveFile file(exportTargetFile.toLocalFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return tr("Cannot open file to write: %1").arg(file.errorString());
    const TempChartDataContainer *series = device->tempChart();
    QByteArray text = QByteArrayLiteral("\"time\",\"temp\"\n");
    for (int i = 0; i < series->count(); ++i)
        text += csvNumber(series->timeAt(i)) + ',' + csvNumber(series->tempAt(i)) + '\n';
    if (!writeWhole(file, text))
        return tr("Cannot write file: %1").arg(file.errorString());
    return QString();
}
