#ifndef VIRTUALBLUEZ_H
#define VIRTUALBLUEZ_H

#include "bluezperipheral.h"
#include "machineconfig.h"
#include "machinerack.h"

#include <QDBusConnection>
#include <QMap>
#include <QObject>

class BluezObjectTree;
class ControlServer;
class VirtualMachine;

// A Bluetooth daemon with one powered adapter, "hci0", whose peripherals
// are virtual vela16s: what Qt Bluetooth needs of the daemon's bus API to
// discover them, connect, resolve their data service and exchange frames.
// Everything runs on the thread the object lives on; machines are known by
// their Bluetooth address.
class VirtualBluez : public QObject, public MachineRack
{
    Q_OBJECT

public:
    static constexpr char AdapterPath[] = "/org/bluez/hci0";
    static constexpr char AdapterAddress[] = "0A:00:27:00:00:01";

    explicit VirtualBluez(const QDBusConnection &connection, QObject *parent = nullptr);
    ~VirtualBluez() override;

    // Shows the adapter and takes the daemon's name on the bus; false with a warning.
    bool start();

    // A vela16 on the air; its address, or "" with the reason.
    QString addMachine(const MachineConfig &config, QString *error) override;
    bool removeMachine(const QString &address) override;
    QStringList machineIds() const override;
    // In range or not.
    bool setPlugged(const QString &address, bool inRange) override;
    std::optional<bool> isPlugged(const QString &address) const override;
    QString pluggedName(bool inRange) const override;
    VirtualMachine *machine(const QString &address) const override;
    QStringList linkFaults() const override;
    bool setLinkFault(const QString &address, const QString &fault, bool on) override;
    bool loseLink(const QString &address) override;

    BluezPeripheral *peripheral(const QString &address) const;
    void setDefaultSpeed(double speed);
    // Listens for the control tool; false when the name is taken by a live server.
    bool listenForControl(const QString &serverPath);

private:
    bool handleAdapter(const QDBusMessage &call);
    void setDiscovering(bool discovering);
    void removeDevice(const QDBusMessage &call);

    BluezObjectTree *const m_tree;
    ControlServer *m_control = nullptr;
    QMap<QString, BluezPeripheral *> m_peripherals;
    quint32 m_machinesMade = 0;
    double m_defaultSpeed = 1.0;
};

#endif // VIRTUALBLUEZ_H
