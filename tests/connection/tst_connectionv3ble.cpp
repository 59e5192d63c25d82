#include "../testtime.h"
#include "recordingblelink.h"
#include "virtualbleplugin.h"

#include "connection/connectionv3ble.h"
#include "containers/shortprotocolcontainer.h"
#include "program/programv3.h"
#include "protocol/ctpmanager.h"
#include "protocol/pcrprotocolv3.h"

#include <QJsonDocument>
#include <QLoggingCategory>
#include <QtTest>

namespace {

const char *const notInitializedWarning = "PCR state received but device not initialized.";
const int HandshakeTimeoutMs = TestTime::scaled(5000);

// Opens the link and waits until the machine's settings have been read.
bool bringUp(ConnectionV3BLE &connection)
{
    QTest::ignoreMessage(QtWarningMsg, notInitializedWarning);
    QSignalSpy initFinished(&connection, &Connection::deviceInitFinished);
    connection.connectionInit();
    while (!connection.isDeviceInitialized()) {
        if (!initFinished.wait(HandshakeTimeoutMs))
            return false;
    }
    return true;
}

ProgramPtr pcrProgram()
{
    const QByteArray steps = QJsonDocument(Container::Protocol::defaultStepArray()).toJson();
    return ProgramPtr(new ProgramV3(QStringLiteral("Colony PCR"), steps, true, Program::PT_PCR));
}

QByteArray messageOf(const QByteArray &storedProgram)
{
    ProtocolV3::PCRProtocol protocol;
    if (!parseMessageV3(storedProgram, protocol))
        return {};
    return QByteArray::fromStdString(protocol.SerializeAsString());
}

} // namespace

class TestConnectionV3BLE : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void framesArePaddedToBleSize_data();
    void framesArePaddedToBleSize();
    void connectionInitFollowsTheLink_data();
    void connectionInitFollowsTheLink();
    void withoutLinkNothingHappens();

    void handshakeToInitialised();
    void linkAlreadyConnectedAtInit();
    void programUpload();
    void linkDropsOutAndReconnects();
    void linkThatBecomesUnavailableIsReleased();
    void renamedMachineIsSeenByTheNextScan();
};

void TestConnectionV3BLE::framesArePaddedToBleSize_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("written");

    const QByteArray shortFrame = QByteArray::fromHex("7e01020304");
    QTest::newRow("5 bytes") << shortFrame << shortFrame + QByteArray(15, '\0');
    const QByteArray fullFrame = QByteArray::fromHex("7e0102030405060708090a0b0c0d0e0f10111213");
    QTest::newRow("20 bytes") << fullFrame << fullFrame;
}

void TestConnectionV3BLE::framesArePaddedToBleSize()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, written);

    RecordingBleLink link;
    ConnectionV3BLE connection(&link, false);
    connection.sendTpData(frame);

    QCOMPARE(link.writes, QByteArrayList{written});
}

void TestConnectionV3BLE::connectionInitFollowsTheLink_data()
{
    QTest::addColumn<int>("controllerState");
    QTest::addColumn<bool>("linkInitialized");
    QTest::addColumn<int>("connectCalls");
    QTest::addColumn<bool>("handleConnected");
    QTest::addColumn<bool>("identitySent");
    // Then the link reports itself down.
    QTest::addColumn<int>("connectCallsOnceDown");
    QTest::addColumn<bool>("handleConnectedOnceDown");

    QTest::newRow("unconnected: attempt") << 0 << false << 1 << true << false << 1 << false;
    QTest::newRow("connecting: wait for it") << 1 << false << 0 << false << false << 0 << false;
    QTest::newRow("connected: identity at once") << 4 << true << 0 << true << true << 0 << false;
    // Left closing by the connection before: once it is down, connect.
    QTest::newRow("closing: attempt once closed") << 5 << false << 0 << false << false << 1 << true;
}

void TestConnectionV3BLE::connectionInitFollowsTheLink()
{
    QFETCH(int, controllerState);
    QFETCH(bool, linkInitialized);
    QFETCH(int, connectCalls);
    QFETCH(bool, handleConnected);
    QFETCH(bool, identitySent);

    RecordingBleLink link;
    link.controllerStateValue = controllerState;
    link.initialized = linkInitialized;
    ConnectionV3BLE connection(&link, false);
    connection.connectionInit();

    QCOMPARE(link.connectCalls, connectCalls);
    QCOMPARE(connection.isHandleConnected(), handleConnected);
    // The software identity is announced at once in one BLE frame.
    QCOMPARE(link.writes.size(), identitySent ? 1 : 0);
    if (identitySent)
        QCOMPARE(link.writes.first().size(), TPManager::BleFrameSize);

    link.controllerStateValue = 0;
    link.initialized = false;
    emit link.disconnected();
    QTEST(link.connectCalls, "connectCallsOnceDown");
    QTEST(connection.isHandleConnected(), "handleConnectedOnceDown");
}

void TestConnectionV3BLE::withoutLinkNothingHappens()
{
    ConnectionV3BLE connection(nullptr, false);
    QSignalSpy handle(&connection, &Connection::isHandleConnectedChanged);

    connection.connectionInit();
    connection.connectDevice();
    connection.sendTpData(QByteArray(5, '~'));
    connection.disconnectHandle();

    QVERIFY(handle.isEmpty());
    QVERIFY(!connection.isTransportOpen());
    QVERIFY(!connection.isDeviceInitialized());
    QVERIFY(connection.hardwareId().isEmpty());
}

void TestConnectionV3BLE::handshakeToInitialised()
{
    VirtualBlePlugin plugin;
    const QString id = plugin.addMachine(QStringLiteral("vela16:0A0B0C0D0E0F1011121314:Bench BLE"));
    QPointer<BLEDeviceInterface> link = plugin.discover(id);
    QVERIFY(link);
    ConnectionV3BLE connection(link, false);
    QSignalSpy initFinished(&connection, &Connection::deviceInitFinished);
    QSignalSpy eepromBusy(&connection, &ConnectionV3::eepromBusyChanged);

    QTest::ignoreMessage(QtInfoMsg, "BLE CONNECTED");
    QTest::ignoreMessage(QtInfoMsg, "Send SoftwareSettings 3.3");
    QVERIFY(bringUp(connection));

    QCOMPARE(initFinished.count(), 1);
    QVERIFY(connection.isHandleConnected());
    QCOMPARE(connection.hardwareId(), id);
    QCOMPARE(connection.machineName(), QStringLiteral("Bench BLE"));
    QCOMPARE(connection.serialNumber(), QStringLiteral("0A0B0C0D0E0F1011121314"));
    QCOMPARE(connection.firmwareVersion(), QStringLiteral("3.8"));
    // The machine answers the software identity with EEPROM_READY.
    QCOMPARE(eepromBusy.count(), 1);
    QCOMPARE(eepromBusy.first().first().toBool(), false);
}

void TestConnectionV3BLE::linkAlreadyConnectedAtInit()
{
    VirtualBlePlugin plugin;
    QPointer<BLEDeviceInterface> link = plugin.discover(plugin.addMachine());
    QVERIFY(link);
    QSignalSpy linkConnected(link, &BLEDeviceInterface::connected);
    QVERIFY(link->connectDevice());
    QVERIFY(linkConnected.wait());

    ConnectionV3BLE connection(link, false);
    QSignalSpy failed(link, &BLEDeviceInterface::connectingFailed);
    QSignalSpy disconnected(link, &BLEDeviceInterface::disconnected);
    QVERIFY(bringUp(connection));

    QVERIFY(connection.isHandleConnected());
    QCOMPARE(linkConnected.count(), 1);
    QVERIFY(failed.isEmpty());
    QVERIFY(disconnected.isEmpty());
}

void TestConnectionV3BLE::programUpload()
{
    VirtualBlePlugin plugin;
    const QString id = plugin.addMachine();
    ConnectionV3BLE connection(plugin.discover(id), false);
    QVERIFY(bringUp(connection));
    QSignalSpy sent(&connection, &Connection::newProgramSent);
    QSignalSpy eepromBusy(&connection, &ConnectionV3::eepromBusyChanged);

    const ProgramPtr program = pcrProgram();
    connection.setProgram(program);
    connection.sendCurrentProgram();

    QVERIFY(sent.wait(HandshakeTimeoutMs));
    const auto programV3 = qSharedPointerObjectCast<ProgramV3>(program);
    QCOMPARE(messageOf(plugin.control()->storedProgram(id)),
             QByteArray::fromStdString(programV3->pcrProtocol().SerializeAsString()));
    // Busy while the machine writes the program, ready once it is stored.
    QTRY_COMPARE_WITH_TIMEOUT(eepromBusy.count(), 2, HandshakeTimeoutMs);
    QCOMPARE(eepromBusy.at(0).first().toBool(), true);
    QCOMPARE(eepromBusy.at(1).first().toBool(), false);
}

void TestConnectionV3BLE::linkDropsOutAndReconnects()
{
    VirtualBlePlugin plugin;
    const QString id = plugin.addMachine();
    QPointer<BLEDeviceInterface> link = plugin.discover(id);
    ConnectionV3BLE connection(link, false);
    QVERIFY(bringUp(connection));
    QSignalSpy handle(&connection, &Connection::isHandleConnectedChanged);

    plugin.control()->setInRange(id, false);

    QVERIFY(handle.wait());
    QCOMPARE(handle.first().first().toBool(), false);
    QVERIFY(!connection.isDeviceInitialized());
    // The latest scan saw the machine: the link stays, ready for a new attempt.
    QVERIFY(link);
    QVERIFY(connection.isTransportOpen());
    QCOMPARE(connection.hardwareId(), id);

    plugin.control()->setInRange(id, true);
    QVERIFY(bringUp(connection));
}

void TestConnectionV3BLE::linkThatBecomesUnavailableIsReleased()
{
    VirtualBlePlugin plugin;
    const QString id = plugin.addMachine();
    QPointer<BLEDeviceInterface> link = plugin.discover(id);
    ConnectionV3BLE connection(link, false);
    QVERIFY(bringUp(connection));
    plugin.control()->setInRange(id, false);
    QTRY_VERIFY(!connection.isHandleConnected());
    QSignalSpy updated(&connection, &Connection::dataUpdated);

    // A scan that misses the idle machine makes its link unavailable.
    plugin.provider()->start();

    QTRY_VERIFY(connection.hardwareId().isEmpty());
    QVERIFY(!connection.isTransportOpen());
    QVERIFY(!updated.isEmpty());
    QTRY_VERIFY(!link);
    connection.connectionInit();
    QVERIFY(!connection.isHandleConnected());
}

void TestConnectionV3BLE::renamedMachineIsSeenByTheNextScan()
{
    VirtualBlePlugin plugin;
    QPointer<BLEDeviceInterface> link = plugin.discover(plugin.addMachine());
    ConnectionV3BLE connection(link, false);
    QVERIFY(bringUp(connection));
    QSignalSpy renamed(link, &BLEDeviceInterface::nameChanged);
    QSignalSpy announced(plugin.provider(), &BLEDevicesProviderInterface::newDeviceAvailable);
    QSignalSpy eepromBusy(&connection, &ConnectionV3::eepromBusyChanged);

    connection.setMachineName(QStringLiteral("Bench 7"));
    // The machine has stored the name once its EEPROM is ready again.
    QTRY_COMPARE_WITH_TIMEOUT(eepromBusy.count(), 2, HandshakeTimeoutMs);
    plugin.provider()->start();

    QVERIFY(renamed.wait());
    QCOMPARE(renamed.first().first().toString(), QStringLiteral("Bench 7"));
    QCOMPARE(link->name(), QStringLiteral("Bench 7"));
    QVERIFY(announced.isEmpty()); // updated, not announced again
}

QTEST_GUILESS_MAIN(TestConnectionV3BLE)
#include "tst_connectionv3ble.moc"
