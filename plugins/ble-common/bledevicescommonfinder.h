#ifndef BLEDEVICESCOMMONFINDER_H
#define BLEDEVICESCOMMONFINDER_H

#include "bledevicesbasefinder.h"

// The root object of the generic plug-in.
class BLEDevicesCommonFinder : public BLEDevicesBaseFinder
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.Vornell.Thermox.Corvex")
    Q_INTERFACES(BLEDevicesProviderInterface)

public:
    explicit BLEDevicesCommonFinder(QObject *parent = nullptr);
};

#endif // BLEDEVICESCOMMONFINDER_H
