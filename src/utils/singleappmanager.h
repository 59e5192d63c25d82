#ifndef SINGLEAPPMANAGER_H
#define SINGLEAPPMANAGER_H

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// Keeps one instance of the program per user: a later instance pings the
// running one over a local socket and then exits. The socket and the instance
// lock live in the user's runtime folder, so another user of the same
// computer runs an instance of their own and can neither reach nor block ours.
class SingleAppManager : public QObject
{
    Q_OBJECT

public:
    static SingleAppManager *instance();

    // True when this process is the only instance and now owns the server name.
    bool tryToRun();
    void checkPing(QLocalSocket *socket);

    QString serverName() const { return m_serverName; }
    // The socket's full path, in the user's runtime folder.
    QString serverPath() const { return m_serverPath; }

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
    const QString m_serverPath;
    // Held for the life of the process, so that of two instances started at
    // the same moment only one goes on to take over a left-over server name.
    QLockFile m_instanceLock;
};

#endif // SINGLEAPPMANAGER_H
