#include "programuser.h"
#include "virtualbluezbus.h"

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
    void anotherUsersInstanceRunsBesideIt();
    void detectsVirtualMachinesAndSavesOnSignal_data();
    void detectsVirtualMachinesAndSavesOnSignal();

private:
    void start(QProcess &process, const QStringList &arguments = {});
    static void start(QProcess &process, const ProgramUser &user, const QStringList &arguments = {},
                      const QProcessEnvironment &extra = {});
    QString log(const QString &which = QStringLiteral("current")) const;
    void waitUntilRunning();

    QScopedPointer<ProgramUser> m_user;
    QProcess m_first;
};

void TestStartup::init()
{
    m_user.reset(new ProgramUser);
    QVERIFY(m_user->isValid());
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
    start(process, *m_user, arguments);
}

void TestStartup::start(QProcess &process, const ProgramUser &user, const QStringList &arguments,
                        const QProcessEnvironment &extra)
{
    QProcessEnvironment environment = user.environment();
    environment.insert(extra);
    process.setProcessEnvironment(environment);
    process.start(THERMOX_PATH, arguments);
    QVERIFY(process.waitForStarted(10000));
}

QString TestStartup::log(const QString &which) const
{
    return m_user->log(which);
}

void TestStartup::waitUntilRunning()
{
    m_user->waitUntilRunning(m_first);
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
        m_user->home.filePath(".local/share/Vornell/Thermox/ThermoxData/settings.ini");
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

void TestStartup::anotherUsersInstanceRunsBesideIt()
{
    start(m_first);
    waitUntilRunning();

    // Another user of the same lab computer: the temporary folder is shared,
    // home and runtime folder are theirs.
    ProgramUser otherUser;
    QVERIFY(otherUser.isValid());
    QProcess theirs;
    start(theirs, otherUser);
    otherUser.waitUntilRunning(theirs);
    const bool bothRunning =
        theirs.state() == QProcess::Running && m_first.state() == QProcess::Running;
    theirs.kill();
    theirs.waitForFinished(10000);
    QVERIFY(bothRunning);
}

// The machines of the virtual USB bus and Bluetooth daemon, as scripts/run gives
// them, are found and initialised; ending by a signal (logout, shutdown,
// Ctrl+C, a closed terminal) still saves the library and the devices.
void TestStartup::detectsVirtualMachinesAndSavesOnSignal_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestStartup::detectsVirtualMachinesAndSavesOnSignal()
{
    QFETCH(int, signalNumber);
    QProcessEnvironment machines;
    machines.insert("LD_PRELOAD", VIRTUAL_HID_PATH);
    // The preloaded bus comes before the sanitizer's runtime.
    machines.insert("ASAN_OPTIONS",
                    qEnvironmentVariable("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    machines.insert("THERMOX_BLE_PLUGIN_PATH", BLE_PLUGIN_FOLDER);
    machines.insert("THERMOX_VIRTUAL_MACHINES", "vela8,vela16");
    // The program inherits the private bus's address.
    VirtualBluezBus bluetooth;
    QVERIFY2(bluetooth.isRunning(), qPrintable(bluetooth.errorString()));
    QVERIFY(!bluetooth.addMachine(QStringLiteral("vela16")).isEmpty());
    start(m_first, *m_user, {}, machines);
    waitUntilRunning();
    // Both vela16s, and the vela8 once it has reported its factory program.
    QTRY_VERIFY_WITH_TIMEOUT(log().count("DEVICE INIT FINISHED:  true true") >= 3, 30000);
    const QString text = log();
    QVERIFY2(text.contains("Virtual vela16 BLE"), qPrintable(text.right(3000)));
    QVERIFY(text.contains("Machine Settings Retrieved:  Virtual vela8"));
    QVERIFY(!QFile::exists(m_user->dataFile("devices0")) ||
            !QFile(m_user->dataFile("devices0")).size());

    // A second signal, as an impatient user or a shutdown sends, changes nothing.
    ::kill(pid_t(m_first.processId()), signalNumber);
    ::kill(pid_t(m_first.processId()), signalNumber);
    QVERIFY(m_first.waitForFinished(60000));
    QCOMPARE(m_first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_first.exitCode(), 0);
    QVERIFY(log().contains("Stopping PCR Core: done"));
    // The window goes before the core: no binding reads the destroyed core.
    QVERIFY2(!log().contains("TypeError"), qPrintable(log().right(3000)));
    QFile devices(m_user->dataFile("devices0"));
    QVERIFY(devices.open(QIODevice::ReadOnly));
    const QByteArray devicesText = devices.readAll();
    QVERIFY(devicesText.contains("Virtual vela16 BLE"));
    QVERIFY(devicesText.contains("Virtual vela16 2"));
    QFile library(m_user->dataFile("protocols0"));
    QVERIFY(library.open(QIODevice::ReadOnly));
    QVERIFY(library.readAll().contains("Factory test"));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
