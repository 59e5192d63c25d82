#ifndef MLOG_H
#define MLOG_H

#include <QFile>
#include <QRecursiveMutex>
#include <QString>

#include <atomic>

// The process's log facility. It receives every message of the process
// through the message handler it installs, formats it with the log pattern and
// writes it to the current log file and to the standard error stream. Debug
// messages are dropped unless verbose logging is on. Created on first use and
// never deleted, so that late messages (even a crash backtrace) still land.
class MLog
{
public:
    static MLog *instance();

    // Keeps the previous run's log as <name>-previous.log and starts
    // <name>-current.log in the user's documents folder.
    void enableLogToFile(const QString &name);

    void setVerbose(bool verbose);
    void setVerboseWithoutSaving(bool verbose);
    bool isVerbose() const { return m_verbose; }

    QString currentLogPath() const { return m_currentLogPath; }
    QString previousLogPath() const { return m_previousLogPath; }

private:
    MLog();

    static void messageHandler(QtMsgType type, const QMessageLogContext &context,
                               const QString &message);
    void write(const QString &line);
    void openLogFile();

    std::atomic<bool> m_verbose{false};
    const QString m_verboseKey = QStringLiteral("verbose");
    const QString m_settingsFilePath;
    QFile m_logFile;
    QString m_previousLogPath;
    QString m_currentLogPath;
    // Recursive, so that a fault raised while a line is being written can
    // still log its backtrace from the same thread.
    QRecursiveMutex m_writeLock;
};

#endif // MLOG_H
