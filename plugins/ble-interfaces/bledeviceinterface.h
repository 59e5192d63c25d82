#ifndef BLEDEVICEINTERFACE_H
#define BLEDEVICEINTERFACE_H

#include "iavailable.h"

#include <QByteArray>
#include <QString>

// One machine's byte link over Bluetooth Low Energy, made by a BLE plug-in.
// The plug-in owns the object and deletes it once the machine has become
// unavailable; the program holds it only through guarded pointers (QPointer)
// and may ask for its deferred deletion too, so neither side relies on it
// afterwards.
class BLEDeviceInterface : public IAvailable
{
    Q_OBJECT

public:
    explicit BLEDeviceInterface(QObject *parent = nullptr)
        : IAvailable(parent)
    {}

signals:
    // One transfer-protocol frame from the machine.
    void dataReceived(QByteArray data);
    void connected();
    void disconnected();
    void connectingFailed();
    void nameChanged(QString bleName);

public slots:
    // Begins connecting; false when no attempt could be started.
    virtual bool connectDevice() = 0;
    // Ends the connection and releases the link.
    virtual void disconnectDevice() = 0;
    // A connection attempt is in progress.
    virtual bool isInitializing() const = 0;
    // The link is ready for data.
    virtual bool isInitialized() const = 0;
    // The QLowEnergyController state, from UnconnectedState (0) to
    // AdvertisingState (6); 0 when there is no controller.
    virtual int controllerState() const = 0;
    // The machine's Bluetooth address as text: its stable key.
    virtual QString id() const = 0;
    // The advertised machine name.
    virtual QString name() const = 0;
    // Sends bytes to the machine; false when nothing could be sent.
    virtual bool write(const char *data, int size) = 0;
};

Q_DECLARE_INTERFACE(BLEDeviceInterface, "org.Vornell.Thermox.BLEDeviceInterface")

#endif // BLEDEVICEINTERFACE_H
