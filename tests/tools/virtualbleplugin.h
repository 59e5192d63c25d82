#ifndef VIRTUALBLEPLUGIN_H
#define VIRTUALBLEPLUGIN_H

#include "bledevicesproviderinterface.h"
#include "virtualblecontrol.h"

#include <QPluginLoader>
#include <QPointer>
#include <QStringList>

// The virtual BLE plug-in loaded the way the program loads it, with short
// radio times, so that a test never waits seconds. Machines added through
// the fixture are taken off the air again when it goes.
class VirtualBlePlugin
{
public:
    static constexpr int ConnectMs = 10;
    static constexpr int LinkLossMs = 500;
    static constexpr int ScanMs = 30;
    // Machine time runs this much faster: a state report every 200 ms.
    static constexpr double Speed = 5.0;

    static QString filePath();
    static QString folder();

    VirtualBlePlugin();
    ~VirtualBlePlugin();

    QString errorString() const;
    BLEDevicesProviderInterface *provider() const;
    VirtualBleControl *control() const;

    // A new vela16 on the air; its id.
    QString addMachine(const QString &config = QStringLiteral("vela16"));
    // Scans until the machine's device object is announced and the scan has ended.
    QPointer<BLEDeviceInterface> discover(const QString &id);

private:
    QPluginLoader m_loader;
    BLEDevicesProviderInterface *m_provider = nullptr;
    VirtualBleControl *m_control = nullptr;
    QStringList m_machines;
};

#endif // VIRTUALBLEPLUGIN_H
