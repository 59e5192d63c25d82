#include "devicefixtures.h"

#include <QSignalSpy>
#include <QtTest>

using namespace DeviceFixtures;

namespace {

// One device of an ordering case: how far it got, its connection type and its serial number.
struct DeviceShape
{
    enum State { Stored, Connecting, Online } state;
    PCRConst::ConnectionType type;
    const char *serialNumber;
};

using DeviceShapes = QList<DeviceShape>;

TestDevicePtr deviceOf(const DeviceShape &shape, int number)
{
    const Identity identity(QStringLiteral("Machine %1").arg(number),
                            QLatin1String(shape.serialNumber));
    switch (shape.state) {
    case DeviceShape::Stored:
        return storedDevice(shape.type, identity);
    case DeviceShape::Connecting:
        return connectingDevice(identity);
    case DeviceShape::Online:
        break;
    }
    return onlineDevice(identity);
}

const auto usb = PCRConst::CT_USB_Firmware_V3;
const auto emulated = PCRConst::CT_Emul_V3;

} // namespace

Q_DECLARE_METATYPE(DeviceShapes)

class TestDevicesProxyModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void order_data();
    void order();
    void keepsItselfSorted();
};

void TestDevicesProxyModel::initTestCase()
{
    qRegisterMetaType<QList<QPersistentModelIndex>>();
    qRegisterMetaType<QAbstractItemModel::LayoutChangeHint>();
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestDevicesProxyModel::order_data()
{
    QTest::addColumn<DeviceShapes>("devices");
    // Positions in the list of devices, top to bottom.
    QTest::addColumn<QList<int>>("order");

    QTest::newRow("serial 1234 before 98")
        << DeviceShapes{{DeviceShape::Stored, usb, "98"}, {DeviceShape::Stored, usb, "1234"}}
        << QList<int>{1, 0};
    QTest::newRow("serial 1234 before 98, online")
        << DeviceShapes{{DeviceShape::Online, emulated, "98"},
                        {DeviceShape::Online, emulated, "1234"}}
        << QList<int>{1, 0};
    QTest::newRow("serial numbers as numbers")
        << DeviceShapes{{DeviceShape::Stored, usb, "0099"}, {DeviceShape::Stored, usb, "100"}}
        << QList<int>{1, 0};
    // The later device has the higher id.
    QTest::newRow("without a numeric serial, the higher id first")
        << DeviceShapes{{DeviceShape::Stored, usb, "AB"}, {DeviceShape::Stored, usb, ""}}
        << QList<int>{1, 0};
    QTest::newRow("serial 0 counts as none")
        << DeviceShapes{{DeviceShape::Stored, usb, "0"}, {DeviceShape::Stored, usb, "000"}}
        << QList<int>{1, 0};
    QTest::newRow("initialised, connected, offline")
        << DeviceShapes{{DeviceShape::Stored, emulated, "9"},
                        {DeviceShape::Connecting, emulated, "8"},
                        {DeviceShape::Online, emulated, "7"}}
        << QList<int>{2, 1, 0};
    QTest::newRow("USB before emulated at the same state")
        << DeviceShapes{{DeviceShape::Stored, emulated, "9"}, {DeviceShape::Stored, usb, "1"}}
        << QList<int>{1, 0};
    QTest::newRow("connected before USB")
        << DeviceShapes{{DeviceShape::Stored, usb, "9"}, {DeviceShape::Connecting, emulated, "1"}}
        << QList<int>{1, 0};
}

void TestDevicesProxyModel::order()
{
    QFETCH(DeviceShapes, devices);
    QFETCH(QList<int>, order);
    Models models;
    // Online devices first: bringing one online delivers what others have queued.
    QVector<TestDevicePtr> kept(devices.size());
    for (const bool online : {true, false}) {
        for (int position = 0; position < devices.size(); ++position) {
            if ((devices.at(position).state == DeviceShape::Online) == online)
                kept[position] = deviceOf(devices.at(position), position);
        }
    }
    QList<int> ids;
    for (const TestDevicePtr &device : kept) {
        models.devices.addDevice(device);
        ids.append(device->deviceId());
    }

    QList<int> expected;
    for (const int position : order)
        expected.append(ids.at(position));
    QCOMPARE(deviceIds(models.sorted), expected);
}

void TestDevicesProxyModel::keepsItselfSorted()
{
    Models models;
    const TestDevicePtr low = onlineDevice({QStringLiteral("Low"), QStringLiteral("10")});
    const TestDevicePtr high = onlineDevice({QStringLiteral("High"), QStringLiteral("20")});
    models.devices.addDevice(low);
    models.devices.addDevice(high);
    const QList<int> highFirst{high->deviceId(), low->deviceId()};
    QCOMPARE(deviceIds(models.sorted), highFirst);
    QSignalSpy layouts(&models.sorted, &DevicesProxyModel::layoutChanged);

    setTransportOpen(*high, false);
    QCOMPARE(deviceIds(models.sorted), (QList<int>{low->deviceId(), high->deviceId()}));
    QCOMPARE(layouts.size(), 1);

    setTransportOpen(*high, true);
    QCOMPARE(deviceIds(models.sorted), highFirst);

    // A new reading leaves the order alone.
    layouts.clear();
    updateReadings(*low, 40.0f, 40.0f);
    QCOMPARE(layouts.size(), 0);
    QCOMPARE(deviceIds(models.sorted), highFirst);
}

QTEST_GUILESS_MAIN(TestDevicesProxyModel)
#include "tst_devicesproxymodel.moc"
