#include "../testtime.h"
#include "bledevice.h"
#include "logwatch.h"
#include "virtualbluezbus.h"

#include "protocol/ctpmanager.h"
#include "protocol/pcrprotocolv3.h"

#include <QBluetoothAddress>
#include <QLoggingCategory>
#include <QtTest>

#include <memory>

namespace {
const int WaitMs = TestTime::scaled(20000);

// Limits short enough that no test waits long, long enough for a loaded
// machine's bus round trips.
BLEDevice::Timing testTiming()
{
    BLEDevice::Timing timing;
    timing.watchdogMs = TestTime::scaled(1000);
    timing.connectingMs = TestTime::scaled(3000);
    timing.reconnectMs = 50;
    timing.reconnectWindowMs = TestTime::scaled(4000);
    timing.setupMs = TestTime::scaled(5000);
    timing.availableCheckMs = TestTime::scaled(800);
    return timing;
}

enum Fault { NotAdvertising, RefuseConnect, HoldConnect, HoldDescriptorRead };
enum LinkFault { SilentThenBack, SilentAndOff, WriteRefused };

// The transfer protocol over the device, as the firmware-3 connection runs it.
struct TransferEnd
{
    explicit TransferEnd(BLEDevice &device)
        : tp(TPManager::BleFrameSize, nullptr, 600000)
    {
        QObject::connect(&device, &BLEDeviceInterface::dataReceived, &tp,
                         &TPManager::receiveTPData);
        QObject::connect(&tp, &TPManager::sendTPData, &device, [&device](QByteArray frame) {
            frame.append(QByteArray(TPManager::BleFrameSize - frame.size(), '\0'));
            device.write(frame.constData(), frame.size());
        });
    }

    // Asks for the machine's settings; true once they have arrived.
    bool askForSettings()
    {
        QSignalSpy payloads(&tp, &TPManager::payload);
        ProtocolV3::Action action;
        action.set_type(ProtocolV3::GET_MACHINE_SETTINGS);
        tp.sendPayload(buildPayloadV3(ProtocolV3::ACTION, action));
        return QTest::qWaitFor(
            [&payloads] {
                return std::any_of(
                    payloads.cbegin(), payloads.cend(), [](const QVariantList &args) {
                        QByteArray payload = args.first().toByteArray();
                        return extractMessageTypeV3(payload) == ProtocolV3::MACHINE_SETTINGS;
                    });
            },
            WaitMs);
    }

    TPManager tp;
};
} // namespace

// BLEDevice over Qt Bluetooth and a virtual Bluetooth daemon with one virtual
// vela16 per test.
class TestBLEDeviceLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void linkCarriesFramesUntilDisconnected();
    void failedAttempt_data();
    void failedAttempt();
    void connectedLinkFault_data();
    void connectedLinkFault();

private:
    std::unique_ptr<BLEDevice> newDevice(bool foundByFinder);
    // A device whose link is up.
    std::unique_ptr<BLEDevice> connectedDevice(bool foundByFinder);

    std::unique_ptr<VirtualBluezBus> m_bus;
    QString m_address;
};

void TestBLEDeviceLink::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    m_bus = std::make_unique<VirtualBluezBus>();
    QVERIFY2(m_bus->isRunning(), qPrintable(m_bus->errorString()));
    m_bus->setDefaultSpeed(20.0);
}

void TestBLEDeviceLink::init()
{
    QString error;
    m_address = m_bus->addMachine(QStringLiteral("vela16::Bench"), &error);
    QVERIFY2(!m_address.isEmpty(), qPrintable(error));
}

void TestBLEDeviceLink::cleanup()
{
    m_bus->removeMachine(m_address);
}

void TestBLEDeviceLink::cleanupTestCase()
{
    m_bus.reset();
}

std::unique_ptr<BLEDevice> TestBLEDeviceLink::newDevice(bool foundByFinder)
{
    QBluetoothDeviceInfo info(QBluetoothAddress(m_address), QStringLiteral("Bench"), 0);
    info.setCoreConfigurations(QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
    auto device = std::make_unique<BLEDevice>(info);
    device->setTiming(testTiming());
    device->setAvailable(true);
    device->setFoundByFinder(foundByFinder);
    return device;
}

std::unique_ptr<BLEDevice> TestBLEDeviceLink::connectedDevice(bool foundByFinder)
{
    auto device = newDevice(foundByFinder);
    QSignalSpy connected(device.get(), &BLEDeviceInterface::connected);
    if (!device->connectDevice() || !connected.wait(WaitMs))
        return nullptr;
    return device;
}

void TestBLEDeviceLink::linkCarriesFramesUntilDisconnected()
{
    auto device = newDevice(true);
    QSignalSpy connected(device.get(), &BLEDeviceInterface::connected);
    QSignalSpy disconnected(device.get(), &BLEDeviceInterface::disconnected);
    QSignalSpy frames(device.get(), &BLEDeviceInterface::dataReceived);
    TransferEnd end(*device);
    QVERIFY(!device->write("~", 1));

    QVERIFY(device->connectDevice());
    QVERIFY(device->isInitializing());
    QVERIFY(connected.wait(WaitMs));
    QVERIFY(device->isInitialized());
    QVERIFY(!device->isInitializing());
    QCOMPARE(device->controllerState(), int(QLowEnergyController::DiscoveredState));
    QVERIFY(m_bus->isNotifying(m_address));

    QVERIFY(end.askForSettings());
    for (const QVariantList &frame : qAsConst(frames)) {
        QCOMPARE(frame.first().toByteArray().size(), TPManager::BleFrameSize);
        QCOMPARE(frame.first().toByteArray().at(0), '~');
    }

    // Notifications off, then the link closes.
    device->disconnectDevice();
    QVERIFY(!device->isInitialized());
    QVERIFY(disconnected.wait(WaitMs));
    QTRY_VERIFY_WITH_TIMEOUT(!m_bus->isConnected(m_address), WaitMs);
    QCOMPARE(device->controllerState(), 0);
    QCOMPARE(disconnected.count(), 1);
    QCOMPARE(connected.count(), 1);
}

void TestBLEDeviceLink::failedAttempt_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("foundByFinder");
    // What ends the attempt: the reconnection window, the connecting timer
    // or the bound on the whole set-up.
    QTest::addColumn<QString>("endedBy");

    QTest::newRow("not advertising") << int(NotAdvertising) << false << QStringLiteral("window");
    QTest::newRow("not advertising, seen by the scan")
        << int(NotAdvertising) << true << QStringLiteral("window");
    QTest::newRow("connect refused") << int(RefuseConnect) << false << QStringLiteral("window");
    QTest::newRow("connect never answers")
        << int(HoldConnect) << false << QStringLiteral("connecting");
    QTest::newRow("connect never answers, seen by the scan")
        << int(HoldConnect) << true << QStringLiteral("connecting");
    QTest::newRow("descriptor read never answers")
        << int(HoldDescriptorRead) << false << QStringLiteral("set-up");
}

void TestBLEDeviceLink::failedAttempt()
{
    QFETCH(int, fault);
    QFETCH(bool, foundByFinder);
    QFETCH(QString, endedBy);
    LogWatch log;
    switch (fault) {
    case NotAdvertising:
        QVERIFY(m_bus->setInRange(m_address, false));
        break;
    case RefuseConnect:
        QVERIFY(m_bus->setFault(m_address, BluezPeripheral::RefuseConnect, true));
        break;
    case HoldConnect:
        QVERIFY(m_bus->setFault(m_address, BluezPeripheral::HoldConnect, true));
        break;
    default:
        QVERIFY(m_bus->setFault(m_address, BluezPeripheral::HoldDescriptorRead, true));
    }
    auto device = newDevice(foundByFinder);
    QSignalSpy failed(device.get(), &BLEDeviceInterface::connectingFailed);
    QSignalSpy disconnected(device.get(), &BLEDeviceInterface::disconnected);
    QSignalSpy availability(device.get(), &IAvailable::availableChanged);

    QVERIFY(device->connectDevice());
    QVERIFY(failed.wait(WaitMs));

    QCOMPARE(failed.count(), 1);
    QVERIFY(disconnected.isEmpty());
    const int windowEnds =
        log.count(QRegularExpression(QStringLiteral("^Reinitialize timer has expired!$")));
    const int setupEnds =
        log.count(QRegularExpression(QStringLiteral("^BLE connection set-up timeout: ")));
    QCOMPARE(windowEnds, endedBy == QLatin1String("window") ? 1 : 0);
    QCOMPARE(setupEnds, endedBy == QLatin1String("set-up") ? 1 : 0);
    QCOMPARE(device->isAvailable(), foundByFinder);
    QCOMPARE(availability.count(), foundByFinder ? 0 : 1);
    QVERIFY(!device->isInitializing());
    QCOMPARE(device->controllerState(), 0);

    // Once the machine behaves, the same object connects.
    m_bus->setInRange(m_address, true);
    for (auto each : {BluezPeripheral::RefuseConnect, BluezPeripheral::HoldConnect,
                      BluezPeripheral::HoldDescriptorRead})
        m_bus->setFault(m_address, each, false);
    QSignalSpy connected(device.get(), &BLEDeviceInterface::connected);
    QVERIFY(device->connectDevice());
    QVERIFY(connected.wait(WaitMs));
}

void TestBLEDeviceLink::connectedLinkFault_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("foundByFinder");
    QTest::addColumn<bool>("linkBack");
    // Given up when the reconnection window ends, rather than at once.
    QTest::addColumn<bool>("windowExpires");

    QTest::newRow("silent, back within the window")
        << int(SilentThenBack) << false << true << false;
    QTest::newRow("silent and switched off") << int(SilentAndOff) << false << false << true;
    QTest::newRow("silent and switched off, seen by the scan")
        << int(SilentAndOff) << true << false << true;
    QTest::newRow("write refused") << int(WriteRefused) << false << false << false;
}

void TestBLEDeviceLink::connectedLinkFault()
{
    QFETCH(int, fault);
    QFETCH(bool, foundByFinder);
    QFETCH(bool, linkBack);
    QFETCH(bool, windowExpires);
    auto device = connectedDevice(foundByFinder);
    QVERIFY(device);
    TransferEnd end(*device);
    // Data has arrived: the watchdog runs.
    QVERIFY(end.askForSettings());
    QSignalSpy connected(device.get(), &BLEDeviceInterface::connected);
    QSignalSpy disconnected(device.get(), &BLEDeviceInterface::disconnected);
    QSignalSpy failed(device.get(), &BLEDeviceInterface::connectingFailed);
    QSignalSpy availability(device.get(), &IAvailable::availableChanged);
    LogWatch log;

    switch (fault) {
    case SilentThenBack:
        QVERIFY(m_bus->setFault(m_address, BluezPeripheral::Silence, true));
        // The watchdog opens the window, whose first attempt connects again.
        QVERIFY(connected.wait(WaitMs));
        QVERIFY(m_bus->setFault(m_address, BluezPeripheral::Silence, false));
        break;
    case SilentAndOff:
        QVERIFY(m_bus->setFault(m_address, BluezPeripheral::Silence, true));
        QVERIFY(m_bus->setInRange(m_address, false));
        break;
    default:
        QVERIFY(m_bus->setFault(m_address, BluezPeripheral::RefuseWrite, true));
        end.askForSettings();
    }

    if (linkBack) {
        QCOMPARE(connected.count(), 1);
        QVERIFY(device->isInitialized());
        QVERIFY(end.askForSettings());
        QVERIFY(disconnected.isEmpty());
    } else {
        QVERIFY(!disconnected.isEmpty() || disconnected.wait(WaitMs));
        QCOMPARE(disconnected.count(), 1);
        QVERIFY(connected.isEmpty());
        QCOMPARE(device->isAvailable(), foundByFinder);
        QCOMPARE(availability.count(), foundByFinder ? 0 : 1);
        QCOMPARE(device->controllerState(), 0);
    }
    QVERIFY(failed.isEmpty());
    QCOMPARE(log.count(QRegularExpression(QStringLiteral("^Reinitialize timer has expired!$"))),
             windowExpires ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestBLEDeviceLink)
#include "tst_bledevicelink.moc"
