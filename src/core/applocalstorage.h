#ifndef APPLOCALSTORAGE_H
#define APPLOCALSTORAGE_H

#include "core/pcrdevice.h"
#include "jsonenvelopereader.h"
#include "program/program.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

class LibrarySnapshotter;
class ProgramExporter;

// Owns the per-user data directory and the files in it: the protocol library
// ("protocols0") and the known devices ("devices0"), the library exchange
// pair (".plf" and ".plfx") and the run-data CSV.
//
// The data files are read and written only on the thread the storage lives
// on, one operation after the other in the order they were asked for: the
// start-up load is queued first, so no save can overwrite the library before
// it has been read. Saves take a snapshot on the caller's thread and return
// at once; the files are written on the storage's thread and each write is
// reported through saved(). The library's records are made a few
// milliseconds at a time on the thread that created the storage, so that a
// large library does not freeze the window; a newer library replaces one
// still being taken. At shutdown, call the last saves, then flush() on the
// thread that created the storage, then stop the storage's thread.
//
// Exports and imports of user-chosen files run on the caller's thread and
// answer at once. Every file is written whole through QSaveFile: a crash or
// a full disk leaves the old file or the new one, never a mix.
class AppLocalStorage : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *LibraryVersion = "0.0.5";
    static constexpr const char *DevicesVersion = "0.0.3";

    explicit AppLocalStorage(QObject *parent = nullptr);
    ~AppLocalStorage() override;

    // Fixes the data directory path; called once at start-up, after the
    // application names are set and before settings or the core are used.
    static void initDataPath();
    static QString dataPath();
    // Sets the data directory explicitly (tests, tools).
    static void setDataPath(const QString &path);

    // Blocks until every save asked for so far is written. False when they
    // cannot run (the storage's thread is not running) or one failed.
    bool flush();

public slots:
    // Reads both data files; queue it once, on the storage's thread.
    void loadData();
    // An empty file name means "protocols0" in the data directory.
    void saveProtocols(const ProgramList &programList, const QString &fileName = QString());
    void saveDevices(const PCRDeviceList &deviceList);

    // Writes the exchange pair; returns an empty text on success, else a
    // translated error.
    QString exportProtocols(const ProgramList &programList, const QUrl &exportFileUrl);
    void importProtocols(const QUrl &importFileUrl);
    // A library envelope given as JSON text.
    void importProtocols(const QString &data);
    // Returns an empty text on success, else a translated error.
    QString exportRunData(const PCRDevicePtr &device, const QUrl &exportTargetFile);

signals:
    void loadedProtcol(QJsonObject protocolData);
    void loadedDevice(QJsonObject deviceJson);
    void loadCompleted();
    // A queued save has been written (ok) or has failed and left the old file.
    void saved(QString path, bool ok);

private:
    static QString dataFilePath(const QString &name);
    static QString exchangeBase(const QUrl &url);
    static QJsonArray libraryRecords(const ProgramList &programList);

    using EmitRecords = int (AppLocalStorage::*)(const JsonEnvelopeReader &, const QString &);
    // Hands out the records of a data file of the expected version, else
    // keeps the file aside.
    void loadDataFile(const QString &name, const QString &expectedVersion,
                      const JsonEnvelopeReader::Limits &limits, EmitRecords emitRecords);
    int emitLibraryRecords(const JsonEnvelopeReader &reader, const QString &source);
    int emitDeviceRecords(const JsonEnvelopeReader &reader, const QString &source);
    int loadProtocols(const QString &path);
    void removeUnsupportedFile(const QString &path);
    void importProtocols(const QList<QUrl> &urls);
    // Reads an envelope whole; false (with a warning) when it is not one.
    static bool readEnvelope(JsonEnvelopeReader &reader, const QString &path);

    bool writeLibrary(const QJsonArray &records, const QString &path);
    bool writeDevices(const QList<DeviceRecord> &devices, const QString &path);
    // Runs a write on the storage's thread after everything asked before.
    template <class Write>
    void queueWrite(const QString &path, Write write);

    static QString s_dataPath;
    ProgramExporter *const m_exporter;
    // Makes the library's records on the thread that made the storage.
    LibrarySnapshotter *const m_snapshotter;
    // Only the storage's thread touches it.
    bool m_allSavesOk = true;
};

#endif // APPLOCALSTORAGE_H
