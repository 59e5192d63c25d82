#include "../core/logwatch.h"
#include "../testtime.h"
#include "corvexdiscovery.h"
#include "virtualbluezbus.h"
#include "virtualhidbus.h"

#include "core/bluetooth/bledevicesprovider.h"

#include "models/devicesmodel.h"
#include "models/devicesproxymodel.h"
#include "models/nowrunningmodel.h"
#include "models/onlinedevicesmodel.h"

#include <hidapi.h>

#include <QAbstractItemModelTester>
#include <QtTest>

#include <functional>

namespace {

const int ConnectTimeoutMs = TestTime::scaled(10000);
constexpr quint16 Vela16VendorId = 0x03EB;
constexpr quint16 Vela16ProductId = 0x2062;

// Calls work with the machine's description as detection reports it.
bool withDescription(const QString &serialNumber,
                     const std::function<void(const HidDeviceDescription &)> &work)
{
    hid_device_info *all = hid_enumerate(Vela16VendorId, Vela16ProductId);
    bool found = false;
    for (hid_device_info *info = all; info && !found; info = info->next) {
        found = info->serial_number && QString::fromWCharArray(info->serial_number) == serialNumber;
        if (found)
            work(HidDeviceDescription::fromHidInfo(*info));
    }
    hid_free_enumeration(all);
    return found;
}

QList<int> deviceIds(const QAbstractItemModel &model)
{
    QList<int> ids;
    for (int row = 0; row < model.rowCount(); ++row)
        ids.append(model.index(row, 0).data(DevicesModel::DeviceIdRole).toInt());
    return ids;
}

} // namespace

// The device models over real devices on virtual machines, found the way the
// core finds them: a vela16 on USB and one over BLE, through the real Corvex
// plug-in and the virtual Bluetooth daemon.
class TestDeviceModelsOnMachines : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase() { m_bus.reset(); }

    void usbBeforeBleWhenBothAreOnline();
    void aBleMachineBackInRangeTakesItsNewLink();

private:
    PCRDevicePtr addUsbMachine();
    PCRDevicePtr addBleMachine();

    std::unique_ptr<LogWatch> m_log;
    std::unique_ptr<VirtualBluezBus> m_bus;
    std::unique_ptr<BLEDevicesProvider> m_ble;
    std::unique_ptr<DevicesModel> m_devices;
    std::unique_ptr<DevicesProxyModel> m_sorted;
    std::unique_ptr<OnlineDevicesModel> m_online;
    std::unique_ptr<NowRunningModel> m_nowRunning;
    QList<std::shared_ptr<QAbstractItemModelTester>> m_testers;
    QString m_usbSerial;
    QString m_bleId;
};

void TestDeviceModelsOnMachines::initTestCase()
{
    QLoggingCategory::setFilterRules(
        QStringLiteral("default.debug=false\nqt.bluetooth*.warning=false"));
    m_bus = std::make_unique<VirtualBluezBus>();
    QVERIFY2(m_bus->isRunning(), qPrintable(m_bus->errorString()));
}

void TestDeviceModelsOnMachines::init()
{
    m_log = std::make_unique<LogWatch>();
    // The real plug-in, as the program loads it.
    m_ble = std::make_unique<BLEDevicesProvider>(QStringList{QStringLiteral(CORVEX_FOLDER)});
    m_devices = std::make_unique<DevicesModel>();
    m_sorted = std::make_unique<DevicesProxyModel>(m_devices.get());
    m_nowRunning = std::make_unique<NowRunningModel>(m_devices.get());
    m_online = std::make_unique<OnlineDevicesModel>(m_devices.get());
    const auto fatal = QAbstractItemModelTester::FailureReportingMode::Fatal;
    for (QAbstractItemModel *model : std::initializer_list<QAbstractItemModel *>{
             m_devices.get(), m_sorted.get(), m_nowRunning.get(), m_online.get()})
        m_testers.append(std::make_shared<QAbstractItemModelTester>(model, fatal));
}

void TestDeviceModelsOnMachines::cleanup()
{
    m_testers.clear();
    m_online.reset();
    m_nowRunning.reset();
    m_sorted.reset();
    m_devices.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (!m_usbSerial.isEmpty())
        VirtualHidBus::instance().removeMachine(std::exchange(m_usbSerial, QString()));
    m_ble.reset();
    if (!m_bleId.isEmpty())
        m_bus->removeMachine(std::exchange(m_bleId, QString()));
    // A BLE link whose machine left range gives up once its reconnection
    // window has passed.
    const QStringList unexpected = m_log->unexpectedWarnings(
        LogWatch::ordinaryMachineWarnings()
        << QRegularExpression(QStringLiteral("^Reinitialize timer has expired!$")));
    m_log.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1Char('\n'))));
}

PCRDevicePtr TestDeviceModelsOnMachines::addUsbMachine()
{
    m_usbSerial = VirtualHidBus::instance().addMachine(QStringLiteral("vela16"));
    PCRDevicePtr device;
    withDescription(m_usbSerial, [&](const HidDeviceDescription &description) {
        if (!m_devices->knowsHidDevice(description))
            device.reset(new PCRDevice(description, PCRConst::CT_USB_Firmware_V3));
    });
    m_devices->addDevice(device);
    return device;
}

PCRDevicePtr TestDeviceModelsOnMachines::addBleMachine()
{
    m_bleId = m_bus->addMachine(QStringLiteral("vela16"));
    BLEDeviceInterface *link = CorvexDiscovery::discover(*m_ble, m_bleId);
    if (!link || m_devices->knowsBleDevice(link))
        return PCRDevicePtr();
    const PCRDevicePtr device(new PCRDevice(link, PCRConst::CT_Bluetooth_Firmware_V3, false));
    m_devices->addDevice(device);
    return device;
}

void TestDeviceModelsOnMachines::usbBeforeBleWhenBothAreOnline()
{
    const PCRDevicePtr ble = addBleMachine();
    const PCRDevicePtr usb = addUsbMachine();
    QVERIFY(ble && usb);
    QTRY_COMPARE_WITH_TIMEOUT(m_online->count(), 2, ConnectTimeoutMs);

    QCOMPARE(deviceIds(*m_sorted), (QList<int>{usb->deviceId(), ble->deviceId()}));
    QCOMPARE(m_devices->connectionTypes(),
             (QList<PCRConst::ConnectionType>{PCRConst::CT_Bluetooth_Firmware_V3,
                                              PCRConst::CT_USB_Firmware_V3}));

    // Found again while online: known, and left as it is.
    const int reconnects = m_log->count(QRegularExpression(QStringLiteral("^DEVICE RECONNECT:")));
    QVERIFY(withDescription(m_usbSerial, [this](const HidDeviceDescription &description) {
        QVERIFY(m_devices->knowsHidDevice(description));
    }));
    QVERIFY(m_devices->knowsBleDevice(ble->bleDevice()));
    QCOMPARE(m_log->count(QRegularExpression(QStringLiteral("^DEVICE RECONNECT:"))), reconnects);
    QVERIFY(usb->isOnline());
    QCOMPARE(m_devices->count(), 2);
}

void TestDeviceModelsOnMachines::aBleMachineBackInRangeTakesItsNewLink()
{
    const PCRDevicePtr ble = addBleMachine();
    QVERIFY(ble);
    QTRY_VERIFY_WITH_TIMEOUT(ble->isOnline(), ConnectTimeoutMs);

    // Out of range the link is lost and tried again for the plug-in's 15 s
    // reconnection window; the next scan that misses the machine drops its object.
    QVERIFY(m_bus->setInRange(m_bleId, false));
    QTRY_COMPARE_WITH_TIMEOUT(m_online->count(), 0, TestTime::scaled(30000));
    m_ble->start();
    QTRY_VERIFY_WITH_TIMEOUT(!ble->bleDevice(), ConnectTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_ble->scanActive(), ConnectTimeoutMs);
    QCOMPARE(m_devices->index(0, 0).data(DevicesModel::DeviceStatusRole),
             QVariant(int(PCRConst::DS_OFFLINE)));

    QVERIFY(m_bus->setInRange(m_bleId, true));
    const QPointer<BLEDeviceInterface> link = CorvexDiscovery::discover(*m_ble, m_bleId);
    QVERIFY(link);
    QVERIFY(m_devices->knowsBleDevice(link));

    QCOMPARE(ble->bleDevice(), link.data());
    QCOMPARE(m_devices->count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_online->count(), 1, ConnectTimeoutMs);
}

QTEST_GUILESS_MAIN(TestDeviceModelsOnMachines)
#include "tst_devicemodelsonmachines.moc"
