#ifndef PROGRAMUSER_H
#define PROGRAMUSER_H

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// One user of the real program under test: a fresh home and runtime folder
// (short, under /tmp, since the single-instance socket's path has room for
// about a hundred bytes), so that a started program never touches a real
// user's files or meets another test's instance.
struct ProgramUser
{
    QTemporaryDir home;
    QTemporaryDir runtime{QStringLiteral("/tmp/thermox-run-XXXXXX")};

    bool isValid() const { return home.isValid() && runtime.isValid(); }
    QString dataFile(const QString &name) const
    {
        return home.filePath(".local/share/Vornell/Thermox/ThermoxData/" + name);
    }
    QString log(const QString &which = QStringLiteral("current")) const
    {
        QFile file(home.filePath("Documents/Thermox-" + which + ".log"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll());
    }
    // The test's environment with this user's folders.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        environment.insert("XDG_DATA_HOME", home.filePath(".local/share"));
        environment.insert("XDG_CONFIG_HOME", home.filePath(".config"));
        // The single-instance guard's socket and lock live here.
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        return environment;
    }
    // Returns once the program has written its last start-up line (every
    // service, the crash handler included, is up) or has ended; a failure is
    // recorded for the running test.
    void waitUntilRunning(const QProcess &process) const
    {
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning ||
                                     log().contains("Main window loaded from"),
                                 60000);
        QVERIFY2(process.state() == QProcess::Running, qPrintable(log().right(3000)));
    }
};

#endif // PROGRAMUSER_H
