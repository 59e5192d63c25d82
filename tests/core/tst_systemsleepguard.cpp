#include "core/systemsleepguard.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
QtMessageHandler forwardMessage = nullptr;
QList<QPair<QtMsgType, QString>> loggedMessages;

// Records every message and hands it on to QtTest, so ignoreMessage still works.
void recordMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    loggedMessages.append({type, message});
    forwardMessage(type, context, message);
}

int countOf(QtMsgType type)
{
    return int(std::count_if(loggedMessages.cbegin(), loggedMessages.cend(),
                             [type](const auto &logged) { return logged.first == type; }));
}

bool wasLogged(const QString &message)
{
    return std::any_of(loggedMessages.cbegin(), loggedMessages.cend(),
                       [&message](const auto &logged) { return logged.second == message; });
}
} // namespace

// Stands in for logind: hands out the write end of a pipe as the inhibitor and
// keeps the read end, which reports a hang-up once every copy is closed.
class FakeLogin1 : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    ~FakeLogin1() override { closeReadEnd(); }

    QStringList arguments;

    bool inhibitorHeld() const
    {
        pollfd watched{m_readEnd, POLLIN, 0};
        return m_readEnd >= 0 && poll(&watched, 1, 0) == 0;
    }

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why,
                                    const QString &mode)
    {
        arguments = QStringList{what, who, why, mode};
        closeReadEnd();
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return QDBusUnixFileDescriptor();
        m_readEnd = ends[0];
        const QDBusUnixFileDescriptor writeEnd(ends[1]); // keeps a duplicate
        close(ends[1]);
        return writeEnd;
    }

private:
    void closeReadEnd()
    {
        if (m_readEnd >= 0)
            close(m_readEnd);
        m_readEnd = -1;
    }

    int m_readEnd = -1;
};

class TestSystemSleepGuard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void withoutSessionBusWarnsOnceAndGoesOn();
    void systemInhibitorOutlivesTheGuard();

private:
    static const QString inhibitedMessage;
    QTemporaryDir m_busFolder;
    QProcess m_busDaemon;
    FakeLogin1 m_login1;
};

const QString TestSystemSleepGuard::inhibitedMessage =
    QStringLiteral("System sleep inhibited for the life of the process");

void TestSystemSleepGuard::initTestCase()
{
    forwardMessage = qInstallMessageHandler(recordMessage);

    // The session bus stays unreachable (the test environment points it at
    // nothing); a private bus daemon plays the system bus with a fake logind.
    QVERIFY(m_busFolder.isValid());
    m_busDaemon.start(
        QStringLiteral("dbus-daemon"),
        {QStringLiteral("--session"), QStringLiteral("--nofork"),
         QStringLiteral("--print-address=1"),
         QStringLiteral("--address=unix:path=") + m_busFolder.filePath(QStringLiteral("bus"))});
    QVERIFY(m_busDaemon.waitForReadyRead(10000));
    const QByteArray address = m_busDaemon.readLine().trimmed();
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);

    QDBusConnection service =
        QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("fake-login1"));
    QVERIFY(service.isConnected());
    QVERIFY(service.registerService(QStringLiteral("org.freedesktop.login1")));
    QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/login1"), &m_login1,
                                   QDBusConnection::ExportAllSlots));
}

void TestSystemSleepGuard::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-login1"));
    m_busDaemon.terminate();
    QVERIFY(m_busDaemon.waitForFinished(10000));
    qInstallMessageHandler(forwardMessage);
}

void TestSystemSleepGuard::init()
{
    loggedMessages.clear();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^No D-Bus session bus")));
}

void TestSystemSleepGuard::withoutSessionBusWarnsOnceAndGoesOn()
{
    SystemSleepGuard guard;
    QCOMPARE(countOf(QtWarningMsg), 1);
    // The system side is still asked.
    QTRY_VERIFY(wasLogged(inhibitedMessage));
    QCOMPARE(countOf(QtWarningMsg), 1);
}

void TestSystemSleepGuard::systemInhibitorOutlivesTheGuard()
{
    QElapsedTimer clock;
    clock.start();
    auto *guard = new SystemSleepGuard;
    // The fake answers on this thread only, so a blocking call would sit out
    // the whole D-Bus time-out here.
    QVERIFY(clock.elapsed() < 5000);

    QTRY_VERIFY(wasLogged(inhibitedMessage));
    QCOMPARE(m_login1.arguments.size(), 4);
    QCOMPARE(m_login1.arguments.at(0), QStringLiteral("sleep:idle"));
    QCOMPARE(m_login1.arguments.at(1), QCoreApplication::applicationName());
    QVERIFY(!m_login1.arguments.at(2).isEmpty());
    QCOMPARE(m_login1.arguments.at(3), QStringLiteral("block"));

    delete guard;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(m_login1.inhibitorHeld());
}

QTEST_GUILESS_MAIN(TestSystemSleepGuard)
#include "tst_systemsleepguard.moc"
