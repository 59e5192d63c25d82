#ifndef BLEDEVICESPROVIDERINTERFACE_H
#define BLEDEVICESPROVIDERINTERFACE_H

#include "bledeviceinterface.h"

#include <QObject>

// A scanner that announces BLE machines: the root object of a BLE plug-in,
// and the program's stand-in for it. Each machine found is handed over once
// per sighting as a BLEDeviceInterface made and owned by the plug-in.
class BLEDevicesProviderInterface : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool scanActive READ scanActive NOTIFY scanActiveChanged)

public:
    explicit BLEDevicesProviderInterface(QObject *parent = nullptr)
        : QObject(parent)
    {}

signals:
    void newDeviceAvailable(BLEDeviceInterface *device);
    void scanActiveChanged(bool scanActive);

public slots:
    virtual bool scanActive() const = 0;
    virtual void setScanActive(bool scanActive) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
};

Q_DECLARE_INTERFACE(BLEDevicesProviderInterface, "org.Vornell.Thermox.BLEDevicesProviderInterface")

#endif // BLEDEVICESPROVIDERINTERFACE_H
