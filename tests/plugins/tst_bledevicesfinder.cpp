#include "bledevicesfinder.h"
#include "logwatch.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

namespace {
const QString MachineId = QStringLiteral("C0:FF:EE:00:00:07");

bool isRunning(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0;
}
} // namespace

// The Windows finder with a stand-in scanner program that reports one
// machine on every "START" and records what the plug-in tells it.
class TestBLEDevicesFinder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void scanStartsTheProgramScanning();
    void killedProgramIsRestartedAndToldToScanAgain();
    void machineGoneIsDroppedAndAcknowledged();
    void stopTellsTheProgramToClose();
    void missingProgram();
    void destructionEndsTheProgram();

private:
    // Messages the program received, oldest first.
    QStringList received() const;
    qint64 programPid() const;

    QTemporaryDir m_folder;
    QString m_record;
};

void TestBLEDevicesFinder::initTestCase()
{
    qRegisterMetaType<BLEDeviceInterface *>();
    QVERIFY(m_folder.isValid());
    qputenv("FAKE_SCANNER_MACHINE", MachineId.toUtf8() + " vela16-Bench");
}

void TestBLEDevicesFinder::init()
{
    static int run = 0;
    m_record = m_folder.filePath(QStringLiteral("record-%1").arg(++run));
    qputenv("FAKE_SCANNER_RECORD", m_record.toLocal8Bit());
}

QStringList TestBLEDevicesFinder::received() const
{
    QFile file(m_record);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    // Process ids are the lines that are numbers.
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const QString &line) {
                                   bool number = false;
                                   line.toLongLong(&number);
                                   return number;
                               }),
                lines.end());
    return lines;
}

qint64 TestBLEDevicesFinder::programPid() const
{
    QFile file(m_record);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    qint64 pid = 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        bool number = false;
        const qint64 value = line.toLongLong(&number);
        if (number)
            pid = value;
    }
    return pid;
}

void TestBLEDevicesFinder::scanStartsTheProgramScanning()
{
    BLEDevicesFinder finder(QStringLiteral(FAKE_SCANNER));
    QSignalSpy announced(&finder, &BLEDevicesProviderInterface::newDeviceAvailable);
    QSignalSpy scanActive(&finder, &BLEDevicesProviderInterface::scanActiveChanged);

    // Asked before the program has connected: told as soon as it does.
    finder.start();
    QVERIFY(finder.scanActive());
    QVERIFY(announced.wait(10000));

    auto *device = announced.first().first().value<BLEDeviceInterface *>();
    QCOMPARE(device->id(), MachineId);
    QCOMPARE(device->name(), QStringLiteral("vela16-Bench"));
    QVERIFY(device->isAvailable());
    QCOMPARE(received(), QStringList{QStringLiteral("START")});
    QCOMPARE(scanActive.count(), 1);
}

void TestBLEDevicesFinder::killedProgramIsRestartedAndToldToScanAgain()
{
    BLEDevicesFinder finder(QStringLiteral(FAKE_SCANNER));
    QSignalSpy announced(&finder, &BLEDevicesProviderInterface::newDeviceAvailable);
    QSignalSpy scanActive(&finder, &BLEDevicesProviderInterface::scanActiveChanged);
    finder.start();
    QVERIFY(announced.wait(10000));
    const qint64 first = programPid();
    QVERIFY(first > 0);

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral(
                             "^The scanner program finished unexpectedly\\. Restarting: ")));
    QVERIFY(::kill(pid_t(first), SIGKILL) == 0);

    QVERIFY(scanActive.wait(10000));
    QCOMPARE(scanActive.last().first().toBool(), false);
    QVERIFY(!finder.scanActive());
    // The request to scan stands: the new program is told at once.
    QVERIFY(announced.wait(10000));
    QVERIFY(programPid() != first);
    QCOMPARE(received(), (QStringList{QStringLiteral("START"), QStringLiteral("START")}));
    // The second report replaces the first object under the machine's id.
    QVERIFY(announced.last().first().value<BLEDeviceInterface *>() !=
            announced.first().first().value<BLEDeviceInterface *>());
}

void TestBLEDevicesFinder::machineGoneIsDroppedAndAcknowledged()
{
    BLEDevicesFinder finder(QStringLiteral(FAKE_SCANNER));
    QSignalSpy announced(&finder, &BLEDevicesProviderInterface::newDeviceAvailable);
    finder.start();
    QVERIFY(announced.wait(10000));
    const QPointer<BLEDeviceInterface> device =
        announced.first().first().value<BLEDeviceInterface *>();
    QSignalSpy availability(device.data(), &IAvailable::availableChanged);

    finder.onDeviceUnavaialble(QStringLiteral("C0:FF:EE:00:00:99"));
    finder.onDeviceUnavaialble(MachineId);

    QCOMPARE(availability.count(), 1);
    QCOMPARE(availability.first().first().toBool(), false);
    // Deleted after the emitting call has returned; the program is told.
    QVERIFY(device);
    QTRY_VERIFY(!device);
    QTRY_COMPARE(received(), (QStringList{QStringLiteral("START"),
                                          QStringLiteral("DEVICE_UNAVAILABLE"), MachineId}));
}

void TestBLEDevicesFinder::stopTellsTheProgramToClose()
{
    BLEDevicesFinder finder(QStringLiteral(FAKE_SCANNER));
    QSignalSpy announced(&finder, &BLEDevicesProviderInterface::newDeviceAvailable);
    QSignalSpy scanActive(&finder, &BLEDevicesProviderInterface::scanActiveChanged);
    finder.start();
    QVERIFY(announced.wait(10000));

    finder.stop();
    finder.stop();

    QVERIFY(!finder.scanActive());
    QCOMPARE(scanActive.count(), 2);
    QTRY_COMPARE(received(), (QStringList{QStringLiteral("START"), QStringLiteral("CLOSE"),
                                          QStringLiteral("CLOSE")}));
}

void TestBLEDevicesFinder::missingProgram()
{
    const QString missing = m_folder.filePath(QStringLiteral("no-such-scanner"));
    LogWatch log;
    BLEDevicesFinder finder(missing);
    QSignalSpy scanActive(&finder, &BLEDevicesProviderInterface::scanActiveChanged);

    QTRY_COMPARE(log.count(QRegularExpression(
                     QStringLiteral("^Cannot start scanner program \"%1\"$").arg(missing))),
                 1);
    finder.start();

    // Waits for a program that would connect.
    QVERIFY(finder.scanActive());
    QCOMPARE(scanActive.count(), 1);
}

void TestBLEDevicesFinder::destructionEndsTheProgram()
{
    qint64 pid = 0;
    QElapsedTimer closing;
    {
        BLEDevicesFinder finder(QStringLiteral(FAKE_SCANNER));
        QSignalSpy announced(&finder, &BLEDevicesProviderInterface::newDeviceAvailable);
        finder.start();
        QVERIFY(announced.wait(10000));
        pid = programPid();
        closing.start();
    }

    // Well inside the 30 s the finder would wait for it.
    QVERIFY2(closing.elapsed() < 10000, qPrintable(QString::number(closing.elapsed())));
    QVERIFY(!isRunning(pid));
    QCOMPARE(received(), (QStringList{QStringLiteral("START"), QStringLiteral("CLOSE")}));
}

QTEST_GUILESS_MAIN(TestBLEDevicesFinder)
#include "tst_bledevicesfinder.moc"
