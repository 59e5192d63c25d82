#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// Starts the program itself, without a display, in a fresh HOME.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsLogsAndRefusesASecondInstance();
    void verboseSwitchIsForOneRunOnly();
    void faultLeavesABacktraceInTheLog();

private:
    void start(QProcess &process, const QStringList &arguments = {});
    QString log(const QString &which = QStringLiteral("current")) const;
    void waitUntilRunning();

    QScopedPointer<QTemporaryDir> m_home;
    QProcess m_first;
};

void TestStartup::init()
{
    m_home.reset(new QTemporaryDir);
    QVERIFY(m_home->isValid());
}

void TestStartup::cleanup()
{
    if (m_first.state() != QProcess::NotRunning) {
        m_first.kill();
        m_first.waitForFinished(10000);
    }
}

void TestStartup::start(QProcess &process, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", m_home->path());
    environment.insert("XDG_DATA_HOME", m_home->filePath(".local/share"));
    environment.insert("XDG_CONFIG_HOME", m_home->filePath(".config"));
    // Process-wide name of the single-instance server lives in TMPDIR.
    environment.insert("TMPDIR", m_home->path());
    process.setProcessEnvironment(environment);
    process.start(THERMOX_PATH, arguments);
    QVERIFY(process.waitForStarted(10000));
}

QString TestStartup::log(const QString &which) const
{
    QFile file(m_home->filePath("Documents/Thermox-" + which + ".log"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void TestStartup::waitUntilRunning()
{
    // The last start-up line: every service, the crash handler included, is up.
    QTRY_VERIFY_WITH_TIMEOUT(log().contains("Main window loaded from"), 60000);
}

void TestStartup::startsLogsAndRefusesASecondInstance()
{
    start(m_first);
    waitUntilRunning();
    QVERIFY(log().contains("Sys info"));
    const QString firstLine = log().section('\n', 0, 0);
    QVERIFY2(
        QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d \\| info \\| \\S+\\.cpp:"
                           "\\d+ \\| .+: .+$")
            .match(firstLine)
            .hasMatch(),
        qPrintable(firstLine));

    QProcess second;
    start(second);
    QVERIFY(second.waitForFinished(60000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 1);
    // The second instance gave up before touching the running one's logs.
    QVERIFY(log("previous").isEmpty());
    QCOMPARE(m_first.state(), QProcess::Running);
}

void TestStartup::verboseSwitchIsForOneRunOnly()
{
    start(m_first, {"-v"});
    waitUntilRunning();
    // Switched before the log file opens, so the line reaches only stderr.
    QByteArray errors; // stderr arrives in pieces; keep what was read
    QTRY_VERIFY_WITH_TIMEOUT((errors += m_first.readAllStandardError())
                                 .contains("Changing status of verbose logs temporarily: true"),
                             30000);
    const QString settingsPath =
        m_home->filePath(".local/share/Vornell/Thermox/ThermoxData/settings.ini");
    QVERIFY(!QSettings(settingsPath, QSettings::IniFormat).contains("verbose"));
}

void TestStartup::faultLeavesABacktraceInTheLog()
{
    start(m_first);
    waitUntilRunning();
    ::kill(pid_t(m_first.processId()), SIGSEGV);
    QVERIFY(m_first.waitForFinished(60000));
    QCOMPARE(m_first.exitStatus(), QProcess::CrashExit);
    const QString text = log();
    const int crash = text.indexOf("| critical |");
    QVERIFY2(crash >= 0, qPrintable(text.right(2000)));
    const int detected = text.indexOf("Crash detected");
    const int begin = text.indexOf(".Backtrace begin");
    const int end = text.indexOf(".Backtrace end");
    QVERIFY(detected >= 0 && detected < begin && begin < end);
    QVERIFY(text.mid(begin, end - begin).contains("\t"));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
