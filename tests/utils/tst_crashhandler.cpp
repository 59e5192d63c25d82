#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "utils/crashhandler.h"

#include <cerrno>
#include <csignal>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr int maxFrames = 62;

// mincore refuses a range that is not mapped.
bool isMapped(void *address)
{
    unsigned char resident = 0;
    return mincore(address, size_t(sysconf(_SC_PAGESIZE)), &resident) == 0 || errno != ENOMEM;
}

struct ProbeRun
{
    QProcess::ExitStatus exitStatus = QProcess::NormalExit;
    int exitCode = -1;
    QStringList messages; // the message part of each log line, in order
};
} // namespace

class TestCrashHandler : public QObject
{
    Q_OBJECT

private slots:
    void faultIsLoggedWithBacktrace_data();
    void faultIsLoggedWithBacktrace();
    void faultInsideFilterEndsProcess();
    void threadStackGoesWithItsThread();

private:
    static ProbeRun runProbe(const QString &mode);
};

ProbeRun TestCrashHandler::runProbe(const QString &mode)
{
    ProbeRun run;
    QTemporaryDir home;
    if (!home.isValid())
        return run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    // The address sanitizer gives every thread a signal stack of its own; the
    // program's release build has none but those the crash handler sets up.
    const QString sanitizer = QStringLiteral("ASAN_OPTIONS");
    environment.insert(sanitizer,
                       environment.value(sanitizer) + QStringLiteral(":use_sigaltstack=0"));
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(CRASHPROBE_PATH), {mode});
    if (!probe.waitForFinished(60000))
        return run;
    run.exitStatus = probe.exitStatus();
    run.exitCode = probe.exitCode();

    QFile log(home.filePath(QStringLiteral("Documents/crashprobe-current.log")));
    if (!log.open(QIODevice::ReadOnly | QIODevice::Text))
        return run;
    // "time | type | file:line | function: message"; the crash lines are all critical.
    const QString critical = QStringLiteral(" | critical | ");
    for (const QString &line : QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'))) {
        if (!line.contains(critical))
            continue;
        const QString functionAndMessage = line.section(QStringLiteral(" | "), 3);
        run.messages << functionAndMessage.mid(functionAndMessage.indexOf(QStringLiteral(": ")) +
                                               2);
    }
    return run;
}

void TestCrashHandler::faultIsLoggedWithBacktrace_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("handlerAlive");
    QTest::addColumn<bool>("faultsInProbe");
    QTest::addColumn<bool>("deepStack");

    QTest::newRow("null write") << "segv" << SIGSEGV << true << true << false;
    QTest::newRow("abort") << "abort" << SIGABRT << true << false << false;
    QTest::newRow("bus error") << "bus" << SIGBUS << true << false << false;
    QTest::newRow("illegal instruction") << "ill" << SIGILL << true << false << false;
    QTest::newRow("arithmetic") << "fpe" << SIGFPE << true << false << false;
    QTest::newRow("handler's parent deleted") << "orphan" << SIGSEGV << false << true << false;
    QTest::newRow("deeper than the limit") << "deep" << SIGSEGV << true << true << true;
    // The guard page may be touched inside a runtime helper the recursion calls
    // (the sanitizer's TLS lookup, say), so the first frame need not be ours.
    QTest::newRow("stack overflow") << "overflow" << SIGSEGV << true << false << true;
    QTest::newRow("stack overflow on a started thread")
        << "thread-overflow" << SIGSEGV << true << false << true;
}

void TestCrashHandler::faultIsLoggedWithBacktrace()
{
    QFETCH(QString, mode);
    QFETCH(int, signal);
    QFETCH(bool, handlerAlive);
    QFETCH(bool, faultsInProbe);
    QFETCH(bool, deepStack);

    const ProbeRun run = runProbe(mode);
    QCOMPARE(run.exitStatus, QProcess::CrashExit);
    QCOMPARE(run.exitCode, signal);

    const int detected = run.messages.indexOf(QStringLiteral("Crash detected"));
    const int begin = run.messages.indexOf(QStringLiteral(".Backtrace begin"));
    const int end = run.messages.indexOf(QStringLiteral(".Backtrace end"));
    QVERIFY2(detected >= 0 && detected < begin && begin < end,
             qPrintable(run.messages.join(QLatin1Char('\n'))));
    // The signal is emitted between the first two lines, and only while the handler exists.
    QCOMPARE(run.messages.mid(detected + 1, begin - detected - 1),
             handlerAlive ? QStringList{QStringLiteral("crashDetected received")} : QStringList());

    const QStringList frames = run.messages.mid(begin + 1, end - begin - 1);
    QVERIFY(!frames.isEmpty());
    QVERIFY(frames.size() <= maxFrames);
    if (deepStack)
        QCOMPARE(frames.size(), maxFrames);

    static const QRegularExpression frameLine(
        QStringLiteral("^\\t(?:\\[0x[0-9a-f]{16}\\+\\d+\\]|\\(No symbol\\) \\[0x[0-9a-f]{16}\\])"
                       "(?:\\((.+):(\\d+)\\)|\\(No line info\\))$"));
    QStringList files;
    for (const QString &frame : frames) {
        const QRegularExpressionMatch match = frameLine.match(frame);
        QVERIFY2(match.hasMatch(), qPrintable(frame));
        files << match.captured(1);
    }
    // The walk starts at the fault, never inside the handler.
    QVERIFY(!files.join(QLatin1Char('\n')).contains(QStringLiteral("crashhandler")));
    QVERIFY(files.filter(QRegularExpression(QStringLiteral("crashprobe\\.cpp$"))).size() > 0);
    if (faultsInProbe)
        QVERIFY2(files.first().endsWith(QStringLiteral("crashprobe.cpp")),
                 qPrintable(frames.first()));
    // The C library's frames below main carry no line information.
    if (!deepStack)
        QVERIFY(frames.last().endsWith(QStringLiteral("(No line info)")));
}

void TestCrashHandler::faultInsideFilterEndsProcess()
{
    // The probe aborts, then faults from its crashDetected slot, inside the filter.
    const ProbeRun run = runProbe(QStringLiteral("fault-in-filter"));
    QCOMPARE(run.exitStatus, QProcess::CrashExit);
    QCOMPARE(run.exitCode, SIGSEGV);
    QCOMPARE(run.messages.count(QStringLiteral("Crash detected")), 1);
    QVERIFY(run.messages.contains(QStringLiteral("crashDetected received")));
    QVERIFY(!run.messages.contains(QStringLiteral(".Backtrace begin")));
}

void TestCrashHandler::threadStackGoesWithItsThread()
{
    stack_t before = {};
    stack_t installed = {};
    stack_t again = {};
    bool ok = false;
    std::thread thread([&] {
        sigaltstack(nullptr, &before);
        ok = CrashHandler::installThreadStack();
        sigaltstack(nullptr, &installed);
        ok = ok && CrashHandler::installThreadStack();
        sigaltstack(nullptr, &again);
    });
    thread.join(); // the thread has ended, its thread-local objects are gone

    QVERIFY(ok);
    QVERIFY(!(installed.ss_flags & SS_DISABLE));
    QVERIFY(installed.ss_sp != before.ss_sp);
    QCOMPARE(again.ss_sp, installed.ss_sp);
    // Ours is freed; a stack the thread had before (the sanitizer's) was
    // handed back, and its owner freed it as the thread ended.
    QVERIFY(!isMapped(installed.ss_sp));
    if (!(before.ss_flags & SS_DISABLE))
        QVERIFY(!isMapped(before.ss_sp));
}

QTEST_GUILESS_MAIN(TestCrashHandler)
#include "tst_crashhandler.moc"
