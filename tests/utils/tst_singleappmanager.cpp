#include "utils/singleappmanager.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// For a user's runtime folder: short, under /tmp, since a socket path has
// room for about a hundred bytes and the build folder may take half of them.
const QString RuntimeFolderTemplate = QStringLiteral("/tmp/thermox-run-XXXXXX");
} // namespace

class TestSingleAppManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void secondInstanceExitsAndPingsTheFirst();
    void connectionWithoutPingIsClosedSilently();
    void nullSocketIsRejected();
    void staleServerNameIsTakenOver();
    void instanceStartingAtTheSameMomentWins();
    void serverIsUserOnly();
    void anotherUsersInstanceNeitherBlocksNorIsPinged();

private:
    static int runProbe(const QString &applicationName, const char *mode,
                        const QString &runtimeFolder = QString());
    QTemporaryDir m_runtimeFolder{RuntimeFolderTemplate};
    SingleAppManager *m_manager = nullptr;
};

void TestSingleAppManager::initTestCase()
{
    QVERIFY(m_runtimeFolder.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtimeFolder.path()));
    QCoreApplication::setApplicationName(
        QStringLiteral("ThermoxSingleTest%1").arg(QCoreApplication::applicationPid()));
    m_manager = SingleAppManager::instance();
    QCOMPARE(m_manager->serverName(),
             QCoreApplication::applicationName() + QStringLiteral("_SINGLE-APP-SERVER"));
    QVERIFY(m_manager->tryToRun());
}

int TestSingleAppManager::runProbe(const QString &applicationName, const char *mode,
                                   const QString &runtimeFolder)
{
    QProcess probe;
    if (!runtimeFolder.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
        probe.setProcessEnvironment(environment);
    }
    QSignalSpy finished(&probe, qOverload<int, QProcess::ExitStatus>(&QProcess::finished));
    probe.start(QStringLiteral(SINGLEAPPPROBE_PATH), {applicationName, QString::fromLatin1(mode)});
    // Waiting through the event loop lets this process accept the probe's ping.
    if (!finished.wait(30000) || probe.exitStatus() != QProcess::NormalExit)
        return -1;
    return probe.exitCode();
}

void TestSingleAppManager::secondInstanceExitsAndPingsTheFirst()
{
    QSignalSpy started(m_manager, &SingleAppManager::anotherAppStarted);
    for (int ping = 1; ping <= 2; ++ping) {
        QCOMPARE(runProbe(QCoreApplication::applicationName(), "once"), 1);
        QTRY_COMPARE(started.count(), ping);
    }
}

void TestSingleAppManager::connectionWithoutPingIsClosedSilently()
{
    QSignalSpy started(m_manager, &SingleAppManager::anotherAppStarted);
    QLocalSocket socket;
    socket.connectToServer(m_manager->serverPath());
    QVERIFY(socket.waitForConnected(5000));
    socket.write("HELLO");
    QVERIFY(socket.waitForBytesWritten(5000));
    QSignalSpy closed(&socket, &QLocalSocket::disconnected);
    QVERIFY(closed.wait(5000));
    QCOMPARE(started.count(), 0);
}

void TestSingleAppManager::nullSocketIsRejected()
{
    QSignalSpy started(m_manager, &SingleAppManager::anotherAppStarted);
    QTest::ignoreMessage(QtWarningMsg, "Cannot check ping for a null socket instance!");
    m_manager->checkPing(nullptr);
    QCOMPARE(started.count(), 0);
}

void TestSingleAppManager::staleServerNameIsTakenOver()
{
    const QString name = QCoreApplication::applicationName() + QStringLiteral("Stale");
    QProcess crashed;
    crashed.start(QStringLiteral(SINGLEAPPPROBE_PATH), {name, QStringLiteral("stay")});
    QVERIFY(crashed.waitForReadyRead(30000));
    QCOMPARE(crashed.readAllStandardOutput().trimmed(), QByteArray("listening"));
    crashed.kill(); // no clean-up: the socket name is left behind
    QVERIFY(crashed.waitForFinished(30000));

    QCOMPARE(runProbe(name, "once"), 0);
}

void TestSingleAppManager::instanceStartingAtTheSameMomentWins()
{
    // Another instance holds the instance lock but does not listen yet.
    const QString name = QCoreApplication::applicationName() + QStringLiteral("Starting");
    QLockFile starting(m_runtimeFolder.filePath(name + "_SINGLE-APP-SERVER.lock"));
    QVERIFY(starting.tryLock(0));
    QCOMPARE(runProbe(name, "once"), 1);
    starting.unlock();
    QCOMPARE(runProbe(name, "once"), 0);
}

void TestSingleAppManager::serverIsUserOnly()
{
    const QString path = m_manager->serverPath();
    QCOMPARE(path, m_runtimeFolder.filePath(m_manager->serverName()));
    QVERIFY(QFileInfo::exists(path));
    const QFile::Permissions others = QFile::ReadOther | QFile::WriteOther | QFile::ExeOther |
                                      QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup;
    QCOMPARE(QFile::permissions(path) & others, QFile::Permissions());
}

void TestSingleAppManager::anotherUsersInstanceNeitherBlocksNorIsPinged()
{
    // Another user of the same computer (same temporary folder, runtime
    // folder of their own) already runs an instance.
    QTemporaryDir otherUsersFolder(RuntimeFolderTemplate);
    QVERIFY(otherUsersFolder.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), otherUsersFolder.path());
    QProcess otherUsers;
    otherUsers.setProcessEnvironment(environment);
    otherUsers.start(QStringLiteral(SINGLEAPPPROBE_PATH),
                     {QCoreApplication::applicationName(), QStringLiteral("stay")});
    QVERIFY(otherUsers.waitForReadyRead(30000));
    QCOMPARE(otherUsers.readAllStandardOutput().trimmed(), QByteArray("listening"));

    // Ours keeps running and still turns away our own second instance...
    QSignalSpy started(m_manager, &SingleAppManager::anotherAppStarted);
    QCOMPARE(runProbe(QCoreApplication::applicationName(), "once"), 1);
    QTRY_COMPARE(started.count(), 1);
    // ...and a new instance of theirs goes to theirs, not to ours.
    QCOMPARE(runProbe(QCoreApplication::applicationName(), "once", otherUsersFolder.path()), 1);
    QCOMPARE(started.count(), 1);
    otherUsers.kill();
    QVERIFY(otherUsers.waitForFinished(30000));
}

QTEST_GUILESS_MAIN(TestSingleAppManager)
#include "tst_singleappmanager.moc"
