#ifndef BLUEZPERIPHERAL_H
#define BLUEZPERIPHERAL_H

#include <QDBusMessage>
#include <QObject>
#include <QStringList>

#include <optional>

class BluezObjectTree;
class VirtualBleMachine;

// One virtual vela16 as the Bluetooth daemon shows it: a Device1 object under
// the adapter while the machine is in range, and, while it is connected, its
// data service with the write characteristic (written without response) and
// the notify characteristic with its client configuration descriptor. Frames
// written go to the machine; the machine's frames come back as changes of
// the notify characteristic's Value while notifications are on. Faults make
// it misbehave the way real peripherals do.
class BluezPeripheral : public QObject
{
    Q_OBJECT

public:
    enum Fault {
        RefuseConnect,      // Connect answers an error
        HoldConnect,        // Connect never answers
        Silence,            // the machine's frames are lost on the air
        RefuseWrite,        // WriteValue answers an error
        HoldDescriptorRead, // the descriptor's ReadValue never answers
    };
    Q_ENUM(Fault)

    // The faults' names for the control tool: "refuse-connect", "hold-connect", ...
    static QStringList faultNames();
    static std::optional<Fault> faultFromName(const QString &name);

    static constexpr char DataServiceUuid[] = "6e400001-b5a3-f393-e0a9-e50e24dcca9e";
    static constexpr char WriteCharacteristicUuid[] = "6e400002-b5a3-f393-e0a9-e50e24dcca9e";
    static constexpr char NotifyCharacteristicUuid[] = "6e400003-b5a3-f393-e0a9-e50e24dcca9e";
    static constexpr char ClientConfigurationUuid[] = "00002902-0000-1000-8000-00805f9b34fb";
    static constexpr short Rssi = -52;

    // Takes the machine over as its child; shows it at once if it is in range.
    BluezPeripheral(VirtualBleMachine *machine, BluezObjectTree *tree, const QString &adapterPath,
                    QObject *parent = nullptr);
    ~BluezPeripheral() override;

    VirtualBleMachine *machine() const;
    QString address() const;
    QString devicePath() const;
    bool isConnected() const;
    bool isNotifying() const;

    void setFault(Fault fault, bool on);
    bool hasFault(Fault fault) const;
    // The link drops as if the machine had gone quiet on the radio; it stays
    // visible and can be connected again.
    void loseLink();
    // Out of range the device object disappears; back in range it is seen again.
    void setInRange(bool inRange);
    // A scan sees the machine again when the daemon had forgotten it.
    void advertise();
    // The daemon forgets the device (RemoveDevice), dropping its link.
    void forget();

private slots:
    void onNotified(const QByteArray &frame);

private:
    QString servicePath() const;
    QString writeCharacteristicPath() const;
    QString notifyCharacteristicPath() const;
    QString descriptorPath() const;

    void show();
    // A renamed machine advertises its new name once it has stored it.
    void onEepromBusyChanged(bool busy);
    void publishGatt();
    void closeLink();
    void setConnectionProperties(bool connected);

    bool handleDevice(const QDBusMessage &call);
    bool handleWriteCharacteristic(const QDBusMessage &call);
    bool handleNotifyCharacteristic(const QDBusMessage &call);
    bool handleDescriptor(const QDBusMessage &call);
    void connectMachine(const QDBusMessage &call);
    void disconnectMachine(const QDBusMessage &call);
    void setNotifying(const QDBusMessage &call, bool notifying);
    // Answers the call with an error and false when the link is down.
    bool requireConnection(const QDBusMessage &call);

    VirtualBleMachine *const m_machine;
    BluezObjectTree *const m_tree;
    const QString m_adapterPath;
    unsigned m_faults = 0; // one bit per Fault
    bool m_connected = false;
    bool m_notifying = false;
};

#endif // BLUEZPERIPHERAL_H
