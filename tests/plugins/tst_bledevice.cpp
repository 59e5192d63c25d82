#include "bledevice.h"

#include <QBluetoothAddress>
#include <QLoggingCategory>
#include <QtTest>

namespace {
const QString Address = QStringLiteral("C0:FF:EE:00:00:0D");

QBluetoothDeviceInfo machine()
{
    QBluetoothDeviceInfo info(QBluetoothAddress(Address), QStringLiteral("vela16"), 0);
    info.setCoreConfigurations(QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
    return info;
}

// Limits short enough that a test never waits seconds.
BLEDevice::Timing shortTiming()
{
    BLEDevice::Timing timing;
    timing.watchdogMs = 200;
    timing.connectingMs = 300;
    timing.reconnectMs = 20;
    timing.reconnectWindowMs = 250;
    timing.setupMs = 400;
    timing.availableCheckMs = 50;
    return timing;
}
} // namespace

// The device link where no machine answers: nothing advertises here.
class TestBLEDevice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(
            QStringLiteral("*.debug=false\nqt.bluetooth*.warning=false"));
    }
    void notAdvertisingEndsInConnectingFailed_data();
    void notAdvertisingEndsInConnectingFailed();
    void nothingIsWrittenBeforeTheLinkIsReady();
};

void TestBLEDevice::notAdvertisingEndsInConnectingFailed_data()
{
    QTest::addColumn<bool>("foundByFinder");
    QTest::addColumn<bool>("staysAvailable");

    QTest::newRow("seen by the latest scan") << true << true;
    QTest::newRow("missed by the latest scan") << false << false;
}

void TestBLEDevice::notAdvertisingEndsInConnectingFailed()
{
    QFETCH(bool, foundByFinder);
    QFETCH(bool, staysAvailable);
    BLEDevice device(machine());
    device.setTiming(shortTiming());
    device.setAvailable(true);
    device.setFoundByFinder(foundByFinder);
    QSignalSpy failed(&device, &BLEDeviceInterface::connectingFailed);
    QSignalSpy disconnected(&device, &BLEDeviceInterface::disconnected);
    QSignalSpy connected(&device, &BLEDeviceInterface::connected);
    QSignalSpy availability(&device, &IAvailable::availableChanged);

    QTest::ignoreMessage(QtWarningMsg, "Reinitialize timer has expired!");
    QVERIFY(device.connectDevice());
    QVERIFY(device.isInitializing());

    // Reconnection attempts through the window, then one failure.
    QVERIFY(failed.wait(5000));
    QCOMPARE(failed.count(), 1);
    QVERIFY(disconnected.isEmpty());
    QVERIFY(connected.isEmpty());
    QCOMPARE(device.isAvailable(), staysAvailable);
    QCOMPARE(availability.count(), staysAvailable ? 0 : 1);
    QVERIFY(!device.isInitializing());
    QVERIFY(!device.isInitialized());
    QCOMPARE(device.controllerState(), 0);

    // And it can be tried again.
    QTest::ignoreMessage(QtWarningMsg, "Reinitialize timer has expired!");
    QVERIFY(device.connectDevice());
    QVERIFY(failed.wait(5000));
    QCOMPARE(failed.count(), 2);
}

void TestBLEDevice::nothingIsWrittenBeforeTheLinkIsReady()
{
    BLEDevice device(machine());
    const QByteArray frame(20, '~');

    QVERIFY(!device.write(frame.constData(), frame.size()));
    QVERIFY(!device.write(nullptr, 20));
    QVERIFY(!device.write(frame.constData(), 0));
    QVERIFY(!device.write(frame.constData(), -1));
    QCOMPARE(device.id(), Address);
    QCOMPARE(device.name(), QStringLiteral("vela16"));
}

QTEST_GUILESS_MAIN(TestBLEDevice)
#include "tst_bledevice.moc"
