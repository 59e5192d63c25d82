#ifndef SINGLEAPPMANAGER_H
#define SINGLEAPPMANAGER_H

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// Keeps one instance of the program per user session: a later instance pings
// the running one over a local socket and then exits.
class SingleAppManager : public QObject
{
    Q_OBJECT

public:
    static SingleAppManager *instance();

    // True when this process is the only instance and now owns the server name.
    bool tryToRun();
    void checkPing(QLocalSocket *socket);

    QString serverName() const { return m_serverName; }

signals:
    void anotherAppStarted();

private slots:
    void onNewConnection();

private:
    SingleAppManager();
    bool pingRunningInstance();
    bool listen();

    QLocalServer *m_server = nullptr;
    const QString m_serverName;
    // Held for the life of the process, so that of two instances started at
    // the same moment only one goes on to take over a left-over server name.
    QLockFile m_instanceLock;
};

#endif // SINGLEAPPMANAGER_H
