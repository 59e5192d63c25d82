#include "devicefixtures.h"

#include "program/programv3.h"

#include "../program/programfixtures.h"

#include <QCoreApplication>
#include <QJsonArray>

namespace DeviceFixtures {

TestDevice::TestDevice(PCRConst::ConnectionType type, const Identity &identity)
    : PCRDevice(deviceRecord(type, identity), false)
    , identity(identity)
{}

Connection *TestDevice::createConnection()
{
    connection = new IdentifiedConnection(identity);
    return connection;
}

QJsonObject deviceRecord(PCRConst::ConnectionType type, const Identity &identity)
{
    QJsonObject connection{{QStringLiteral("connectionType"), int(type)}};
    if (type == PCRConst::CT_USB_Firmware_V1 || type == PCRConst::CT_USB_Firmware_V3)
        connection.insert(QStringLiteral("hid_serial_number"), identity.serialNumber);
    if (type == PCRConst::CT_Bluetooth_Firmware_V3)
        connection.insert(QStringLiteral("ble_unique_string"), identity.bleId);
    return {{QStringLiteral("m_deviceId"), 0},
            {QStringLiteral("m_connectionData"), connection},
            {QStringLiteral("ProtocolTempChartData"), QJsonArray()},
            {QStringLiteral("ProtocolDnaChartData"), QJsonArray()},
            {QStringLiteral("autoStartOn"), false},
            {QStringLiteral("firmware"), QStringLiteral("3.8")},
            {QStringLiteral("serialNumber"), identity.serialNumber},
            {QStringLiteral("machineName"), identity.machineName},
            {QStringLiteral("modelName"), identity.modelName},
            {QStringLiteral("m_finishTime"), -1},
            {QStringLiteral("m_secPauseCounter"), 0},
            {QStringLiteral("m_secStopCounter"), 0},
            {QStringLiteral("bleName"), QString()},
            {QStringLiteral("bleId"), identity.bleId}};
}

void deliver()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TestDevicePtr storedDevice(PCRConst::ConnectionType type, const Identity &identity)
{
    return TestDevicePtr::create(type, identity);
}

TestDevicePtr connectingDevice(const Identity &identity)
{
    TestDevicePtr device = storedDevice(PCRConst::CT_Emul_V3, identity);
    device->deviceInit();
    return device;
}

TestDevicePtr onlineDevice(const Identity &identity)
{
    TestDevicePtr device = connectingDevice(identity);
    deliver(); // connectionInit
    deliver(); // the device hears of it
    return device;
}

void setTransportOpen(TestDevice &device, bool open)
{
    device.connection->transportOpen = open;
    emit device.connection->dataUpdated();
    deliver();
}

void report(TestDevice &device, PCRConst::DeviceStatus status)
{
    device.connection->report(status);
    deliver();
}

void updateReadings(TestDevice &device, float lidTemp, float blockTemp)
{
    device.connection->machine.lidTemp = lidTemp;
    device.connection->machine.blockTemp = blockTemp;
    report(device, PCRConst::DS_STOPPED);
}

ProgramPtr pcrProgram(const QString &name)
{
    return ProgramPtr(
        new ProgramV3(name, Fixtures::bytes({Fixtures::pcrStep()}), true, Program::PT_PCR));
}

ProgramPtr emptyProgram()
{
    return ProgramPtr(new ProgramV3());
}

Models::Models() = default;

QList<int> deviceIds(const QAbstractItemModel &model, int idRole)
{
    QList<int> ids;
    for (int row = 0; row < model.rowCount(); ++row)
        ids.append(model.index(row, 0).data(idRole).toInt());
    return ids;
}

} // namespace DeviceFixtures
