#include "bledevice.h"
#include "bledevicesbasefinder.h"
#include "bleutils.h"
#include "virtualbluezbus.h"

#include <QBluetoothAddress>
#include <QLoggingCategory>
#include <QtTest>

namespace {
QBluetoothDeviceInfo machine(const QString &address, const QString &name, bool withService = true,
                             QBluetoothDeviceInfo::CoreConfigurations configuration =
                                 QBluetoothDeviceInfo::LowEnergyCoreConfiguration)
{
    QBluetoothDeviceInfo info(QBluetoothAddress(address), name, 0);
    info.setCoreConfigurations(configuration);
    if (withService)
        info.setServiceUuids({QBluetoothUuid(quint16(0x180F)), PCR::BleUtils::serviceUuid()});
    return info;
}

const QString A = QStringLiteral("C0:FF:EE:00:00:0A");
const QString B = QStringLiteral("C0:FF:EE:00:00:0B");
const QString C = QStringLiteral("C0:FF:EE:00:00:0C");
} // namespace

// The generic finder's bookkeeping, fed with sightings through its slots as
// its discovery agent would feed them, and its scans over Qt Bluetooth and
// the virtual Bluetooth daemon.
class TestBLEDevicesBaseFinder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
        qRegisterMetaType<BLEDeviceInterface *>();
        m_bus = std::make_unique<VirtualBluezBus>();
        QVERIFY2(m_bus->isRunning(), qPrintable(m_bus->errorString()));
    }
    void cleanupTestCase() { m_bus.reset(); }
    void onlyMachinesWithTheServiceAreAnnounced_data();
    void onlyMachinesWithTheServiceAreAnnounced();
    void seenAgain();
    void reviewDropsOnlyIdleMissedMachines();
    void agentErrorDropsEveryMachine_data();
    void agentErrorDropsEveryMachine();
    void startDuringAScanKeepsWhatItSaw();

private:
    std::unique_ptr<VirtualBluezBus> m_bus;
};

void TestBLEDevicesBaseFinder::onlyMachinesWithTheServiceAreAnnounced_data()
{
    QTest::addColumn<QBluetoothDeviceInfo>("info");
    QTest::addColumn<bool>("announced");

    QTest::newRow("low energy with the service") << machine(A, QStringLiteral("vela16")) << true;
    QTest::newRow("both configurations with the service")
        << machine(A, QStringLiteral("vela16"), true,
                   QBluetoothDeviceInfo::BaseRateAndLowEnergyCoreConfiguration)
        << true;
    QTest::newRow("no service UUID") << machine(A, QStringLiteral("vela16"), false) << false;
    QTest::newRow("classic only") << machine(A, QStringLiteral("vela16"), true,
                                             QBluetoothDeviceInfo::BaseRateCoreConfiguration)
                                  << false;
}

void TestBLEDevicesBaseFinder::onlyMachinesWithTheServiceAreAnnounced()
{
    QFETCH(QBluetoothDeviceInfo, info);
    QFETCH(bool, announced);
    BLEDevicesBaseFinder finder;
    QSignalSpy spy(&finder, &BLEDevicesProviderInterface::newDeviceAvailable);

    finder.deviceDiscovered(info);

    QCOMPARE(spy.count(), announced ? 1 : 0);
    if (!announced)
        return;
    auto *device = spy.first().first().value<BLEDeviceInterface *>();
    QCOMPARE(device->id(), A);
    QCOMPARE(device->name(), QStringLiteral("vela16"));
    QVERIFY(device->isAvailable());
    QVERIFY(!device->isInitializing());
    QCOMPARE(device->controllerState(), 0);
}

void TestBLEDevicesBaseFinder::seenAgain()
{
    BLEDevicesBaseFinder finder;
    QSignalSpy announced(&finder, &BLEDevicesProviderInterface::newDeviceAvailable);
    finder.deviceDiscovered(machine(A, QStringLiteral("vela16")));
    auto *device = announced.first().first().value<BLEDeviceInterface *>();
    QSignalSpy renamed(device, &BLEDeviceInterface::nameChanged);

    // The same name: announced again, with the same object.
    finder.deviceDiscovered(machine(A, QStringLiteral("vela16")));
    QCOMPARE(announced.count(), 2);
    QCOMPARE(announced.last().first().value<BLEDeviceInterface *>(), device);
    QVERIFY(renamed.isEmpty());

    // A new name: the object learns it and says so, with no new announcement.
    finder.deviceDiscovered(machine(A, QStringLiteral("vela16-Lab")));
    QCOMPARE(announced.count(), 2);
    QCOMPARE(renamed.count(), 1);
    QCOMPARE(renamed.first().first().toString(), QStringLiteral("vela16-Lab"));
    QCOMPARE(device->name(), QStringLiteral("vela16-Lab"));
}

void TestBLEDevicesBaseFinder::reviewDropsOnlyIdleMissedMachines()
{
    BLEDevicesBaseFinder finder;
    QSignalSpy announced(&finder, &BLEDevicesProviderInterface::newDeviceAvailable);
    for (const QString &address : {A, B, C})
        finder.deviceDiscovered(machine(address, QStringLiteral("vela16")));
    QCOMPARE(announced.count(), 3);
    QPointer<BLEDeviceInterface> seen = announced.at(0).first().value<BLEDeviceInterface *>();
    QPointer<BLEDeviceInterface> idle = announced.at(1).first().value<BLEDeviceInterface *>();
    QPointer<BLEDeviceInterface> connecting = announced.at(2).first().value<BLEDeviceInterface *>();
    QVERIFY(connecting->connectDevice());
    QSignalSpy idleAvailability(idle.data(), &IAvailable::availableChanged);

    // A scan that sees only the first machine: the list of the scan starts
    // empty again with a stop.
    finder.stop();
    finder.deviceDiscovered(machine(A, QStringLiteral("vela16")));
    finder.checkDevicesAndMarkAsUnavailable();

    QCOMPARE(idleAvailability.count(), 1);
    QTRY_VERIFY(!idle);
    QVERIFY(seen && seen->isAvailable());
    QVERIFY(connecting && connecting->isAvailable());
    // Seen by a later scan, the idle machine comes back as a new object.
    finder.deviceDiscovered(machine(B, QStringLiteral("vela16")));
    QCOMPARE(announced.count(), 5);
    QVERIFY(announced.last().first().value<BLEDeviceInterface *>()->isAvailable());
}

void TestBLEDevicesBaseFinder::agentErrorDropsEveryMachine_data()
{
    QTest::addColumn<QBluetoothDeviceDiscoveryAgent::Error>("error");
    QTest::addColumn<bool>("stopMeanwhile");
    QTest::addColumn<bool>("restarts");

    QTest::newRow("input/output error")
        << QBluetoothDeviceDiscoveryAgent::InputOutputError << false << true;
    QTest::newRow("input/output error, stopped during the pause")
        << QBluetoothDeviceDiscoveryAgent::InputOutputError << true << false;
    QTest::newRow("unsupported platform")
        << QBluetoothDeviceDiscoveryAgent::UnsupportedPlatformError << false << false;
    QTest::newRow("unsupported discovery method")
        << QBluetoothDeviceDiscoveryAgent::UnsupportedDiscoveryMethod << false << false;
}

void TestBLEDevicesBaseFinder::agentErrorDropsEveryMachine()
{
    QFETCH(QBluetoothDeviceDiscoveryAgent::Error, error);
    QFETCH(bool, stopMeanwhile);
    QFETCH(bool, restarts);
    constexpr int RestartMs = 50;
    BLEDevicesBaseFinder finder;
    finder.setIntervals(100, RestartMs);
    QSignalSpy announced(&finder, &BLEDevicesProviderInterface::newDeviceAvailable);
    finder.deviceDiscovered(machine(A, QStringLiteral("vela16")));
    finder.deviceDiscovered(machine(B, QStringLiteral("vela16")));
    QPointer<BLEDeviceInterface> first = announced.at(0).first().value<BLEDeviceInterface *>();
    QPointer<BLEDeviceInterface> second = announced.at(1).first().value<BLEDeviceInterface *>();
    QSignalSpy scanActive(&finder, &BLEDevicesProviderInterface::scanActiveChanged);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error: ")));
    finder.onDeviceDiscoveryAgentError(error);
    if (stopMeanwhile)
        finder.stop();

    QVERIFY(!first->isAvailable());
    QVERIFY(!second->isAvailable());
    QTRY_VERIFY(!first && !second);
    QCOMPARE(scanActive.wait(10 * RestartMs), restarts);
    if (restarts)
        QCOMPARE(scanActive.first().first().toBool(), true);
    finder.stop();
}

void TestBLEDevicesBaseFinder::startDuringAScanKeepsWhatItSaw()
{
    QString error;
    const QString address = m_bus->addMachine(QStringLiteral("vela16::Bench"), &error);
    QVERIFY2(!address.isEmpty(), qPrintable(error));
    BLEDevicesBaseFinder finder;
    finder.setIntervals(1500, BLEDevicesBaseFinder::DefaultRestartMs);
    QSignalSpy announced(&finder, &BLEDevicesProviderInterface::newDeviceAvailable);
    QSignalSpy scanActive(&finder, &BLEDevicesProviderInterface::scanActiveChanged);

    finder.start();
    QVERIFY(!announced.isEmpty() || announced.wait(10000));
    const QPointer<BLEDeviceInterface> device =
        announced.first().first().value<BLEDeviceInterface *>();
    QCOMPARE(device->id(), address);
    // "Scan" pressed again while the scan runs.
    finder.start();
    QTRY_VERIFY_WITH_TIMEOUT(!finder.scanActive(), 10000);

    // The review at the end of the scan counted the machine as seen.
    QVERIFY(device && device->isAvailable());
    QCOMPARE(scanActive.count(), 2);
    m_bus->removeMachine(address);
}

QTEST_GUILESS_MAIN(TestBLEDevicesBaseFinder)
#include "tst_bledevicesbasefinder.moc"
