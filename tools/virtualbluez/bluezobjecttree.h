#ifndef BLUEZOBJECTTREE_H
#define BLUEZOBJECTTREE_H

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QMap>
#include <QVariantMap>

#include <functional>

// The objects a Bluetooth daemon shows on the system bus, kept as plain
// property maps: the object manager at "/" with its InterfacesAdded and
// InterfacesRemoved, the standard Properties interface (Get, GetAll, Set and
// PropertiesChanged) and introspection for every object. The methods of the
// Bluetooth interfaces go to a handler per object, which answers through
// reply() or replyError(), later, or never, as the peripheral behaves.
class BluezObjectTree : public QDBusVirtualObject
{
    Q_OBJECT

public:
    using Interfaces = QMap<QString, QVariantMap>;
    // True when the handler took the call (and answers it itself).
    using MethodHandler = std::function<bool(const QDBusMessage &call)>;

    static constexpr char ServiceName[] = "org.bluez";

    enum Announcement { IfChanged, EvenIfUnchanged };

    explicit BluezObjectTree(const QDBusConnection &connection, QObject *parent = nullptr);

    // Registers the tree and takes the service name; false with a warning.
    bool publish();

    void addObject(const QString &path, const Interfaces &interfaces,
                   const MethodHandler &handler = {});
    // The object and every object below it, deepest first.
    void removeObjectTree(const QString &path);
    bool hasObject(const QString &path) const;
    QVariant property(const QString &path, const QString &interface, const QString &name) const;
    // Announces the change with PropertiesChanged. Notifications announce
    // every value, even one equal to the last.
    void setProperty(const QString &path, const QString &interface, const QString &name,
                     const QVariant &value, Announcement announcement = IfChanged);

    void reply(const QDBusMessage &call, const QVariantList &arguments = {});
    void replyError(const QDBusMessage &call, const QString &name, const QString &text);

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;
    QString introspect(const QString &path) const override;

private:
    struct Object
    {
        Interfaces interfaces;
        MethodHandler handler;
    };

    void handleProperties(const QDBusMessage &call);
    void handleManagedObjects(const QDBusMessage &call);
    void handleIntrospection(const QDBusMessage &call);
    QStringList childNames(const QString &path) const;

    QDBusConnection m_connection;
    QMap<QString, Object> m_objects;
};

#endif // BLUEZOBJECTTREE_H
