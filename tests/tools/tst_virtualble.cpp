#include "virtualbleplugin.h"

#include <QLoggingCategory>
#include <QtTest>

// The virtual BLE plug-in as the program sees it: through the provider and
// device interfaces, with the machines driven through its control.
class TestVirtualBle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void scanAnnouncesMachinesInRange();
    void scanDropsIdleMachinesItMissed();
    void connectAndDisconnect();
    void writeNeedsAConnectedLink();
    void failedAttempt_data();
    void failedAttempt();
    void lostLink_data();
    void lostLink();
};

namespace {

bool connectLink(BLEDeviceInterface *link)
{
    QSignalSpy connected(link, &BLEDeviceInterface::connected);
    return link->connectDevice() && connected.wait();
}

} // namespace

void TestVirtualBle::scanAnnouncesMachinesInRange()
{
    VirtualBlePlugin plugin;
    const QString inRange =
        plugin.addMachine(QStringLiteral("vela16:0A0B0C0D0E0F1011121314:Bench"));
    plugin.control()->setInRange(plugin.addMachine(), false);
    BLEDevicesProviderInterface *provider = plugin.provider();
    QSignalSpy announced(provider, &BLEDevicesProviderInterface::newDeviceAvailable);
    QSignalSpy scanActive(provider, &BLEDevicesProviderInterface::scanActiveChanged);

    provider->start();
    QVERIFY(provider->scanActive());
    QVERIFY(announced.isEmpty()); // found while the scan runs, not within start()

    QTRY_COMPARE(scanActive.count(), 2); // the scan ends by itself
    QVERIFY(!provider->scanActive());
    QCOMPARE(announced.count(), 1);
    auto *device = announced.first().first().value<BLEDeviceInterface *>();
    QCOMPARE(device->id(), inRange);
    QCOMPARE(device->id(), QStringLiteral("0F:10:11:12:13:14"));
    QCOMPARE(device->name(), QStringLiteral("Bench"));
    QVERIFY(device->isAvailable());
    QVERIFY(!device->isInitialized());
    QCOMPARE(device->controllerState(), 0);

    // Seen again: the same object is announced again.
    provider->start();
    QTRY_COMPARE(announced.count(), 2);
    QCOMPARE(announced.last().first().value<BLEDeviceInterface *>(), device);
}

void TestVirtualBle::scanDropsIdleMachinesItMissed()
{
    VirtualBlePlugin plugin;
    const QString idleId = plugin.addMachine();
    const QString connectedId = plugin.addMachine();
    QPointer<BLEDeviceInterface> idle = plugin.discover(idleId);
    QPointer<BLEDeviceInterface> connected = plugin.discover(connectedId);
    QVERIFY(connectLink(connected));
    QSignalSpy idleAvailable(idle, &IAvailable::availableChanged);
    plugin.control()->setInRange(idleId, false);
    plugin.control()->setInRange(connectedId, false);

    plugin.provider()->start();

    QTRY_VERIFY(!idle);
    QCOMPARE(idleAvailable.count(), 1);
    QCOMPARE(idleAvailable.first().first().toBool(), false);
    // A machine connected while a scan misses it keeps its object and availability.
    QVERIFY(connected);
    QVERIFY(connected->isAvailable());
}

void TestVirtualBle::connectAndDisconnect()
{
    VirtualBlePlugin plugin;
    QPointer<BLEDeviceInterface> link = plugin.discover(plugin.addMachine());
    QSignalSpy connected(link, &BLEDeviceInterface::connected);
    QSignalSpy disconnected(link, &BLEDeviceInterface::disconnected);

    QVERIFY(link->connectDevice());
    QVERIFY(link->isInitializing());
    QVERIFY(link->controllerState() != 0);
    QVERIFY(!link->connectDevice()); // one attempt at a time
    QVERIFY(connected.wait());
    QVERIFY(link->isInitialized());
    QVERIFY(!link->isInitializing());

    link->disconnectDevice();
    QVERIFY(!link->isInitialized());
    QVERIFY(disconnected.wait());
    QCOMPARE(disconnected.count(), 1);
    QCOMPARE(link->controllerState(), 0);
    QVERIFY(link->isAvailable());

    QVERIFY(connectLink(link)); // and again
}

void TestVirtualBle::writeNeedsAConnectedLink()
{
    VirtualBlePlugin plugin;
    QPointer<BLEDeviceInterface> link = plugin.discover(plugin.addMachine());
    const QByteArray frame(20, '~');

    QVERIFY(!link->write(frame.constData(), frame.size()));
    QVERIFY(connectLink(link));
    QVERIFY(!link->write(nullptr, 20));
    QVERIFY(!link->write(frame.constData(), 0));
    QVERIFY(link->write(frame.constData(), frame.size()));
}

void TestVirtualBle::failedAttempt_data()
{
    QTest::addColumn<bool>("foundByFinder");
    QTest::newRow("seen by the latest scan") << true;
    QTest::newRow("missed by the latest scan") << false;
}

void TestVirtualBle::failedAttempt()
{
    QFETCH(bool, foundByFinder);
    VirtualBlePlugin plugin;
    const QString id = plugin.addMachine();
    QPointer<BLEDeviceInterface> link = plugin.discover(id);
    link->setFoundByFinder(foundByFinder);
    plugin.control()->setInRange(id, false);
    QSignalSpy failed(link, &BLEDeviceInterface::connectingFailed);
    QSignalSpy disconnected(link, &BLEDeviceInterface::disconnected);
    QSignalSpy available(link, &IAvailable::availableChanged);

    QVERIFY(link->connectDevice());

    QVERIFY(failed.wait());
    QVERIFY(disconnected.isEmpty());
    QCOMPARE(available.count(), foundByFinder ? 0 : 1);
    if (link)
        QCOMPARE(link->isAvailable(), foundByFinder);
}

void TestVirtualBle::lostLink_data()
{
    QTest::addColumn<bool>("backInTime");
    QTest::newRow("back in range in time") << true;
    QTest::newRow("gone") << false;
}

void TestVirtualBle::lostLink()
{
    QFETCH(bool, backInTime);
    VirtualBlePlugin plugin;
    const QString id = plugin.addMachine();
    QPointer<BLEDeviceInterface> link = plugin.discover(id);
    QVERIFY(connectLink(link));
    QSignalSpy connected(link, &BLEDeviceInterface::connected);
    QSignalSpy disconnected(link, &BLEDeviceInterface::disconnected);

    plugin.control()->setInRange(id, false);
    QVERIFY(link->isInitialized()); // noticed only when the retries give up
    if (backInTime)
        plugin.control()->setInRange(id, true);

    QSignalSpy &outcome = backInTime ? connected : disconnected;
    QSignalSpy &otherOutcome = backInTime ? disconnected : connected;
    QVERIFY(outcome.wait());
    QCOMPARE(link->isInitialized(), backInTime);
    QVERIFY(!otherOutcome.wait(2 * VirtualBlePlugin::LinkLossMs));
    QCOMPARE(outcome.count(), 1);
    QVERIFY(link->isAvailable()); // the latest scan saw it
}

QTEST_GUILESS_MAIN(TestVirtualBle)
#include "tst_virtualble.moc"
