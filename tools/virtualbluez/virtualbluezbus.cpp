#include "virtualbluezbus.h"

#include "virtualbluez.h"
#include "virtualmachine.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>

namespace {

constexpr char ForceLeVersionVariable[] = "BLUETOOTH_FORCE_DBUS_LE_VERSION";
constexpr char ForcedLeVersion[] = "5.66";

} // namespace

VirtualBluezBus::VirtualBluezBus()
    : m_connectionName(QStringLiteral("virtualbluez"))
{
    m_thread.setObjectName(QStringLiteral("virtual bluez"));
    if (startBus())
        startDaemon();
}

VirtualBluezBus::~VirtualBluezBus()
{
    if (m_bluez) {
        onDaemonThread([this] { delete m_bluez; });
        m_thread.quit();
        m_thread.wait();
    }
    QDBusConnection::disconnectFromBus(m_connectionName);
    if (m_bus.state() != QProcess::NotRunning) {
        m_bus.closeWriteChannel();
        m_bus.waitForFinished(StartTimeoutMs);
    }
}

bool VirtualBluezBus::isRunning() const
{
    return m_error.isEmpty();
}

QString VirtualBluezBus::errorString() const
{
    return m_error;
}

QString VirtualBluezBus::busAddress() const
{
    return m_busAddress;
}

bool VirtualBluezBus::startBus()
{
    m_bus.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The bus lives as long as its input stays open: until the test process
    // ends, even by a crash, which would otherwise leave the bus behind.
    m_bus.start(QStringLiteral("sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("dbus-daemon --config-file=\"$1\" --nofork --print-address & "
                                "read -r _; kill $!"),
                 QStringLiteral("sh"), QStringLiteral(VIRTUALBLUEZ_BUS_CONFIG)});
    while (!m_bus.canReadLine() && m_bus.waitForReadyRead(StartTimeoutMs)) {
    }
    m_busAddress = QString::fromLocal8Bit(m_bus.readLine()).trimmed();
    if (m_busAddress.isEmpty()) {
        m_error = QStringLiteral("dbus-daemon did not start: ") + m_bus.errorString();
        return false;
    }
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_busAddress.toLocal8Bit());
    if (!qEnvironmentVariableIsSet(ForceLeVersionVariable))
        qputenv(ForceLeVersionVariable, ForcedLeVersion);
    return true;
}

bool VirtualBluezBus::startDaemon()
{
    const QDBusConnection connection =
        QDBusConnection::connectToBus(m_busAddress, m_connectionName);
    if (!connection.isConnected()) {
        m_error = QStringLiteral("cannot connect to the private bus: ") +
                  connection.lastError().message();
        return false;
    }
    m_bluez = new VirtualBluez(connection);
    m_bluez->moveToThread(&m_thread);
    m_thread.start();
    bool started = false;
    onDaemonThread([this, &started] { started = m_bluez->start(); });
    if (!started)
        m_error = QStringLiteral("the virtual Bluetooth daemon cannot publish its objects");
    return started;
}

QString VirtualBluezBus::addMachine(const QString &config, QString *error)
{
    QString problem;
    QString address;
    const auto parsed = MachineConfig::parse(config, &problem);
    if (parsed && m_bluez)
        onDaemonThread([&] { address = m_bluez->addMachine(*parsed, &problem); });
    if (error)
        *error = problem;
    return address;
}

bool VirtualBluezBus::removeMachine(const QString &address)
{
    bool removed = false;
    if (m_bluez)
        onDaemonThread([&] { removed = m_bluez->removeMachine(address); });
    return removed;
}

QStringList VirtualBluezBus::machineIds()
{
    QStringList addresses;
    if (m_bluez)
        onDaemonThread([&] { addresses = m_bluez->machineIds(); });
    return addresses;
}

bool VirtualBluezBus::setInRange(const QString &address, bool inRange)
{
    return withPeripheral(
        address, [inRange](BluezPeripheral &peripheral) { peripheral.setInRange(inRange); });
}

bool VirtualBluezBus::loseLink(const QString &address)
{
    return withPeripheral(address, [](BluezPeripheral &peripheral) { peripheral.loseLink(); });
}

bool VirtualBluezBus::setFault(const QString &address, BluezPeripheral::Fault fault, bool on)
{
    return withPeripheral(
        address, [fault, on](BluezPeripheral &peripheral) { peripheral.setFault(fault, on); });
}

bool VirtualBluezBus::isConnected(const QString &address)
{
    return peripheralFlag(address, &BluezPeripheral::isConnected);
}

bool VirtualBluezBus::isNotifying(const QString &address)
{
    return peripheralFlag(address, &BluezPeripheral::isNotifying);
}

bool VirtualBluezBus::setSpeed(const QString &address, double factor)
{
    return factor > 0.0 && withMachine(address, [factor](VirtualMachine &machine) {
               machine.clock()->setSpeed(factor);
           });
}

QByteArray VirtualBluezBus::storedProgram(const QString &address)
{
    QByteArray program;
    withMachine(address,
                [&program](VirtualMachine &machine) { program = machine.storedProgram(); });
    return program;
}

bool VirtualBluezBus::withMachine(const QString &address,
                                  const std::function<void(VirtualMachine &)> &work)
{
    bool found = false;
    if (m_bluez) {
        onDaemonThread([&] {
            if (VirtualMachine *machine = m_bluez->machine(address)) {
                work(*machine);
                found = true;
            }
        });
    }
    return found;
}

void VirtualBluezBus::setDefaultSpeed(double speed)
{
    if (m_bluez)
        onDaemonThread([this, speed] { m_bluez->setDefaultSpeed(speed); });
}

bool VirtualBluezBus::listenForControl(const QString &serverPath)
{
    bool listening = false;
    if (m_bluez)
        onDaemonThread([&] { listening = m_bluez->listenForControl(serverPath); });
    return listening;
}

bool VirtualBluezBus::withPeripheral(const QString &address,
                                     const std::function<void(BluezPeripheral &)> &work)
{
    bool found = false;
    if (m_bluez) {
        onDaemonThread([&] {
            if (BluezPeripheral *peripheral = m_bluez->peripheral(address)) {
                work(*peripheral);
                found = true;
            }
        });
    }
    return found;
}

bool VirtualBluezBus::peripheralFlag(const QString &address, bool (BluezPeripheral::*flag)() const)
{
    bool on = false;
    withPeripheral(address,
                   [&on, flag](BluezPeripheral &peripheral) { on = (peripheral.*flag)(); });
    return on;
}

void VirtualBluezBus::onDaemonThread(const std::function<void()> &work)
{
    QMetaObject::invokeMethod(m_bluez, work, Qt::BlockingQueuedConnection);
    // The bus handles a connection's messages in order: once it has answered
    // this, it has passed on every signal the work sent. A client that
    // subscribes afterwards never receives them.
    QDBusConnection(m_connectionName)
        .call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")));
}
