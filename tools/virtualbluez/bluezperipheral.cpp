#include "bluezperipheral.h"

#include "bluezobjecttree.h"
#include "virtualblemachine.h"
#include "virtualmachine.h"

#include <QDBusObjectPath>
#include <QDebug>

namespace {

constexpr char DeviceInterface[] = "org.bluez.Device1";
constexpr char ServiceInterface[] = "org.bluez.GattService1";
constexpr char CharacteristicInterface[] = "org.bluez.GattCharacteristic1";
constexpr char DescriptorInterface[] = "org.bluez.GattDescriptor1";
constexpr char Failed[] = "org.bluez.Error.Failed";
constexpr char NotConnected[] = "org.bluez.Error.NotConnected";
constexpr char NotPermitted[] = "org.bluez.Error.NotPermitted";

const char *const FaultNames[] = {"refuse-connect", "hold-connect", "silence", "refuse-write",
                                  "hold-descriptor-read"};

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

bool isCall(const QDBusMessage &call, const char *interface, const char *member)
{
    return call.interface() == QLatin1String(interface) && call.member() == QLatin1String(member);
}

QVariant objectPath(const QString &path)
{
    return QVariant::fromValue(QDBusObjectPath(path));
}

QVariantMap characteristic(const char *uuid, const QString &servicePath, const QStringList &flags)
{
    return {{QStringLiteral("UUID"), text(uuid)},
            {QStringLiteral("Service"), objectPath(servicePath)},
            {QStringLiteral("Value"), QByteArray()},
            {QStringLiteral("Notifying"), false},
            {QStringLiteral("Flags"), flags}};
}

} // namespace

QStringList BluezPeripheral::faultNames()
{
    QStringList names;
    for (const char *name : FaultNames)
        names.append(text(name));
    return names;
}

std::optional<BluezPeripheral::Fault> BluezPeripheral::faultFromName(const QString &name)
{
    const int index = faultNames().indexOf(name);
    return index < 0 ? std::nullopt : std::optional<Fault>(Fault(index));
}

BluezPeripheral::BluezPeripheral(VirtualBleMachine *machine, BluezObjectTree *tree,
                                 const QString &adapterPath, QObject *parent)
    : QObject(parent)
    , m_machine(machine)
    , m_tree(tree)
    , m_adapterPath(adapterPath)
{
    machine->setParent(this);
    connect(machine, &VirtualBleMachine::notified, this, &BluezPeripheral::onNotified);
    connect(machine->machine(), &VirtualMachine::eepromBusyChanged, this,
            &BluezPeripheral::onEepromBusyChanged);
    if (machine->isInRange())
        show();
}

BluezPeripheral::~BluezPeripheral()
{
    m_machine->detach(this);
    m_tree->removeObjectTree(devicePath());
}

VirtualBleMachine *BluezPeripheral::machine() const
{
    return m_machine;
}

QString BluezPeripheral::address() const
{
    return m_machine->address();
}

QString BluezPeripheral::devicePath() const
{
    return m_adapterPath + QStringLiteral("/dev_") +
           QString(address()).replace(QLatin1Char(':'), QLatin1Char('_'));
}

QString BluezPeripheral::servicePath() const
{
    return devicePath() + QStringLiteral("/service000a");
}

QString BluezPeripheral::writeCharacteristicPath() const
{
    return servicePath() + QStringLiteral("/char000b");
}

QString BluezPeripheral::notifyCharacteristicPath() const
{
    return servicePath() + QStringLiteral("/char000d");
}

QString BluezPeripheral::descriptorPath() const
{
    return notifyCharacteristicPath() + QStringLiteral("/desc000f");
}

bool BluezPeripheral::isConnected() const
{
    return m_connected;
}

bool BluezPeripheral::isNotifying() const
{
    return m_notifying;
}

void BluezPeripheral::setFault(Fault fault, bool on)
{
    const unsigned bit = 1u << fault;
    m_faults = on ? (m_faults | bit) : (m_faults & ~bit);
    qInfo().noquote() << address() << "fault" << FaultNames[fault] << (on ? "on" : "off");
}

bool BluezPeripheral::hasFault(Fault fault) const
{
    return m_faults & (1u << fault);
}

void BluezPeripheral::loseLink()
{
    if (!m_connected)
        return;
    qInfo().noquote() << address() << "link lost";
    closeLink();
}

void BluezPeripheral::setInRange(bool inRange)
{
    if (inRange == m_machine->isInRange())
        return;
    if (!inRange) {
        closeLink();
        m_tree->removeObjectTree(devicePath());
    }
    m_machine->setInRange(inRange);
    if (inRange)
        show();
}

void BluezPeripheral::advertise()
{
    if (m_machine->isInRange() && !m_tree->hasObject(devicePath()))
        show();
}

void BluezPeripheral::forget()
{
    closeLink();
    m_tree->removeObjectTree(devicePath());
}

void BluezPeripheral::onNotified(const QByteArray &frame)
{
    if (!m_notifying || hasFault(Silence))
        return;
    m_tree->setProperty(notifyCharacteristicPath(), text(CharacteristicInterface),
                        QStringLiteral("Value"), frame, BluezObjectTree::EvenIfUnchanged);
}

void BluezPeripheral::show()
{
    const QVariantMap device{
        {QStringLiteral("Adapter"), objectPath(m_adapterPath)},
        {QStringLiteral("Address"), address()},
        {QStringLiteral("AddressType"), QStringLiteral("random")},
        {QStringLiteral("Name"), m_machine->advertisedName()},
        {QStringLiteral("Alias"), m_machine->advertisedName()},
        {QStringLiteral("RSSI"), QVariant::fromValue(Rssi)},
        {QStringLiteral("UUIDs"), QStringList{text(DataServiceUuid)}},
        {QStringLiteral("Paired"), false},
        {QStringLiteral("Trusted"), false},
        {QStringLiteral("Blocked"), false},
        {QStringLiteral("Connected"), false},
        {QStringLiteral("ServicesResolved"), false},
    };
    m_tree->addObject(devicePath(), {{text(DeviceInterface), device}},
                      [this](const QDBusMessage &call) { return handleDevice(call); });
}

void BluezPeripheral::onEepromBusyChanged(bool busy)
{
    if (busy)
        return;
    for (const QString &name : {QStringLiteral("Name"), QStringLiteral("Alias")})
        m_tree->setProperty(devicePath(), text(DeviceInterface), name, m_machine->advertisedName());
}

void BluezPeripheral::publishGatt()
{
    const QVariantMap service{{QStringLiteral("UUID"), text(DataServiceUuid)},
                              {QStringLiteral("Device"), objectPath(devicePath())},
                              {QStringLiteral("Primary"), true}};
    m_tree->addObject(servicePath(), {{text(ServiceInterface), service}});
    m_tree->addObject(writeCharacteristicPath(),
                      {{text(CharacteristicInterface),
                        characteristic(WriteCharacteristicUuid, servicePath(),
                                       {QStringLiteral("write-without-response")})}},
                      [this](const QDBusMessage &call) { return handleWriteCharacteristic(call); });
    m_tree->addObject(
        notifyCharacteristicPath(),
        {{text(CharacteristicInterface),
          characteristic(NotifyCharacteristicUuid, servicePath(), {QStringLiteral("notify")})}},
        [this](const QDBusMessage &call) { return handleNotifyCharacteristic(call); });
    const QVariantMap descriptor{
        {QStringLiteral("UUID"), text(ClientConfigurationUuid)},
        {QStringLiteral("Characteristic"), objectPath(notifyCharacteristicPath())},
        {QStringLiteral("Value"), QByteArray()}};
    m_tree->addObject(descriptorPath(), {{text(DescriptorInterface), descriptor}},
                      [this](const QDBusMessage &call) { return handleDescriptor(call); });
}

void BluezPeripheral::closeLink()
{
    if (!m_connected)
        return;
    m_connected = false;
    m_notifying = false;
    m_machine->detach(this);
    m_tree->removeObjectTree(servicePath());
    setConnectionProperties(false);
}

void BluezPeripheral::setConnectionProperties(bool connected)
{
    // Resolved services follow the connection up and precede it down.
    const QString interface = text(DeviceInterface);
    const QString order[] = {QStringLiteral("Connected"), QStringLiteral("ServicesResolved")};
    const int first = connected ? 0 : 1;
    m_tree->setProperty(devicePath(), interface, order[first], connected);
    m_tree->setProperty(devicePath(), interface, order[1 - first], connected);
}

bool BluezPeripheral::handleDevice(const QDBusMessage &call)
{
    if (isCall(call, DeviceInterface, "Connect"))
        connectMachine(call);
    else if (isCall(call, DeviceInterface, "Disconnect"))
        disconnectMachine(call);
    else
        return false;
    return true;
}

void BluezPeripheral::connectMachine(const QDBusMessage &call)
{
    if (hasFault(HoldConnect))
        return;
    if (hasFault(RefuseConnect)) {
        m_tree->replyError(call, text(Failed), QStringLiteral("le-connection-abort-by-local"));
        return;
    }
    if (m_connected) {
        m_tree->reply(call);
        return;
    }
    if (!m_machine->attach(this)) {
        m_tree->replyError(call, text(Failed), QStringLiteral("Software caused connection abort"));
        return;
    }
    m_connected = true;
    m_tree->reply(call);
    m_tree->setProperty(devicePath(), text(DeviceInterface), QStringLiteral("Connected"), true);
    publishGatt();
    m_tree->setProperty(devicePath(), text(DeviceInterface), QStringLiteral("ServicesResolved"),
                        true);
}

void BluezPeripheral::disconnectMachine(const QDBusMessage &call)
{
    closeLink();
    m_tree->reply(call);
}

bool BluezPeripheral::handleWriteCharacteristic(const QDBusMessage &call)
{
    if (!isCall(call, CharacteristicInterface, "WriteValue"))
        return false;
    if (!requireConnection(call))
        return true;
    if (hasFault(RefuseWrite)) {
        m_tree->replyError(call, text(Failed), QStringLiteral("Operation failed"));
        return true;
    }
    m_machine->sendToMachine(call.arguments().value(0).toByteArray());
    m_tree->reply(call);
    return true;
}

bool BluezPeripheral::handleNotifyCharacteristic(const QDBusMessage &call)
{
    if (isCall(call, CharacteristicInterface, "StartNotify"))
        setNotifying(call, true);
    else if (isCall(call, CharacteristicInterface, "StopNotify"))
        setNotifying(call, false);
    else if (isCall(call, CharacteristicInterface, "ReadValue") ||
             isCall(call, CharacteristicInterface, "WriteValue"))
        m_tree->replyError(call, text(NotPermitted), QStringLiteral("Not permitted"));
    else
        return false;
    return true;
}

void BluezPeripheral::setNotifying(const QDBusMessage &call, bool notifying)
{
    if (!requireConnection(call))
        return;
    m_notifying = notifying;
    m_tree->setProperty(notifyCharacteristicPath(), text(CharacteristicInterface),
                        QStringLiteral("Notifying"), notifying);
    m_tree->reply(call);
}

bool BluezPeripheral::handleDescriptor(const QDBusMessage &call)
{
    if (isCall(call, DescriptorInterface, "ReadValue")) {
        if (hasFault(HoldDescriptorRead) || !requireConnection(call))
            return true;
        m_tree->reply(call, {m_notifying ? QByteArray("\x01\x00", 2) : QByteArray(2, '\0')});
        return true;
    }
    if (isCall(call, DescriptorInterface, "WriteValue")) {
        // The daemon keeps the configuration descriptor to itself: clients use StartNotify.
        m_tree->replyError(call, text(NotPermitted), QStringLiteral("Write not permitted"));
        return true;
    }
    return false;
}

bool BluezPeripheral::requireConnection(const QDBusMessage &call)
{
    if (m_connected)
        return true;
    m_tree->replyError(call, text(NotConnected), QStringLiteral("Not connected"));
    return false;
}
