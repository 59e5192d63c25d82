#ifndef BLEUTILS_H
#define BLEUTILS_H

#include <QBluetoothDeviceInfo>
#include <QBluetoothUuid>
#include <QString>

namespace PCR {
namespace BleUtils {

// The machine's UART-style data service; scanners recognise a machine by it.
QBluetoothUuid serviceUuid();
// Host to machine, written without response.
QBluetoothUuid writeCharacteristicUuid();
// Machine to host, by notifications.
QBluetoothUuid notifyCharacteristicUuid();

bool isSameDevice(const QBluetoothDeviceInfo &a, const QBluetoothDeviceInfo &b);
// The Bluetooth address as text: the machine's id in the plug-ins and the
// program.
QString deviceId(const QBluetoothDeviceInfo &info);
bool hasDeviceService(const QBluetoothDeviceInfo &info);

} // namespace BleUtils
} // namespace PCR

#endif // BLEUTILS_H
