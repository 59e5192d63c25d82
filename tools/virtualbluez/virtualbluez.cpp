#include "virtualbluez.h"

#include "bluezobjecttree.h"
#include "controlserver.h"
#include "virtualblemachine.h"
#include "virtualmachine.h"

#include <QDBusObjectPath>
#include <QDebug>

namespace {

constexpr char AdapterInterface[] = "org.bluez.Adapter1";

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

} // namespace

VirtualBluez::VirtualBluez(const QDBusConnection &connection, QObject *parent)
    : QObject(parent)
    , m_tree(new BluezObjectTree(connection, this))
{}

VirtualBluez::~VirtualBluez()
{
    // The machines take their objects off the tree, which must still be there.
    qDeleteAll(m_peripherals);
}

bool VirtualBluez::start()
{
    const QVariantMap adapter{
        {QStringLiteral("Address"), text(AdapterAddress)},
        {QStringLiteral("AddressType"), QStringLiteral("public")},
        {QStringLiteral("Name"), QStringLiteral("virtual")},
        {QStringLiteral("Alias"), QStringLiteral("virtual")},
        {QStringLiteral("Powered"), true},
        {QStringLiteral("Discoverable"), false},
        {QStringLiteral("Pairable"), false},
        {QStringLiteral("Discovering"), false},
        {QStringLiteral("UUIDs"), QStringList()},
    };
    m_tree->addObject(text(AdapterPath), {{text(AdapterInterface), adapter}},
                      [this](const QDBusMessage &call) { return handleAdapter(call); });
    return m_tree->publish();
}

QString VirtualBluez::addMachine(const MachineConfig &config, QString *error)
{
    if (config.model != VirtualMachine::Vela16) {
        *error = QStringLiteral("machines reached over BLE are vela16 (firmware 3)");
        return {};
    }
    VirtualMachine::Identity identity;
    identity.model = config.model;
    identity.serialNumber = config.serialNumber.isEmpty()
                                ? VirtualBleMachine::serialNumberFor(m_machinesMade + 1)
                                : config.serialNumber;
    identity.machineName = config.machineName.isEmpty()
                               ? QStringLiteral("Virtual vela16 BLE %1").arg(m_machinesMade + 1)
                               : config.machineName;
    const QString address = VirtualBleMachine::addressOf(identity.serialNumber);
    if (m_peripherals.contains(address)) {
        *error = QStringLiteral("a machine with the address %1 is on the air").arg(address);
        return {};
    }
    ++m_machinesMade;
    auto *machine = new VirtualBleMachine(config.makeMachine(identity, m_defaultSpeed), address);
    m_peripherals.insert(address, new BluezPeripheral(machine, m_tree, text(AdapterPath), this));
    qInfo().noquote() << "Virtual vela16" << identity.serialNumber << "on the air as" << address
                      << identity.machineName;
    return address;
}

bool VirtualBluez::removeMachine(const QString &address)
{
    BluezPeripheral *peripheral = m_peripherals.take(address);
    delete peripheral;
    return peripheral != nullptr;
}

QStringList VirtualBluez::machineIds() const
{
    return m_peripherals.keys();
}

bool VirtualBluez::setPlugged(const QString &address, bool inRange)
{
    BluezPeripheral *peripheral = m_peripherals.value(address);
    if (peripheral)
        peripheral->setInRange(inRange);
    return peripheral != nullptr;
}

std::optional<bool> VirtualBluez::isPlugged(const QString &address) const
{
    const BluezPeripheral *peripheral = m_peripherals.value(address);
    return peripheral ? std::optional<bool>(peripheral->machine()->isInRange()) : std::nullopt;
}

QString VirtualBluez::pluggedName(bool inRange) const
{
    return inRange ? QStringLiteral("in-range") : QStringLiteral("out-of-range");
}

QStringList VirtualBluez::linkFaults() const
{
    return BluezPeripheral::faultNames();
}

bool VirtualBluez::setLinkFault(const QString &address, const QString &fault, bool on)
{
    BluezPeripheral *peripheral = m_peripherals.value(address);
    const auto known = BluezPeripheral::faultFromName(fault);
    if (peripheral && known)
        peripheral->setFault(*known, on);
    return peripheral && known;
}

bool VirtualBluez::loseLink(const QString &address)
{
    BluezPeripheral *peripheral = m_peripherals.value(address);
    if (!peripheral || !peripheral->isConnected())
        return false;
    peripheral->loseLink();
    return true;
}

bool VirtualBluez::listenForControl(const QString &serverPath)
{
    delete m_control;
    m_control = new ControlServer(this, this);
    return m_control->listen(serverPath);
}

BluezPeripheral *VirtualBluez::peripheral(const QString &address) const
{
    return m_peripherals.value(address);
}

VirtualMachine *VirtualBluez::machine(const QString &address) const
{
    const BluezPeripheral *peripheral = m_peripherals.value(address);
    return peripheral ? peripheral->machine()->machine() : nullptr;
}

void VirtualBluez::setDefaultSpeed(double speed)
{
    m_defaultSpeed = speed;
}

bool VirtualBluez::handleAdapter(const QDBusMessage &call)
{
    if (call.interface() != QLatin1String(AdapterInterface))
        return false;
    const QString member = call.member();
    if (member == QLatin1String("StartDiscovery")) {
        setDiscovering(true);
    } else if (member == QLatin1String("StopDiscovery")) {
        setDiscovering(false);
    } else if (member == QLatin1String("RemoveDevice")) {
        removeDevice(call);
        return true;
    } else if (member != QLatin1String("SetDiscoveryFilter")) {
        return false;
    }
    m_tree->reply(call);
    return true;
}

void VirtualBluez::setDiscovering(bool discovering)
{
    m_tree->setProperty(text(AdapterPath), text(AdapterInterface), QStringLiteral("Discovering"),
                        discovering);
    if (!discovering)
        return;
    // A scan finds again the machines in range the daemon had forgotten.
    for (BluezPeripheral *peripheral : qAsConst(m_peripherals))
        peripheral->advertise();
}

void VirtualBluez::removeDevice(const QDBusMessage &call)
{
    const QString path = call.arguments().value(0).value<QDBusObjectPath>().path();
    for (BluezPeripheral *peripheral : qAsConst(m_peripherals)) {
        if (peripheral->devicePath() == path && m_tree->hasObject(path)) {
            peripheral->forget();
            m_tree->reply(call);
            return;
        }
    }
    m_tree->replyError(call, QStringLiteral("org.bluez.Error.DoesNotExist"),
                       QStringLiteral("Does Not Exist"));
}
