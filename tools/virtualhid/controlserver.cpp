#include "controlserver.h"

#include "machinerack.h"
#include "virtualmachine.h"

#include <QDebug>
#include <QLocalServer>
#include <QLocalSocket>

#include <functional>

namespace {

constexpr int ProbeTimeoutMs = 200;

QString ok(const QString &text = QString())
{
    return text.isEmpty() ? QStringLiteral("OK") : QStringLiteral("OK ") + text;
}

QString failure(const QString &reason)
{
    return QStringLiteral("ERROR ") + reason;
}

std::optional<bool> onOff(const QString &word)
{
    if (word == QLatin1String("on"))
        return true;
    if (word == QLatin1String("off"))
        return false;
    return std::nullopt;
}

std::optional<double> number(const QString &word)
{
    bool valid = false;
    const double value = word.toDouble(&valid);
    return valid ? std::optional<double>(value) : std::nullopt;
}

QString statusName(int status)
{
    static const char *const names[] = {"paused",   "running", "stopped",
                                        "start-up", "reset",   "finished"};
    return status >= 0 && status < int(std::size(names)) ? QString::fromLatin1(names[status])
                                                         : QString::number(status);
}

} // namespace

const ControlServer::Command ControlServer::Commands[] = {
    {"help", "help", 0, &ControlServer::help},
    {"list", "list", 0, &ControlServer::list},
    {"add", "add MODEL[:SERIAL[:NAME]]", 1, &ControlServer::add},
    {"remove", "remove ID", 1, &ControlServer::remove},
    {"plug", "plug ID", 1, &ControlServer::plug},
    {"unplug", "unplug ID", 1, &ControlServer::unplug},
    {"power", "power ID on|off", 2, &ControlServer::power},
    {"busy", "busy ID on|off", 2, &ControlServer::busy},
    {"drop", "drop ID RATE (0 to 1)", 2, &ControlServer::drop},
    {"corrupt", "corrupt ID RATE (0 to 1)", 2, &ControlServer::corrupt},
    {"speed", "speed ID FACTOR", 2, &ControlServer::speed},
    {"advance", "advance ID SECONDS", 2, &ControlServer::advance},
    {"linkloss", "linkloss ID (BLE)", 1, &ControlServer::linkLoss},
    {"fault", "fault ID NAME on|off (BLE; list shows the names)", 3, &ControlServer::linkFault},
};

ControlServer::ControlServer(MachineRack *rack, QObject *parent)
    : QObject(parent)
    , m_rack(rack)
    , m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &ControlServer::onNewConnection);
}

bool ControlServer::listen(const QString &path)
{
    if (m_server->listen(path) || (removeStaleServer(path) && m_server->listen(path))) {
        qInfo().noquote() << "Virtual machines listen for control on" << serverPath();
        return true;
    }
    qWarning().noquote() << "Virtual machines cannot listen for control on" << path << ":"
                         << m_server->errorString();
    return false;
}

QString ControlServer::serverPath() const
{
    return m_server->fullServerName();
}

QString ControlServer::execute(const QString &commandLine)
{
    QStringList words = commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return failure(QStringLiteral("empty command; try help"));
    const QString name = words.takeFirst();
    for (const Command &command : Commands) {
        if (name != QLatin1String(command.name))
            continue;
        // A machine name may hold spaces: the last argument takes the rest.
        if (words.size() > command.argumentCount && command.argumentCount > 0)
            words = words.mid(0, command.argumentCount - 1) +
                    QStringList(words.mid(command.argumentCount - 1).join(QLatin1Char(' ')));
        if (words.size() != command.argumentCount)
            return failure(QStringLiteral("usage: ") + QLatin1String(command.usage));
        return (this->*command.run)(words);
    }
    return failure(QStringLiteral("unknown command %1; try help").arg(name));
}

void ControlServer::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    }
}

void ControlServer::onReadyRead(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaxCommandBytes) {
            socket->write(failure(QStringLiteral("command too long")).toUtf8() + '\n');
            socket->disconnectFromServer();
        }
        return;
    }
    const QString line = QString::fromUtf8(socket->readLine(MaxCommandBytes)).trimmed();
    qInfo().noquote() << "Virtual machines control:" << line;
    socket->write(execute(line).toUtf8() + '\n');
    socket->disconnectFromServer();
}

bool ControlServer::removeStaleServer(const QString &name)
{
    // A socket file left by a process that died answers nobody; a live one answers at once.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(ProbeTimeoutMs))
        return false;
    return QLocalServer::removeServer(name);
}

QString ControlServer::help(const QStringList &)
{
    QStringList lines;
    for (const Command &command : Commands)
        lines.append(QLatin1String(command.usage));
    return ok(QStringLiteral("commands:\n") + lines.join(QLatin1Char('\n')));
}

QString ControlServer::list(const QStringList &)
{
    QStringList lines;
    for (const QString &id : m_rack->machineIds())
        lines.append(describe(id));
    const QStringList faults = m_rack->linkFaults();
    if (!faults.isEmpty())
        lines.append(QStringLiteral("link faults: ") + faults.join(QLatin1Char(' ')));
    return ok(QString::number(m_rack->machineIds().size()) + QStringLiteral(" machines") +
              (lines.isEmpty() ? QString() : QLatin1Char('\n') + lines.join(QLatin1Char('\n'))));
}

QString ControlServer::add(const QStringList &arguments)
{
    QString error;
    auto config = MachineConfig::parse(arguments.first(), &error);
    if (!config)
        return failure(error);
    config->outOfTheBox = true;
    const QString id = m_rack->addMachine(*config, &error);
    return id.isEmpty() ? failure(error) : ok(id);
}

QString ControlServer::remove(const QStringList &arguments)
{
    return m_rack->removeMachine(arguments.first())
               ? ok()
               : failure(QStringLiteral("no machine ") + arguments.first());
}

QString ControlServer::plug(const QStringList &arguments)
{
    return setPlugged(arguments.first(), true);
}

QString ControlServer::unplug(const QStringList &arguments)
{
    return setPlugged(arguments.first(), false);
}

QString ControlServer::power(const QStringList &arguments)
{
    return setSwitch(arguments, &VirtualMachine::setPowered);
}

QString ControlServer::busy(const QStringList &arguments)
{
    return setSwitch(arguments, &VirtualMachine::setHeldByOtherHost);
}

QString ControlServer::drop(const QStringList &arguments)
{
    return setFaultRate(arguments, &FrameFaults::setDropRate);
}

QString ControlServer::corrupt(const QStringList &arguments)
{
    return setFaultRate(arguments, &FrameFaults::setCorruptRate);
}

QString ControlServer::speed(const QStringList &arguments)
{
    const auto factor = number(arguments.at(1));
    return changeMachine(arguments.first(), [factor](VirtualMachine &machine) {
        if (!factor || *factor <= 0.0)
            return failure(QStringLiteral("a speed factor is above 0"));
        machine.clock()->setSpeed(*factor);
        return ok();
    });
}

QString ControlServer::advance(const QStringList &arguments)
{
    const auto seconds = number(arguments.at(1));
    return changeMachine(arguments.first(), [seconds](VirtualMachine &machine) {
        if (!seconds || *seconds <= 0.0)
            return failure(QStringLiteral("advance by more than 0 seconds"));
        machine.clock()->advance(qint64(*seconds * 1000.0));
        return ok();
    });
}

QString ControlServer::linkLoss(const QStringList &arguments)
{
    return m_rack->loseLink(arguments.first())
               ? ok()
               : failure(QStringLiteral("no radio link to ") + arguments.first());
}

QString ControlServer::linkFault(const QStringList &arguments)
{
    const auto on = onOff(arguments.at(2));
    if (!on)
        return failure(QStringLiteral("say on or off"));
    if (!m_rack->linkFaults().contains(arguments.at(1)))
        return failure(QStringLiteral("no link fault %1 here").arg(arguments.at(1)));
    return m_rack->setLinkFault(arguments.first(), arguments.at(1), *on)
               ? ok()
               : failure(QStringLiteral("no machine ") + arguments.first());
}

QString ControlServer::describe(const QString &id) const
{
    const VirtualMachine *machine = m_rack->machine(id);
    const RunEngine *engine = machine->engine();
    return QStringLiteral("%1 %2 %3 power=%4 busy=%5 status=%6 step=%7 cycle=%8 time=%9 "
                          "block=%10 lid=%11 speed=%12 drop=%13 corrupt=%14 name=%15")
        .arg(id, machine->modelName(), m_rack->pluggedName(m_rack->isPlugged(id).value_or(false)),
             machine->isPowered() ? QStringLiteral("on") : QStringLiteral("off"),
             machine->isHeldByOtherHost() ? QStringLiteral("on") : QStringLiteral("off"),
             statusName(engine->status()))
        .arg(engine->step())
        .arg(engine->cycle())
        .arg(engine->timeInSec())
        .arg(double(engine->thermal().blockTemp()), 0, 'f', 1)
        .arg(double(engine->thermal().lidTemp()), 0, 'f', 1)
        .arg(machine->clock()->speed())
        .arg(machine->faults().dropRate())
        .arg(machine->faults().corruptRate())
        .arg(machine->machineName());
}

QString ControlServer::setPlugged(const QString &id, bool plugged)
{
    return m_rack->setPlugged(id, plugged) ? ok() : failure(QStringLiteral("no machine ") + id);
}

QString ControlServer::setSwitch(const QStringList &arguments, void (VirtualMachine::*setter)(bool))
{
    const auto on = onOff(arguments.at(1));
    return changeMachine(arguments.first(), [on, setter](VirtualMachine &machine) {
        if (!on)
            return failure(QStringLiteral("say on or off"));
        (machine.*setter)(*on);
        return ok();
    });
}

QString ControlServer::setFaultRate(const QStringList &arguments,
                                    void (FrameFaults::*setter)(double))
{
    const auto rate = number(arguments.at(1));
    return changeMachine(arguments.first(), [rate, setter](VirtualMachine &machine) {
        if (!rate || *rate < 0.0 || *rate > 1.0)
            return failure(QStringLiteral("a rate lies between 0 and 1"));
        (machine.faults().*setter)(*rate);
        return ok();
    });
}

QString ControlServer::changeMachine(const QString &id,
                                     const std::function<QString(VirtualMachine &)> &change)
{
    VirtualMachine *machine = m_rack->machine(id);
    if (!machine)
        return failure(QStringLiteral("no machine ") + id);
    return change(*machine);
}
