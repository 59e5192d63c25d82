#include "programuser.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {
const QString AppId = QStringLiteral(THERMOX_APP_ID);
const QString PrivateDir = QStringLiteral(PRIVATE_DIR);

QString firstMatch(const QString &text, const QString &pattern)
{
    return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(text).captured(1);
}

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
} // namespace

// Installs the build into a temporary prefix, as an administrator or the
// package build does, and runs the installed program from there: nothing of
// the build folder may be needed any more.
class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void plainInstallLeavesTheDemoOut();
    void desktopEntryAndMetainfoAreValidAndAgree();
    void installedProgramStartsWithItsPluginsAndWindow();
    void demoLauncherRunsOnVirtualMachines();

private:
    void install(const QStringList &arguments = {});
    QString installed(const QString &path) const;
    QStringList installedPlugins() const;
    static QString run(const QString &program, const QStringList &arguments, bool &ok);
    void endWithSignal(QProcess &process, const ProgramUser &user);

    QTemporaryDir m_prefix;
    QProcess m_program;
};

void TestInstall::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    install();
}

void TestInstall::install(const QStringList &arguments)
{
    bool ok = false;
    const QString output =
        run(QStringLiteral(CMAKE_COMMAND),
            QStringList{"--install", BUILD_DIR, "--prefix", m_prefix.path()} + arguments, ok);
    QVERIFY2(ok, qPrintable(output));
}

void TestInstall::cleanup()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished(10000);
    }
}

QString TestInstall::installed(const QString &path) const
{
    return m_prefix.filePath(path);
}

QStringList TestInstall::installedPlugins() const
{
    return QStringLiteral(INSTALLED_PLUGINS).split(',', Qt::SkipEmptyParts);
}

QString TestInstall::run(const QString &program, const QStringList &arguments, bool &ok)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
         process.exitCode() == 0;
    return program + ' ' + arguments.join(' ') + ":\n" + QString::fromUtf8(process.readAll());
}

void TestInstall::endWithSignal(QProcess &process, const ProgramUser &user)
{
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
             qPrintable(user.log().right(3000)));
    QVERIFY(user.log().contains("Stopping PCR Core: done"));
}

void TestInstall::plainInstallLeavesTheDemoOut()
{
    QVERIFY(QFileInfo(installed("bin/thermox")).isExecutable());
    QVERIFY(QFile::exists(installed(PrivateDir + "/libthermox_protocol.so")));
    for (const QString &plugin : installedPlugins())
        QVERIFY2(QFile::exists(installed(PrivateDir + '/' + plugin)), qPrintable(plugin));
    QVERIFY(QFile::exists(installed("lib/udev/rules.d/70-thermox.rules")));
    QVERIFY(QFile::exists(installed("share/doc/thermox/NOTICE")));
    QVERIFY(QFile::exists(installed("share/doc/thermox/copyright")));

    // Virtual machines are installed only when asked for.
    QVERIFY(!QFile::exists(installed("bin/thermox-demo")));
    QVERIFY(!QFile::exists(installed(PrivateDir + "/demo")));
}

void TestInstall::desktopEntryAndMetainfoAreValidAndAgree()
{
    const QString entry = installed("share/applications/" + AppId + ".desktop");
    const QString metainfo = installed("share/metainfo/" + AppId + ".metainfo.xml");
    bool ok = false;
    QString output = run(QStringLiteral("desktop-file-validate"), {entry}, ok);
    // The validator prints hints (not errors) on success; any output is worth reading.
    QVERIFY2(ok && !output.contains("error:"), qPrintable(output));
    output = run(QStringLiteral("appstreamcli"), {"validate", "--no-net", metainfo}, ok);
    QVERIFY2(ok, qPrintable(output));

    // What the validators do not check: the names that tie the files together.
    const QString entryText = readAll(entry);
    const QString icon = firstMatch(entryText, QStringLiteral("^Icon=(.+)$"));
    QCOMPARE(icon, AppId);
    QVERIFY(QFile::exists(installed("share/icons/hicolor/scalable/apps/" + icon + ".svg")));
    for (const char *size : {"16x16", "32x32", "48x48", "64x64", "128x128", "256x256"})
        QVERIFY2(QFile::exists(installed(QStringLiteral("share/icons/hicolor/%1/apps/%2.png")
                                             .arg(QLatin1String(size), icon))),
                 size);
    const QString program = firstMatch(entryText, QStringLiteral("^Exec=(\\S+)"));
    QVERIFY(QFileInfo(installed("bin/" + program)).isExecutable());
    const QString metainfoText = readAll(metainfo);
    QCOMPARE(firstMatch(metainfoText, QStringLiteral("<launchable type=\"desktop-id\">([^<]+)<")),
             QFileInfo(entry).fileName());
    QCOMPARE(firstMatch(metainfoText, QStringLiteral("<binary>([^<]+)<")), program);
}

void TestInstall::installedProgramStartsWithItsPluginsAndWindow()
{
    ProgramUser user;
    QVERIFY(user.isValid());
    QProcess &process = m_program;
    process.setProcessEnvironment(user.environment());
    process.start(installed("bin/thermox"), {"--verbose"});
    QVERIFY(process.waitForStarted(10000));
    user.waitUntilRunning(process);
    if (QTest::currentTestFailed())
        return;
    const QString log = user.log();

    // The plug-in folder is found from the program's own place.
    const QString pluginFolder = QDir::cleanPath(installed(PrivateDir));
    QVERIFY2(log.contains("BLE plugin search path:") && log.contains('"' + pluginFolder + '"'),
             qPrintable(log.left(4000)));
    if (installedPlugins().contains(QStringLiteral("libCorvex.so"))) {
        QVERIFY(log.contains("BLE plugin file: " + pluginFolder + "/libCorvex.so"));
        QVERIFY(log.contains("BLE PLUGIN LOADED!"));
    } else {
        QVERIFY(log.contains("BLE PLUGIN LOADING FAILURE! Corvex"));
    }
    // The window's QML modules come from the system, its own from the program.
    for (const char *failure :
         {"failed to load component", "is not installed", "Cannot load library"})
        QVERIFY2(!log.contains(QLatin1String(failure)), failure);
    endWithSignal(process, user);
}

void TestInstall::demoLauncherRunsOnVirtualMachines()
{
    install({"--component", "demo"});
    ProgramUser user;
    QVERIFY(user.isValid());
    QProcessEnvironment environment = user.environment();
    // The preloaded bus comes before the sanitizer's runtime.
    environment.insert("ASAN_OPTIONS",
                       environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    environment.insert("THERMOX_VIRTUAL_MACHINES", "vela16");
    environment.insert("THERMOX_VIRTUAL_BLE_MACHINES", "vela16");
    QProcess &process = m_program;
    process.setProcessEnvironment(environment);
    process.start(installed("bin/thermox-demo"), {"--verbose"});
    QVERIFY(process.waitForStarted(10000));
    user.waitUntilRunning(process);
    if (QTest::currentTestFailed())
        return;

    // One vela16 on the virtual USB bus, one over the virtual BLE plug-in.
    QTRY_VERIFY2_WITH_TIMEOUT(user.log().count("DEVICE INIT FINISHED:  true true") >= 2,
                              qPrintable(user.log().right(3000)), 30000);
    const QString demoFolder = QDir::cleanPath(installed(PrivateDir + "/demo"));
    QVERIFY(user.log().contains("BLE plugin file: " + demoFolder + "/libCorvex.so"));
    // The launcher names the control tool of the machines, which must be there.
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    const QString control = firstMatch(errors, QStringLiteral("control them with (\\S+)"));
    QCOMPARE(control, demoFolder + "/virtualpcrctl");
    QVERIFY(QFileInfo(control).isExecutable());
    endWithSignal(process, user);
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
