#include "logcapture.h"

LogCapture *LogCapture::s_current = nullptr;

LogCapture::LogCapture()
    : m_previous(qInstallMessageHandler(&LogCapture::handler))
{
    s_current = this;
}

LogCapture::~LogCapture()
{
    s_current = nullptr;
    qInstallMessageHandler(m_previous);
}

QStringList LogCapture::unexpected(const QList<QRegularExpression> &allowed) const
{
    QStringList result;
    for (const QString &warning : m_warnings) {
        const bool known = std::any_of(allowed.cbegin(), allowed.cend(), [&](const auto &pattern) {
            return pattern.match(warning).hasMatch();
        });
        if (!known)
            result.append(warning);
    }
    return result;
}

int LogCapture::count(const QRegularExpression &pattern) const
{
    return int(std::count_if(m_warnings.cbegin(), m_warnings.cend(), [&](const QString &warning) {
        return pattern.match(warning).hasMatch();
    }));
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && s_current)
        s_current->m_warnings.append(message);
}

const QList<QRegularExpression> &LogCapture::transferWarnings()
{
    static const QList<QRegularExpression> known{
        QRegularExpression("^Bad frame received!$"),
        QRegularExpression("^Wrong (\\[AckMes\\]|\\[ACK\\]|\\[DATA_N\\]|ID in \\[ACK\\]) frame"),
        QRegularExpression("^\\[DATA_N\\] frame (without|beyond)"),
        QRegularExpression("^\\[ACK\\] after the last \\[Data\\] frame"),
        QRegularExpression("^Received data (size|CRC-32) doesn't equal"),
        QRegularExpression("^Timeout: (resend last message|queued)")};
    return known;
}
