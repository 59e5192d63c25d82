#include "mlog.h"

#include "datafolder.h"

#include <QDir>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>

namespace {
Q_LOGGING_CATEGORY(lcLogger, "core.logger")

const char *const logPattern = "%{time} | %{type} | %{file}:%{line} | %{function}: %{message}";
} // namespace

MLog *MLog::instance()
{
    // Created on the main thread before any other thread exists.
    static MLog *const log = new MLog;
    return log;
}

MLog::MLog()
    : m_settingsFilePath(settingsFilePath())
{
    QSettings settings(m_settingsFilePath, QSettings::IniFormat);
    m_verbose = settings.value(m_verboseKey, false).toBool();
    qSetMessagePattern(QString::fromLatin1(logPattern));
    qInstallMessageHandler(&MLog::messageHandler);
}

void MLog::messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    MLog *log = instance();
    if (type == QtDebugMsg && !log->isVerbose())
        return;
    log->write(qFormatLogMessage(type, context, message));
}

void MLog::write(const QString &line)
{
    {
        QMutexLocker locker(&m_writeLock);
        if (m_logFile.isOpen() && m_logFile.isWritable()) {
            m_logFile.write(line.toUtf8());
            m_logFile.write("\n");
            m_logFile.flush();
        }
    }
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void MLog::enableLogToFile(const QString &name)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(folder).exists()) {
        qCDebug(lcLogger) << "Creating logs directory";
        if (QDir().mkpath(folder))
            qCDebug(lcLogger) << "Directory was created successfully";
        else
            qCWarning(lcLogger) << "Could not create logs directory!";
    }

    QMutexLocker locker(&m_writeLock);
    m_logFile.close();
    m_previousLogPath = folder + QLatin1Char('/') + name + QStringLiteral("-previous.log");
    m_currentLogPath = folder + QLatin1Char('/') + name + QStringLiteral("-current.log");
    if (QFile::exists(m_currentLogPath)) {
        QFile::remove(m_previousLogPath);
        QFile::rename(m_currentLogPath, m_previousLogPath);
    }
    openLogFile();
}

void MLog::openLogFile()
{
    m_logFile.setFileName(m_currentLogPath);
    if (!m_logFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        qCWarning(lcLogger) << "Could not open log file for writing!";
}

void MLog::setVerbose(bool verbose)
{
    if (verbose == m_verbose)
        return;
    qInfo() << "Changing status of verbose logs permanently:" << verbose;
    m_verbose = verbose;
    QSettings settings(m_settingsFilePath, QSettings::IniFormat);
    settings.setValue(m_verboseKey, verbose);
    settings.sync();
}

void MLog::setVerboseWithoutSaving(bool verbose)
{
    if (verbose == m_verbose)
        return;
    qInfo() << "Changing status of verbose logs temporarily:" << verbose;
    m_verbose = verbose;
}
