#ifndef LOGWATCH_H
#define LOGWATCH_H

#include <QList>
#include <QMutex>
#include <QRegularExpression>
#include <QStringList>
#include <QtGlobal>

// Keeps the messages of every thread while it lives, so that a test can count
// the lines the product logs and tell expected complaints from unexpected
// ones. Warnings and worse are kept back; everything else is passed on to
// the handler before it (QTest's, which honours ignoreMessage). One at a time.
class LogWatch
{
public:
    LogWatch();
    ~LogWatch();
    LogWatch(const LogWatch &) = delete;
    LogWatch &operator=(const LogWatch &) = delete;

    // Info messages and worse that match.
    int count(const QRegularExpression &pattern) const;
    // Complaints of a machine's ordinary operation: states arrive before the
    // settings, and transfers wait behind one another or are sent again.
    static QList<QRegularExpression> ordinaryMachineWarnings();

    // Warnings and worse that match none of the patterns.
    QStringList unexpectedWarnings(const QList<QRegularExpression> &allowed) const;

private:
    struct Message
    {
        QtMsgType type;
        QString text;
    };

    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &text);

    static LogWatch *s_current;
    static QMutex s_mutex;
    QtMessageHandler m_previous;
    QList<Message> m_messages;
};

#endif // LOGWATCH_H
