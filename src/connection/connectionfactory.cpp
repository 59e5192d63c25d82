#include "connectionfactory.h"

#include "connectionv1usb.h"
#include "connectionv3ble.h"
#include "connectionv3emul.h"
#include "connectionv3usb.h"

#include <QDebug>

bool ConnectionFactory::isKnownType(PCRConst::ConnectionType type)
{
    return type >= PCRConst::CT_USB_Firmware_V1 && type <= PCRConst::CT_Emul_V3;
}

bool ConnectionFactory::needsOwnThread(PCRConst::ConnectionType type)
{
    return type == PCRConst::CT_USB_Firmware_V1 || type == PCRConst::CT_USB_Firmware_V3;
}

Connection *ConnectionFactory::create(PCRConst::ConnectionType type, const Target &target)
{
    switch (type) {
    case PCRConst::CT_USB_Firmware_V1:
        return new ConnectionV1USB(target.hidDescription);
    case PCRConst::CT_USB_Firmware_V3:
        return new ConnectionV3USB(target.hidDescription);
    case PCRConst::CT_Bluetooth_Firmware_V3:
        return new ConnectionV3BLE(target.bleDevice, target.manual);
    case PCRConst::CT_Emul_V3:
        return new ConnectionV3Emul(target.emulatorIndex);
    default:
        qWarning() << "Error: You are using undefined/uninitialized/unknown connection.";
        return new ConnectionV3Emul(target.emulatorIndex);
    }
}
