#include "utils/commandline.h"
#include "utils/datafolder.h"
#include "utils/mlog.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

#include <vector>

// MLog replaces the test framework's message handler, so these tests check
// what reaches the log file rather than using QTest::ignoreMessage.
class TestMLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void lineFormat();
    void debugOnlyWhenVerbose();
    void rotationKeepsTwoRuns();
    void verboseSwitchStoresOnlyWhenPermanent();
    void commandLineSwitches_data();
    void commandLineSwitches();
    void linesFromManyThreadsStayWhole();

private:
    static QStringList logLines();
    MLog *m_log = nullptr;
};

void TestMLog::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vornell"));
    QCoreApplication::setApplicationName(QStringLiteral("ThermoxLogTest"));
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(settingsFilePath());
    m_log = MLog::instance();
    QVERIFY(!m_log->isVerbose());
}

void TestMLog::init()
{
    m_log->enableLogToFile(QStringLiteral("ThermoxLogTest"));
    m_log->setVerboseWithoutSaving(false);
}

QStringList TestMLog::logLines()
{
    QFile file(MLog::instance()->currentLogPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestMLog::lineFormat()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QCOMPARE(m_log->currentLogPath(), documents + QStringLiteral("/ThermoxLogTest-current.log"));

    qInfo() << "hello" << 42 << QStringLiteral("caf\u00e9");
    const QStringList lines = logLines();
    QVERIFY(!lines.isEmpty());
    const QRegularExpression pattern(QStringLiteral(
        "^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d \\| info \\| \\S*tst_mlog\\.cpp:\\d+ \\| "
        "TestMLog::lineFormat: hello 42 \"caf\u00e9\"$"));
    QVERIFY2(pattern.match(lines.last()).hasMatch(), qPrintable(lines.last()));
}

void TestMLog::debugOnlyWhenVerbose()
{
    qDebug() << "quiet debug";
    qInfo() << "an info";
    qWarning() << "a warning";
    qCritical() << "a critical";
    m_log->setVerboseWithoutSaving(true);
    qDebug() << "loud debug";

    const QString log = logLines().join(QLatin1Char('\n'));
    QVERIFY(!log.contains(QStringLiteral("quiet debug")));
    QVERIFY(log.contains(QStringLiteral("| info |")));
    QVERIFY(log.contains(QStringLiteral("| warning |")));
    QVERIFY(log.contains(QStringLiteral("| critical |")));
    QVERIFY(log.contains(QStringLiteral("| debug |")));
    QVERIFY(log.contains(QStringLiteral("loud debug")));
}

void TestMLog::rotationKeepsTwoRuns()
{
    for (int run = 1; run <= 3; ++run) {
        m_log->enableLogToFile(QStringLiteral("ThermoxLogTest"));
        qInfo() << "run" << run;
    }
    QFile previous(m_log->previousLogPath());
    QVERIFY(previous.open(QIODevice::ReadOnly));
    const QByteArray previousLog = previous.readAll();
    QVERIFY(previousLog.contains("run 2"));
    QVERIFY(!previousLog.contains("run 1"));
    const QString current = logLines().join(QLatin1Char('\n'));
    QVERIFY(current.contains(QStringLiteral("run 3")));
    QVERIFY(!current.contains(QStringLiteral("run 2")));
}

void TestMLog::verboseSwitchStoresOnlyWhenPermanent()
{
    const auto storedVerbose = [] {
        return QSettings(settingsFilePath(), QSettings::IniFormat).value("verbose");
    };

    m_log->setVerboseWithoutSaving(true);
    QVERIFY(m_log->isVerbose());
    QVERIFY(!storedVerbose().isValid());
    m_log->setVerboseWithoutSaving(false);

    m_log->setVerbose(true);
    QVERIFY(m_log->isVerbose());
    QCOMPARE(storedVerbose().toBool(), true);
    m_log->setVerbose(true);
    m_log->setVerboseWithoutSaving(false);
    QCOMPARE(storedVerbose().toBool(), true);
    m_log->setVerboseWithoutSaving(false);

    const QStringList lines = logLines();
    QCOMPARE(
        lines.filter(QStringLiteral("Changing status of verbose logs temporarily: true")).size(),
        1);
    QCOMPARE(
        lines.filter(QStringLiteral("Changing status of verbose logs permanently: true")).size(),
        1);
    QCOMPARE(
        lines.filter(QStringLiteral("Changing status of verbose logs temporarily: false")).size(),
        2);
}

void TestMLog::commandLineSwitches_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("verbose");
    QTest::newRow("none") << QStringList{"thermox"} << false;
    QTest::newRow("-v") << QStringList{"thermox", "-v"} << true;
    QTest::newRow("--verbose") << QStringList{"thermox", "--verbose"} << true;
    QTest::newRow("both") << QStringList{"thermox", "--verbose", "-v"} << true;
    QTest::newRow("-V") << QStringList{"thermox", "-V"} << false;
    QTest::newRow("--Verbose") << QStringList{"thermox", "--Verbose"} << false;
    QTest::newRow("other arguments") << QStringList{"thermox", "-vv", "x", "--verbose=1"} << false;
}

void TestMLog::commandLineSwitches()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, verbose);
    QCOMPARE(hasVerboseSwitch(arguments), verbose);
}

void TestMLog::linesFromManyThreadsStayWhole()
{
    constexpr int threadCount = 4;
    constexpr int linesPerThread = 50;
    std::vector<QThread *> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.push_back(QThread::create([t] {
            for (int i = 0; i < linesPerThread; ++i)
                qInfo() << "thread" << t << "line" << i << QString(40, QLatin1Char('x'));
        }));
        threads.back()->start();
    }
    for (QThread *thread : threads) {
        QVERIFY(thread->wait(30000));
        delete thread;
    }
    const QStringList lines = logLines().filter(QStringLiteral(" | info | "));
    QCOMPARE(lines.size(), threadCount * linesPerThread);
    const QRegularExpression whole(QStringLiteral(": thread \\d line \\d+ \"x{40}\"$"));
    for (const QString &line : lines)
        QVERIFY2(whole.match(line).hasMatch(), qPrintable(line));
}

QTEST_GUILESS_MAIN(TestMLog)
#include "tst_mlog.moc"
