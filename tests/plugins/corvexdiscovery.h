#ifndef CORVEXDISCOVERY_H
#define CORVEXDISCOVERY_H

#include "bledevicesproviderinterface.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

// For tests that run the real Corvex plug-in (in CORVEX_FOLDER) over the
// virtual Bluetooth daemon.
namespace CorvexDiscovery {

// Scans until the machine is announced and the scan has ended, so that the
// next start() begins a scan of its own; the machine's device object.
inline QPointer<BLEDeviceInterface> discover(BLEDevicesProviderInterface &provider,
                                             const QString &id)
{
    QSignalSpy announced(&provider, &BLEDevicesProviderInterface::newDeviceAvailable);
    provider.start();
    for (int spied = 0; announced.count() > spied || announced.wait(10000); ++spied) {
        QPointer<BLEDeviceInterface> device =
            announced.at(spied).first().value<BLEDeviceInterface *>();
        if (device->id() == id)
            return QTest::qWaitFor([&provider] { return !provider.scanActive(); }, 10000) ? device
                                                                                          : nullptr;
    }
    return nullptr;
}

} // namespace CorvexDiscovery

#endif // CORVEXDISCOVERY_H
