#include "devicerecord.h"

#include <QDebug>
#include <QJsonArray>
#include <QStringList>

namespace {

const QString keyDeviceId = QStringLiteral("m_deviceId");
const QString keyConnectionData = QStringLiteral("m_connectionData");
const QString keyTempChart = DeviceRecord::tempChartKey();
const QString keyDnaChart = DeviceRecord::dnaChartKey();
const QString keyAutoStartOn = QStringLiteral("autoStartOn");
const QString keyFirmware = QStringLiteral("firmware");
const QString keySerialNumber = QStringLiteral("serialNumber");
const QString keyMachineName = QStringLiteral("machineName");
const QString keyModelName = QStringLiteral("modelName");
const QString keyFinishTime = QStringLiteral("m_finishTime");
const QString keyPauseCounter = QStringLiteral("m_secPauseCounter");
const QString keyStopCounter = QStringLiteral("m_secStopCounter");
const QString keyBleName = QStringLiteral("bleName");
const QString keyBleId = QStringLiteral("bleId");
const QString keyConnectionType = QStringLiteral("connectionType");
const QString keyHidSerialNumber = QStringLiteral("hid_serial_number");
const QString keyBleUniqueString = QStringLiteral("ble_unique_string");
const QString keyTime = QStringLiteral("time");
const QString keyTemp = QStringLiteral("temp");
const QString keyCycle = QStringLiteral("cycle");
const QString keyDnaSamples = QStringLiteral("dnaSamples");

// In the order they are read.
const QStringList recordKeys = {keyDeviceId,    keyConnectionData, keyTempChart,    keyDnaChart,
                                keyAutoStartOn, keyFirmware,       keySerialNumber, keyMachineName,
                                keyModelName,   keyFinishTime,     keyPauseCounter, keyStopCounter,
                                keyBleName,     keyBleId};

bool isUsb(PCRConst::ConnectionType type)
{
    return type == PCRConst::CT_USB_Firmware_V1 || type == PCRConst::CT_USB_Firmware_V3;
}

// A stored number that is not one of the types stands for an unknown connection.
PCRConst::ConnectionType connectionTypeFrom(int value)
{
    if (value < PCRConst::CT_USB_Firmware_V1 || value > PCRConst::CT_Undefined)
        return PCRConst::CT_Undefined;
    return PCRConst::ConnectionType(value);
}

// The identifier a record of this type keeps of its machine; empty when none.
QString identifierKey(int connectionType)
{
    if (isUsb(connectionTypeFrom(connectionType)))
        return keyHidSerialNumber;
    return connectionType == PCRConst::CT_Bluetooth_Firmware_V3 ? keyBleUniqueString : QString();
}

bool containsKey(const QJsonObject &object, const QString &key)
{
    if (object.contains(key))
        return true;
    qDebug().noquote() << QStringLiteral("validateDeviceJson::missing key: ") + key;
    return false;
}

QVector<ChartData> readPoints(const QJsonArray &points, const QString &xKey, const QString &yKey)
{
    QVector<ChartData> read;
    read.reserve(points.size());
    for (const QJsonValue &value : points) {
        const QJsonObject point = value.toObject();
        read.append(ChartData{point.value(xKey).toDouble(), point.value(yKey).toDouble()});
    }
    return read;
}

QJsonArray pointsJson(const QVector<ChartData> &points, const QString &xKey, const QString &yKey)
{
    QJsonArray written;
    for (const ChartData &point : points)
        written.append(QJsonObject{{xKey, point.x}, {yKey, point.y}});
    return written;
}

} // namespace

bool DeviceRecord::validate(const QJsonObject &record)
{
    if (record.isEmpty())
        return false;
    bool valid = true;
    for (const QString &key : recordKeys)
        valid = containsKey(record, key) && valid;
    const QJsonObject connection = record.value(keyConnectionData).toObject();
    const QString identifier = identifierKey(connection.value(keyConnectionType).toInt());
    if (!identifier.isEmpty())
        valid = containsKey(connection, identifier) && valid;
    return valid;
}

DeviceRecord DeviceRecord::fromJson(const QJsonObject &record)
{
    DeviceRecord read;
    read.readConnectionData(record.value(keyConnectionData).toObject());
    read.tempChart = readPoints(record.value(keyTempChart).toArray(), keyTime, keyTemp);
    read.dnaChart = readPoints(record.value(keyDnaChart).toArray(), keyCycle, keyDnaSamples);
    read.autoStartOn = record.value(keyAutoStartOn).toBool();
    read.firmware = record.value(keyFirmware).toString();
    read.serialNumber = record.value(keySerialNumber).toString();
    read.machineName = record.value(keyMachineName).toString();
    read.modelName = record.value(keyModelName).toString();
    read.finishTime = record.value(keyFinishTime).toInt();
    read.pauseCounter = record.value(keyPauseCounter).toInt();
    read.stopCounter = record.value(keyStopCounter).toInt();
    read.bleName = record.value(keyBleName).toString();
    read.bleId = record.value(keyBleId).toString();
    return read;
}

QJsonObject DeviceRecord::toJson() const
{
    return {{keyDeviceId, deviceId},
            {keyConnectionData, connectionData()},
            {keyTempChart, pointsJson(tempChart, keyTime, keyTemp)},
            {keyDnaChart, pointsJson(dnaChart, keyCycle, keyDnaSamples)},
            {keyAutoStartOn, autoStartOn},
            {keyFirmware, firmware},
            {keySerialNumber, serialNumber},
            {keyMachineName, machineName},
            {keyModelName, modelName},
            {keyFinishTime, finishTime},
            {keyPauseCounter, pauseCounter},
            {keyStopCounter, stopCounter},
            {keyBleName, bleName},
            {keyBleId, bleId}};
}

QJsonObject DeviceRecord::connectionData() const
{
    QJsonObject data{{keyConnectionType, int(connectionType)}};
    if (isUsb(connectionType))
        data.insert(keyHidSerialNumber, hidSerialNumber);
    else if (connectionType == PCRConst::CT_Bluetooth_Firmware_V3)
        data.insert(keyBleUniqueString, bleUniqueString);
    return data;
}

void DeviceRecord::readConnectionData(const QJsonObject &connectionData)
{
    connectionType = connectionTypeFrom(connectionData.value(keyConnectionType).toInt());
    if (isUsb(connectionType))
        hidSerialNumber = connectionData.value(keyHidSerialNumber).toString();
    else if (connectionType == PCRConst::CT_Bluetooth_Firmware_V3)
        bleUniqueString = connectionData.value(keyBleUniqueString).toString();
}
