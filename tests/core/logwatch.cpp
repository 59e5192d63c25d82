#include "logwatch.h"

#include <algorithm>

LogWatch *LogWatch::s_current = nullptr;
QMutex LogWatch::s_mutex;

LogWatch::LogWatch()
{
    QMutexLocker locker(&s_mutex);
    s_current = this;
    m_previous = qInstallMessageHandler(&LogWatch::handler);
}

LogWatch::~LogWatch()
{
    QMutexLocker locker(&s_mutex);
    qInstallMessageHandler(m_previous);
    s_current = nullptr;
}

int LogWatch::count(const QRegularExpression &pattern) const
{
    QMutexLocker locker(&s_mutex);
    return int(std::count_if(m_messages.cbegin(), m_messages.cend(), [&](const Message &message) {
        return pattern.match(message.text).hasMatch();
    }));
}

QList<QRegularExpression> LogWatch::ordinaryMachineWarnings()
{
    return {
        QRegularExpression(QStringLiteral("^PCR state received but device not initialized\\.$")),
        QRegularExpression(QStringLiteral("^Timeout: ")),
        QRegularExpression(QStringLiteral("^Wrong ID in \\[ACK\\] frame ")),
    };
}

QStringList LogWatch::unexpectedWarnings(const QList<QRegularExpression> &allowed) const
{
    QMutexLocker locker(&s_mutex);
    QStringList result;
    for (const Message &message : m_messages) {
        if (message.type == QtDebugMsg || message.type == QtInfoMsg)
            continue;
        const bool known = std::any_of(allowed.cbegin(), allowed.cend(), [&](const auto &pattern) {
            return pattern.match(message.text).hasMatch();
        });
        if (!known)
            result.append(message.text);
    }
    return result;
}

void LogWatch::handler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    QtMessageHandler previous = nullptr;
    {
        QMutexLocker locker(&s_mutex);
        if (!s_current)
            return;
        if (type != QtDebugMsg)
            s_current->m_messages.append({type, text});
        if (type == QtDebugMsg || type == QtInfoMsg)
            previous = s_current->m_previous;
    }
    if (previous)
        previous(type, context, text);
}
