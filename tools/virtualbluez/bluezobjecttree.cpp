#include "bluezobjecttree.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDebug>

#include <algorithm>

namespace {

constexpr char ObjectManagerInterface[] = "org.freedesktop.DBus.ObjectManager";
constexpr char PropertiesInterface[] = "org.freedesktop.DBus.Properties";
constexpr char IntrospectableInterface[] = "org.freedesktop.DBus.Introspectable";
constexpr char InvalidArgs[] = "org.freedesktop.DBus.Error.InvalidArgs";
constexpr char UnknownMethod[] = "org.freedesktop.DBus.Error.UnknownMethod";
constexpr char UnknownObject[] = "org.freedesktop.DBus.Error.UnknownObject";

using ManagedObjects = QMap<QDBusObjectPath, BluezObjectTree::Interfaces>;

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

void registerDBusTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<BluezObjectTree::Interfaces>();
        qDBusRegisterMetaType<ManagedObjects>();
        return true;
    }();
    Q_UNUSED(registered)
}

} // namespace

BluezObjectTree::BluezObjectTree(const QDBusConnection &connection, QObject *parent)
    : QDBusVirtualObject(parent)
    , m_connection(connection)
{
    registerDBusTypes();
}

bool BluezObjectTree::publish()
{
    if (!m_connection.registerVirtualObject(QStringLiteral("/"), this, QDBusConnection::SubPath)) {
        qWarning() << "Virtual BlueZ cannot register its objects";
        return false;
    }
    if (!m_connection.registerService(text(ServiceName))) {
        qWarning().noquote() << "Virtual BlueZ cannot take the name" << ServiceName << ":"
                             << m_connection.lastError().message();
        return false;
    }
    return true;
}

void BluezObjectTree::addObject(const QString &path, const Interfaces &interfaces,
                                const MethodHandler &handler)
{
    m_objects.insert(path, Object{interfaces, handler});
    QDBusMessage added = QDBusMessage::createSignal(
        QStringLiteral("/"), text(ObjectManagerInterface), QStringLiteral("InterfacesAdded"));
    added << QVariant::fromValue(QDBusObjectPath(path)) << QVariant::fromValue(interfaces);
    m_connection.send(added);
}

void BluezObjectTree::removeObjectTree(const QString &path)
{
    QStringList paths;
    for (auto it = m_objects.cbegin(); it != m_objects.cend(); ++it) {
        if (it.key() == path || it.key().startsWith(path + QLatin1Char('/')))
            paths.append(it.key());
    }
    std::sort(paths.begin(), paths.end(),
              [](const QString &left, const QString &right) { return left.size() > right.size(); });
    for (const QString &removed : qAsConst(paths)) {
        const QStringList interfaces = m_objects.take(removed).interfaces.keys();
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/"), text(ObjectManagerInterface), QStringLiteral("InterfacesRemoved"));
        signal << QVariant::fromValue(QDBusObjectPath(removed)) << interfaces;
        m_connection.send(signal);
    }
}

bool BluezObjectTree::hasObject(const QString &path) const
{
    return m_objects.contains(path);
}

QVariant BluezObjectTree::property(const QString &path, const QString &interface,
                                   const QString &name) const
{
    return m_objects.value(path).interfaces.value(interface).value(name);
}

void BluezObjectTree::setProperty(const QString &path, const QString &interface,
                                  const QString &name, const QVariant &value,
                                  Announcement announcement)
{
    auto object = m_objects.find(path);
    if (object == m_objects.end() || !object->interfaces.contains(interface))
        return;
    QVariant &stored = object->interfaces[interface][name];
    if (stored == value && announcement == IfChanged)
        return;
    stored = value;
    QDBusMessage changed = QDBusMessage::createSignal(path, text(PropertiesInterface),
                                                      QStringLiteral("PropertiesChanged"));
    changed << interface << QVariantMap{{name, value}} << QStringList();
    m_connection.send(changed);
}

void BluezObjectTree::reply(const QDBusMessage &call, const QVariantList &arguments)
{
    m_connection.send(call.createReply(arguments));
}

void BluezObjectTree::replyError(const QDBusMessage &call, const QString &name, const QString &text)
{
    m_connection.send(call.createErrorReply(name, text));
}

bool BluezObjectTree::handleMessage(const QDBusMessage &message, const QDBusConnection &)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    const QString interface = message.interface();
    if (interface == QLatin1String(IntrospectableInterface)) {
        handleIntrospection(message);
        return true;
    }
    if (interface == QLatin1String(ObjectManagerInterface) &&
        message.path() == QLatin1String("/")) {
        handleManagedObjects(message);
        return true;
    }
    const auto object = m_objects.constFind(message.path());
    if (object == m_objects.cend()) {
        replyError(message, text(UnknownObject),
                   QStringLiteral("No such object ") + message.path());
        return true;
    }
    if (interface == QLatin1String(PropertiesInterface)) {
        handleProperties(message);
        return true;
    }
    // The handler may change the tree; it runs on a copy.
    const MethodHandler handler = object->handler;
    if (!handler || !handler(message)) {
        replyError(message, text(UnknownMethod),
                   QStringLiteral("No method %1.%2").arg(interface, message.member()));
    }
    return true;
}

void BluezObjectTree::handleProperties(const QDBusMessage &call)
{
    const Interfaces &interfaces = m_objects.value(call.path()).interfaces;
    const QVariantList arguments = call.arguments();
    const QString interface = arguments.value(0).toString();
    const QString name = arguments.value(1).toString();
    const QString member = call.member();
    if (member == QLatin1String("GetAll")) {
        reply(call, {interfaces.value(interface)});
        return;
    }
    if (!interfaces.value(interface).contains(name)) {
        replyError(call, text(InvalidArgs), QStringLiteral("No such property '%1'").arg(name));
        return;
    }
    if (member == QLatin1String("Get")) {
        reply(call, {QVariant::fromValue(QDBusVariant(interfaces.value(interface).value(name)))});
    } else if (member == QLatin1String("Set")) {
        setProperty(call.path(), interface, name,
                    arguments.value(2).value<QDBusVariant>().variant());
        reply(call);
    } else {
        replyError(call, text(UnknownMethod), member);
    }
}

void BluezObjectTree::handleManagedObjects(const QDBusMessage &call)
{
    if (call.member() != QLatin1String("GetManagedObjects")) {
        replyError(call, text(UnknownMethod), call.member());
        return;
    }
    ManagedObjects objects;
    for (auto it = m_objects.cbegin(); it != m_objects.cend(); ++it)
        objects.insert(QDBusObjectPath(it.key()), it->interfaces);
    reply(call, {QVariant::fromValue(objects)});
}

void BluezObjectTree::handleIntrospection(const QDBusMessage &call)
{
    QString xml = QStringLiteral(
        "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\" "
        "\"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>\n");
    xml += introspect(call.path());
    for (const QString &child : childNames(call.path()))
        xml += QStringLiteral("  <node name=\"%1\"/>\n").arg(child);
    xml += QStringLiteral("</node>\n");
    reply(call, {xml});
}

QString BluezObjectTree::introspect(const QString &path) const
{
    QString xml;
    for (const QString &interface : m_objects.value(path).interfaces.keys())
        xml += QStringLiteral("  <interface name=\"%1\"/>\n").arg(interface);
    return xml;
}

QStringList BluezObjectTree::childNames(const QString &path) const
{
    const QString prefix = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    QStringList names;
    for (auto it = m_objects.cbegin(); it != m_objects.cend(); ++it) {
        if (!it.key().startsWith(prefix))
            continue;
        const QString name = it.key().mid(prefix.size()).section(QLatin1Char('/'), 0, 0);
        if (!names.contains(name))
            names.append(name);
    }
    return names;
}
