#ifndef VIRTUALBLEDEVICE_H
#define VIRTUALBLEDEVICE_H

#include "bledeviceinterface.h"

#include <QPointer>

class QTimer;
class VirtualBleMachine;

// The link to one virtual machine, behaving towards the program as a real
// link does: an attempt takes a while and fails when the machine is out of
// range; a machine that leaves range while connected is retried for a while
// and then reported disconnected; after a failure the link reports itself
// unavailable unless the latest scan saw the machine.
class VirtualBleDevice : public BLEDeviceInterface
{
    Q_OBJECT
    Q_INTERFACES(BLEDeviceInterface)

public:
    struct Timing
    {
        int connectMs = 2000;   // advertising check, connection, service discovery
        int linkLossMs = 20500; // silence noticed (5.5 s), then 15 s of reconnection attempts
    };

    VirtualBleDevice(VirtualBleMachine *machine, const Timing &timing, QObject *parent = nullptr);
    ~VirtualBleDevice() override;

    void setTiming(const Timing &timing);
    // The machine was seen advertising another name.
    void updateName(const QString &name);

public slots:
    bool isAvailable() const override;
    void setAvailable(bool available) override;
    void setFoundByFinder(bool found) override;
    bool connectDevice() override;
    void disconnectDevice() override;
    bool isInitializing() const override;
    bool isInitialized() const override;
    int controllerState() const override;
    QString id() const override;
    QString name() const override;
    bool write(const char *data, int size) override;

private slots:
    void onConnectTimeout();
    void onMachineInRangeChanged(bool inRange);
    void onNotified(QByteArray frame);

private:
    void beginAttempt();
    bool attachToMachine();
    void detachFromMachine();
    // A failed attempt or a link given up: unavailable unless the latest
    // scan saw the machine, then reset.
    void failLink();
    void resetLink(bool forced);

    QPointer<VirtualBleMachine> m_machine;
    const QString m_id;
    QString m_name;
    Timing m_timing;
    QTimer *const m_connectTimer;
    QTimer *const m_linkLossTimer;
    int m_controllerState;
    bool m_available = false;
    bool m_foundByFinder = false;
    bool m_initializing = false;
    bool m_initialized = false;
};

#endif // VIRTUALBLEDEVICE_H
