#ifndef CONTROLSERVER_H
#define CONTROLSERVER_H

#include <QObject>
#include <QStringList>

#include <functional>

class FrameFaults;
class QLocalServer;
class QLocalSocket;
class MachineRack;
class VirtualMachine;

// Lets the control tool add, remove and fault machines from outside, over a
// local socket only the user can reach: the USB hub's or the virtual
// Bluetooth daemon's. One command line per connection;
// the reply starts with "OK" or "ERROR", and the server then hangs up.
class ControlServer : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxCommandBytes = 1024;

    ControlServer(MachineRack *rack, QObject *parent = nullptr);

    // `path` is the socket's full path (see ControlSocket).
    bool listen(const QString &path);
    QString serverPath() const;
    QString execute(const QString &commandLine);

private slots:
    void onNewConnection();

private:
    struct Command
    {
        const char *name;
        const char *usage;
        int argumentCount;
        QString (ControlServer::*run)(const QStringList &arguments);
    };
    static const Command Commands[];

    void onReadyRead(QLocalSocket *socket);
    bool removeStaleServer(const QString &name);

    QString help(const QStringList &arguments);
    QString list(const QStringList &arguments);
    QString add(const QStringList &arguments);
    QString remove(const QStringList &arguments);
    QString plug(const QStringList &arguments);
    QString unplug(const QStringList &arguments);
    QString power(const QStringList &arguments);
    QString busy(const QStringList &arguments);
    QString drop(const QStringList &arguments);
    QString corrupt(const QStringList &arguments);
    QString speed(const QStringList &arguments);
    QString advance(const QStringList &arguments);
    QString linkLoss(const QStringList &arguments);
    QString linkFault(const QStringList &arguments);

    QString describe(const QString &id) const;
    QString setPlugged(const QString &serialNumber, bool plugged);
    QString setSwitch(const QStringList &arguments, void (VirtualMachine::*setter)(bool));
    QString setFaultRate(const QStringList &arguments, void (FrameFaults::*setter)(double));
    // Runs the change on the machine of that serial number; an error reply when
    // there is none or the change refuses the value.
    QString changeMachine(const QString &serialNumber,
                          const std::function<QString(VirtualMachine &)> &change);

    MachineRack *const m_rack;
    QLocalServer *const m_server;
};

#endif // CONTROLSERVER_H
