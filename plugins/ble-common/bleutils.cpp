#include "bleutils.h"

#include <QBluetoothAddress>

namespace PCR {
namespace BleUtils {

QBluetoothUuid serviceUuid()
{
    return QBluetoothUuid(QStringLiteral("6e400001-b5a3-f393-e0a9-e50e24dcca9e"));
}

QBluetoothUuid writeCharacteristicUuid()
{
    return QBluetoothUuid(QStringLiteral("6e400002-b5a3-f393-e0a9-e50e24dcca9e"));
}

QBluetoothUuid notifyCharacteristicUuid()
{
    return QBluetoothUuid(QStringLiteral("6e400003-b5a3-f393-e0a9-e50e24dcca9e"));
}

bool isSameDevice(const QBluetoothDeviceInfo &a, const QBluetoothDeviceInfo &b)
{
    return a.address() == b.address();
}

QString deviceId(const QBluetoothDeviceInfo &info)
{
    return info.address().toString();
}

bool hasDeviceService(const QBluetoothDeviceInfo &info)
{
    return info.serviceUuids().contains(serviceUuid());
}

} // namespace BleUtils
} // namespace PCR
