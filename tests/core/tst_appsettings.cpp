#include "core/appsettings.h"
#include "logwatch.h"
#include "utils/datafolder.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QtConcurrent>
#include <QtTest>

class TestAppSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    // First, so that it sees the store's creation.
    void createdOnceByRacingThreads();
    void writeIsStoredInTheDataFolderAndLogged_data();
    void writeIsStoredInTheDataFolderAndLogged();
    void absentKeyGivesTheDefault();
    void threadsReadAndWriteAtOnce();
};

void TestAppSettings::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vornell"));
    QCoreApplication::setApplicationName(QStringLiteral("ThermoxSettingsTest"));
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(settingsFilePath());
}

void TestAppSettings::createdOnceByRacingThreads()
{
    LogWatch log;
    QList<QFuture<QVariant>> reads;
    for (int i = 0; i < 8; ++i)
        reads.append(
            QtConcurrent::run([] { return AppSettings::value(QStringLiteral("langId"), -1); }));
    for (QFuture<QVariant> &read : reads)
        QCOMPARE(read.result().toInt(), -1);
    QCOMPARE(log.count(QRegularExpression(
                 "^Settings loaded from: " +
                 QRegularExpression::escape(QDir::cleanPath(settingsFilePath())) + "$")),
             1);
}

void TestAppSettings::writeIsStoredInTheDataFolderAndLogged_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("logged");
    QTest::newRow("bell off") << "bellActiveForAll" << QVariant(false)
                              << "Setting value: bellActiveForAll to: false";
    QTest::newRow("language") << "langId" << QVariant(2) << "Setting value: langId to: 2";
}

void TestAppSettings::writeIsStoredInTheDataFolderAndLogged()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(QString, logged);
    LogWatch log;
    AppSettings::setValue(key, value);
    QCOMPARE(log.count(QRegularExpression("^Setting value:")), 1);
    QCOMPARE(log.count(QRegularExpression("^" + QRegularExpression::escape(logged) + "$")), 1);

    // Read through a fresh object: the write must have reached the file.
    QSettings file(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                       QStringLiteral("/ThermoxData/settings.ini"),
                   QSettings::IniFormat);
    QCOMPARE(file.value(key).toString(), value.toString());
    QCOMPARE(AppSettings::value(key), QVariant(value.toString()));
}

void TestAppSettings::absentKeyGivesTheDefault()
{
    QCOMPARE(AppSettings::value(QStringLiteral("neverWritten"), 42), QVariant(42));
    QVERIFY(!AppSettings::value(QStringLiteral("neverWritten")).isValid());
}

void TestAppSettings::threadsReadAndWriteAtOnce()
{
    LogWatch quiet;
    const auto writeAndRead = [](int thread) {
        const QString key = QStringLiteral("thread%1").arg(thread);
        for (int i = 0; i < 100; ++i) {
            AppSettings::setValue(key, i);
            if (AppSettings::value(key).toInt() != i)
                return false;
        }
        return true;
    };
    QList<QFuture<bool>> threads;
    for (int thread = 0; thread < 4; ++thread)
        threads.append(QtConcurrent::run(writeAndRead, thread));
    for (QFuture<bool> &thread : threads)
        QVERIFY(thread.result());
    QCOMPARE(quiet.count(QRegularExpression("^Setting value: thread")), 400);
}

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_appsettings.moc"
