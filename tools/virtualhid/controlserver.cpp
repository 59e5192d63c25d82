#include "controlserver.h"

#include "virtualhidhub.h"
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
    {"remove", "remove SERIAL", 1, &ControlServer::remove},
    {"plug", "plug SERIAL", 1, &ControlServer::plug},
    {"unplug", "unplug SERIAL", 1, &ControlServer::unplug},
    {"power", "power SERIAL on|off", 2, &ControlServer::power},
    {"busy", "busy SERIAL on|off", 2, &ControlServer::busy},
    {"drop", "drop SERIAL RATE (0 to 1)", 2, &ControlServer::drop},
    {"corrupt", "corrupt SERIAL RATE (0 to 1)", 2, &ControlServer::corrupt},
    {"speed", "speed SERIAL FACTOR", 2, &ControlServer::speed},
    {"advance", "advance SERIAL SECONDS", 2, &ControlServer::advance},
};

ControlServer::ControlServer(VirtualHidHub *hub, QObject *parent)
    : QObject(parent)
    , m_hub(hub)
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
    for (const QString &serialNumber : m_hub->serialNumbers())
        lines.append(describe(serialNumber));
    return ok(QString::number(lines.size()) + QStringLiteral(" machines") +
              (lines.isEmpty() ? QString() : QLatin1Char('\n') + lines.join(QLatin1Char('\n'))));
}

QString ControlServer::add(const QStringList &arguments)
{
    QString error;
    auto config = MachineConfig::parse(arguments.first(), &error);
    if (!config)
        return failure(error);
    config->outOfTheBox = true;
    const QString serialNumber = m_hub->addMachine(*config, &error);
    return serialNumber.isEmpty() ? failure(error) : ok(serialNumber);
}

QString ControlServer::remove(const QStringList &arguments)
{
    return m_hub->removeMachine(arguments.first())
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

QString ControlServer::describe(const QString &serialNumber) const
{
    const VirtualMachine *machine = m_hub->machine(serialNumber);
    const RunEngine *engine = machine->engine();
    return QStringLiteral("%1 %2 %3 power=%4 busy=%5 status=%6 step=%7 cycle=%8 time=%9 "
                          "block=%10 lid=%11 speed=%12 drop=%13 corrupt=%14 name=%15")
        .arg(serialNumber, machine->modelName(),
             m_hub->isPlugged(serialNumber).value_or(false) ? QStringLiteral("plugged")
                                                            : QStringLiteral("unplugged"),
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

QString ControlServer::setPlugged(const QString &serialNumber, bool plugged)
{
    return m_hub->setPlugged(serialNumber, plugged)
               ? ok()
               : failure(QStringLiteral("no machine ") + serialNumber);
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

QString ControlServer::changeMachine(const QString &serialNumber,
                                     const std::function<QString(VirtualMachine &)> &change)
{
    VirtualMachine *machine = m_hub->machine(serialNumber);
    if (!machine)
        return failure(QStringLiteral("no machine ") + serialNumber);
    return change(*machine);
}
