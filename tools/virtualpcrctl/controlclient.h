#ifndef CONTROLCLIENT_H
#define CONTROLCLIENT_H

#include <QLocalSocket>
#include <QObject>
#include <QTimer>

// Sends one command line to the virtual machines' control server and hands
// back its reply: exit code 0 for "OK", 1 for "ERROR", 2 when the server
// cannot be reached or does not answer in time.
class ControlClient : public QObject
{
    Q_OBJECT

public:
    static constexpr int TimeoutMs = 5000;

    explicit ControlClient(QObject *parent = nullptr);

    void send(const QString &serverName, const QString &commandLine);

signals:
    void finished(int exitCode, QString reply);

private slots:
    void onConnected();
    void onDisconnected();
    void onError();
    void onTimeout();

private:
    void finish(int exitCode, const QString &reply);

    QLocalSocket m_socket;
    QTimer m_timeout;
    QString m_commandLine;
    QString m_serverName;
    bool m_done = false;
};

#endif // CONTROLCLIENT_H
