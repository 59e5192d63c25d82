#ifndef LOGCAPTURE_H
#define LOGCAPTURE_H

#include <QRegularExpression>
#include <QStringList>
#include <QtGlobal>

// Collects the warnings of a noisy stretch of a test (thousands of faults
// injected on purpose) instead of printing them, so that the test can check
// that every one of them is a known complaint and nothing unexpected slipped in.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList warnings() const { return m_warnings; }
    // Warnings that match none of the given patterns.
    QStringList unexpected(const QList<QRegularExpression> &allowed) const;
    int count(const QRegularExpression &pattern) const;
    // What the transfer protocol says about the faults it recovers from.
    static const QList<QRegularExpression> &transferWarnings();

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message);

    static LogCapture *s_current;
    QtMessageHandler m_previous;
    QStringList m_warnings;
};

#endif // LOGCAPTURE_H
