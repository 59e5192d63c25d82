#include "virtualhidbus.h"
#include "virtualmachine.h"

#include <hidapi/hidapi.h>

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int ToolTimeoutMs = 10000;
const QString Serial = QStringLiteral("00112233445566778899AA");

struct ToolResult
{
    int exitCode = -1;
    QString output;
};

ToolResult
runTool(const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(VIRTUALPCRCTL), arguments);
    if (!tool.waitForFinished(ToolTimeoutMs))
        return {};
    return {
        tool.exitCode(),
        QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError()).trimmed()};
}

bool isEnumerated(const QString &serialNumber)
{
    bool found = false;
    hid_device_info *devices = hid_enumerate(0, 0);
    for (const hid_device_info *info = devices; info; info = info->next)
        found = found || QString::fromWCharArray(info->serial_number) == serialNumber;
    hid_free_enumeration(devices);
    return found;
}

// A socket file whose program has ended: bound, then closed without removing it.
bool leaveSocketBehind(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path)
        return false;
    memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound;
}

} // namespace

class TestVirtualPcrCtl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void socketIsTheUsersOnly();
    void machineIsAddedFaultedAndRemoved();
    void refusalsAreReported_data();
    void refusalsAreReported();
    void saysWhenNoMachinesRun_data();
    void saysWhenNoMachinesRun();
};

void TestVirtualPcrCtl::initTestCase()
{
    QCOMPARE(hid_init(), 0);
    QVERIFY(!VirtualHidBus::instance().controlServerPath().isEmpty());
}

void TestVirtualPcrCtl::socketIsTheUsersOnly()
{
    const QFileInfo socket(VirtualHidBus::instance().controlServerPath());
    QVERIFY(socket.exists());
    // Each user reaches only their own machines.
    QCOMPARE(socket.absoluteFilePath(),
             QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
                 .filePath(QStringLiteral("thermox-virtualpcr")));
    QCOMPARE(socket.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                     QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
             QFile::Permissions());
}

void TestVirtualPcrCtl::machineIsAddedFaultedAndRemoved()
{
    ToolResult result = runTool({QStringLiteral("add"), QStringLiteral("vela16:") + Serial +
                                                            QStringLiteral(":Lab bench two")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.output, QStringLiteral("OK ") + Serial);
    QVERIFY(isEnumerated(Serial));

    const QList<QStringList> faults = {
        {QStringLiteral("busy"), Serial, QStringLiteral("on")},
        {QStringLiteral("power"), Serial, QStringLiteral("off")},
        {QStringLiteral("drop"), Serial, QStringLiteral("0.25")},
        {QStringLiteral("corrupt"), Serial, QStringLiteral("0.5")},
        {QStringLiteral("speed"), Serial, QStringLiteral("60")},
    };
    for (const QStringList &command : faults)
        QCOMPARE(runTool(command).exitCode, 0);
    VirtualHidBus::instance().withMachine(Serial, [](VirtualMachine &machine) {
        QCOMPARE(machine.machineName(), QStringLiteral("Lab bench two"));
        QVERIFY(machine.isHeldByOtherHost());
        QVERIFY(!machine.isPowered());
        QCOMPARE(machine.faults().dropRate(), 0.25);
        QCOMPARE(machine.faults().corruptRate(), 0.5);
        QCOMPARE(machine.clock()->speed(), 60.0);
    });

    result = runTool({QStringLiteral("list")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.output.contains(Serial + QStringLiteral(" vela16 plugged power=off busy=on")));

    QCOMPARE(runTool({QStringLiteral("unplug"), Serial}).exitCode, 0);
    QVERIFY(!isEnumerated(Serial));
    QCOMPARE(runTool({QStringLiteral("plug"), Serial}).exitCode, 0);
    QVERIFY(isEnumerated(Serial));
    QCOMPARE(runTool({QStringLiteral("remove"), Serial}).exitCode, 0);
    QVERIFY(!isEnumerated(Serial));
    QVERIFY(!VirtualHidBus::instance().serialNumbers().contains(Serial));
}

void TestVirtualPcrCtl::refusalsAreReported_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("reply");

    QTest::newRow("unknown machine") << QStringList{QStringLiteral("remove"), QStringLiteral("X")}
                                     << 1 << QStringLiteral("ERROR no machine X");
    QTest::newRow("rate out of range")
        << QStringList{QStringLiteral("drop"), QStringLiteral("VELA8-0001"), QStringLiteral("2")}
        << 1 << QStringLiteral("ERROR a rate lies between 0 and 1");
    QTest::newRow("missing argument") << QStringList{QStringLiteral("power")} << 1
                                      << QStringLiteral("ERROR usage: power ID on|off");
    QTest::newRow("unknown command") << QStringList{QStringLiteral("explode")} << 1
                                     << QStringLiteral("ERROR unknown command explode; try help");
}

void TestVirtualPcrCtl::refusalsAreReported()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, reply);
    const ToolResult result = runTool(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.output.startsWith(reply), qPrintable(result.output));
}

void TestVirtualPcrCtl::saysWhenNoMachinesRun_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("socketName");
    QTest::addColumn<bool>("leftOver");

    const QString defaultName = QStringLiteral("thermox-virtualpcr");
    QTest::newRow("nothing in the runtime folder")
        << QStringList{QStringLiteral("list")} << defaultName << false;
    QTest::newRow("socket of an ended program")
        << QStringList{QStringLiteral("list")} << defaultName << true;
    QTest::newRow("other socket name")
        << QStringList{QStringLiteral("--socket"), QStringLiteral("nobody-here"),
                       QStringLiteral("list")}
        << QStringLiteral("nobody-here") << false;
}

void TestVirtualPcrCtl::saysWhenNoMachinesRun()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, socketName);
    QFETCH(bool, leftOver);
    // A user whose runtime folder holds no running machines; short, since a
    // socket path has room for about a hundred bytes.
    QTemporaryDir runtimeFolder(QStringLiteral("/tmp/thermox-run-XXXXXX"));
    QVERIFY(runtimeFolder.isValid());
    const QString socketPath = runtimeFolder.filePath(socketName);
    if (leftOver)
        QVERIFY(leaveSocketBehind(socketPath));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder.path());

    const ToolResult result = runTool(arguments, environment);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.output, QStringLiteral("ERROR no virtual machines are running: start Thermox "
                                           "with scripts/run (nothing listens on %1)")
                                .arg(socketPath));
}

QTEST_GUILESS_MAIN(TestVirtualPcrCtl)
#include "tst_virtualpcrctl.moc"
