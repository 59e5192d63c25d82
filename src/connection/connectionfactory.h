#ifndef CONNECTIONFACTORY_H
#define CONNECTIONFACTORY_H

#include "hiddevicedescription.h"

#include "utils/pcrconst.h"

#include <QPointer>

class BLEDeviceInterface;
class Connection;

// The one place that knows which connection class carries which connection
// type, and which of them run on a thread of their own.
class ConnectionFactory
{
public:
    // What a connection needs of its machine; each type reads its own part.
    struct Target
    {
        HidDeviceDescription hidDescription;
        QPointer<BLEDeviceInterface> bleDevice;
        bool manual = false;
        int emulatorIndex = 0;
    };

    static bool isKnownType(PCRConst::ConnectionType type);
    // USB connections poll their handle on a worker thread of their own.
    static bool needsOwnThread(PCRConst::ConnectionType type);
    // A new connection without parent, not yet started. An unknown type
    // gets an emulated connection, with a warning.
    static Connection *create(PCRConst::ConnectionType type, const Target &target);
};

#endif // CONNECTIONFACTORY_H
