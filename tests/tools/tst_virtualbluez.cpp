#include "bluezperipheral.h"
#include "controlsocket.h"
#include "virtualblemachine.h"
#include "virtualbluezbus.h"
#include "virtualmachine.h"

#include "protocol/ctpmanager.h"
#include "protocol/pcrprotocolv3.h"

#include <QBluetoothDeviceDiscoveryAgent>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLowEnergyController>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

constexpr int WaitMs = 10000;
// Long enough for a call that is answered at all to be answered on a loaded machine.
constexpr int QuietMs = 1500;
constexpr int NeverMs = 600000;
constexpr double FastSpeed = 20.0; // a state report every 50 ms

const QBluetoothUuid DataService(QStringLiteral("6e400001-b5a3-f393-e0a9-e50e24dcca9e"));
const QBluetoothUuid WriteCharacteristic(QStringLiteral("6e400002-b5a3-f393-e0a9-e50e24dcca9e"));
const QBluetoothUuid NotifyCharacteristic(QStringLiteral("6e400003-b5a3-f393-e0a9-e50e24dcca9e"));
const QByteArray EnableNotifications = QByteArray::fromHex("0100");

enum LinkFault { LinkLoss, OutOfRange, SwitchedOff };

// Signals the daemon sent before answering a call arrive before the answer;
// delivered here.
void flushBus()
{
    QDBusConnection::systemBus().call(QDBusMessage::createMethodCall(
        QStringLiteral("org.bluez"), QStringLiteral("/"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Qt Bluetooth emits some signals before the call that causes them returns.
bool arrives(QSignalSpy &spy)
{
    return !spy.isEmpty() || spy.wait(WaitMs);
}

QBluetoothDeviceInfo discover(const QString &address)
{
    // Signals about machines from before the scan are not for its agent.
    flushBus();
    QBluetoothDeviceDiscoveryAgent agent;
    agent.setLowEnergyDiscoveryTimeout(500);
    QBluetoothDeviceInfo found;
    QObject::connect(&agent, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered,
                     [&found, address](const QBluetoothDeviceInfo &info) {
                         if (info.address().toString() == address)
                             found = info;
                     });
    QSignalSpy finished(&agent, &QBluetoothDeviceDiscoveryAgent::finished);
    agent.start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
    arrives(finished);
    return found;
}

// Qt Bluetooth's side of one link, step by step as a plug-in goes, with our
// own transfer-protocol manager on top.
class Central : public QObject
{
    Q_OBJECT

public:
    explicit Central(const QString &address)
        : controller(QLowEnergyController::createCentral(
              QBluetoothDeviceInfo(QBluetoothAddress(address), QString(), 0)))
        , tp(TPManager::BleFrameSize, nullptr, NeverMs)
    {
        controller->setParent(this);
    }

    bool connectToMachine()
    {
        QSignalSpy connected(controller, &QLowEnergyController::connected);
        controller->connectToDevice();
        return arrives(connected);
    }

    bool discoverDataService()
    {
        QSignalSpy finished(controller, &QLowEnergyController::discoveryFinished);
        controller->discoverServices();
        if (!arrives(finished) || !controller->services().contains(DataService))
            return false;
        service = controller->createServiceObject(DataService, this);
        return service != nullptr;
    }

    bool discoverDetails()
    {
        service->discoverDetails();
        return QTest::qWaitFor(
            [this] { return service->state() == QLowEnergyService::ServiceDiscovered; }, WaitMs);
    }

    QLowEnergyDescriptor configuration() const
    {
        return service->characteristic(NotifyCharacteristic)
            .descriptor(QBluetoothUuid::ClientCharacteristicConfiguration);
    }

    bool enableNotifications()
    {
        QSignalSpy written(service, &QLowEnergyService::descriptorWritten);
        connect(service, &QLowEnergyService::characteristicChanged, &tp,
                [this](const QLowEnergyCharacteristic &, const QByteArray &value) {
                    notifications.append(value);
                    tp.receiveTPData(value);
                });
        connect(&tp, &TPManager::sendTPData, service, [this](QByteArray frame) {
            frame.append(QByteArray(TPManager::BleFrameSize - frame.size(), '\0'));
            service->writeCharacteristic(service->characteristic(WriteCharacteristic), frame,
                                         QLowEnergyService::WriteWithoutResponse);
        });
        service->writeDescriptor(configuration(), EnableNotifications);
        return arrives(written) && written.first().at(1).toByteArray() == EnableNotifications;
    }

    bool link()
    {
        return connectToMachine() && discoverDataService() && discoverDetails() &&
               enableNotifications();
    }

    QLowEnergyController *const controller;
    QLowEnergyService *service = nullptr;
    TPManager tp;
    QList<QByteArray> notifications;
};

// An error, never connected(), and the controller back to unconnected.
bool connectIsRefused(const QString &address)
{
    Central central(address);
    QSignalSpy errors(central.controller,
                      QOverload<QLowEnergyController::Error>::of(&QLowEnergyController::error));
    QSignalSpy connected(central.controller, &QLowEnergyController::connected);
    central.controller->connectToDevice();
    return arrives(errors) && connected.isEmpty() &&
           central.controller->state() == QLowEnergyController::UnconnectedState;
}

} // namespace

class TestVirtualBluez : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void machinesAreReachedByAddress();
    void machineIsDiscoveredAsLowEnergyWithItsService();
    void framesCrossTheLink();
    void disconnectClosesTheMachineSide();
    void controllerDeletedWhileConnectedFreesTheMachine();
    void notificationsFlowOnlyOnceEnabled();
    void machineOutOfRangeIsNotDiscovered();
    void renamedMachineIsDiscoveredWithItsNewName();
    void linkFaultsAreReportedAsDisconnection_data();
    void linkFaultsAreReportedAsDisconnection();
    void refusedConnectIsAnError();
    void heldConnectNeverConnects();
    void silentMachineSendsNothing();
    void refusedWriteIsAnError();
    void heldDescriptorReadKeepsTheServiceDiscovering();
    void controlToolDrivesTheMachines();

private:
    std::unique_ptr<VirtualBluezBus> m_bus;
    QString m_address;
};

void TestVirtualBluez::initTestCase()
{
    m_bus = std::make_unique<VirtualBluezBus>();
    QVERIFY2(m_bus->isRunning(), qPrintable(m_bus->errorString()));
}

void TestVirtualBluez::init()
{
    QString error;
    m_address = m_bus->addMachine(QStringLiteral("vela16::Bench BLE"), &error);
    QVERIFY2(!m_address.isEmpty(), qPrintable(error));
}

void TestVirtualBluez::cleanup()
{
    m_bus->removeMachine(m_address);
}

void TestVirtualBluez::cleanupTestCase()
{
    // The daemon goes with a machine still on the air.
    QVERIFY(!m_bus->addMachine(QStringLiteral("vela16")).isEmpty());
    m_bus.reset();
}

void TestVirtualBluez::machinesAreReachedByAddress()
{
    QString serialNumber;
    QVERIFY(m_bus->withMachine(m_address, [&serialNumber](VirtualMachine &machine) {
        serialNumber = machine.serialNumber();
    }));
    QCOMPARE(VirtualBleMachine::addressOf(serialNumber), m_address);
    QCOMPARE(m_bus->machineIds(), QStringList{m_address});
    QVERIFY(m_bus->storedProgram(m_address).isEmpty());
    QVERIFY(!m_bus->setSpeed(m_address, 0.0));

    const QString nobody = QStringLiteral("00:00:00:00:00:00");
    QVERIFY(!m_bus->withMachine(nobody, [](VirtualMachine &) {}));
    QVERIFY(!m_bus->setSpeed(nobody, 2.0));
    QVERIFY(!m_bus->setInRange(nobody, false));
    QVERIFY(!m_bus->removeMachine(nobody));
    QString error;
    QVERIFY(m_bus->addMachine(QStringLiteral("vela8"), &error).isEmpty());
    QCOMPARE(error, QStringLiteral("machines reached over BLE are vela16 (firmware 3)"));
}

void TestVirtualBluez::machineIsDiscoveredAsLowEnergyWithItsService()
{
    const QBluetoothDeviceInfo info = discover(m_address);
    QVERIFY(info.isValid());
    QCOMPARE(info.name(), QStringLiteral("Bench BLE"));
    QCOMPARE(info.serviceUuids(), QList<QBluetoothUuid>{DataService});
    QCOMPARE(info.coreConfigurations(), QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
    QCOMPARE(info.rssi(), BluezPeripheral::Rssi);
}

void TestVirtualBluez::framesCrossTheLink()
{
    Central central(m_address);
    QVERIFY(central.connectToMachine());
    QVERIFY(m_bus->isConnected(m_address));
    QVERIFY(central.discoverDataService());
    QVERIFY(central.discoverDetails());
    const QLowEnergyCharacteristic write = central.service->characteristic(WriteCharacteristic);
    const QLowEnergyCharacteristic notify = central.service->characteristic(NotifyCharacteristic);
    QCOMPARE(write.properties(), QLowEnergyCharacteristic::WriteNoResponse);
    QCOMPARE(notify.properties(), QLowEnergyCharacteristic::Notify);
    QVERIFY(central.configuration().isValid());
    QVERIFY(central.enableNotifications());
    QVERIFY(m_bus->isNotifying(m_address));

    // A request of several frames is answered by a message of several frames.
    QSignalSpy payloads(&central.tp, &TPManager::payload);
    ProtocolV3::Action action;
    action.set_type(ProtocolV3::GET_MACHINE_SETTINGS);
    central.tp.sendPayload(buildPayloadV3(ProtocolV3::ACTION, action));
    QVERIFY(QTest::qWaitFor(
        [&payloads] {
            return std::any_of(payloads.cbegin(), payloads.cend(), [](const QVariantList &args) {
                QByteArray payload = args.first().toByteArray();
                return extractMessageTypeV3(payload) == ProtocolV3::MACHINE_SETTINGS;
            });
        },
        WaitMs));
    for (const QByteArray &notification : qAsConst(central.notifications)) {
        QCOMPARE(notification.size(), TPManager::BleFrameSize);
        QCOMPARE(notification.at(0), '~');
    }
}

void TestVirtualBluez::disconnectClosesTheMachineSide()
{
    Central central(m_address);
    QVERIFY(central.link());
    QSignalSpy disconnected(central.controller, &QLowEnergyController::disconnected);
    central.controller->disconnectFromDevice();
    QVERIFY(disconnected.wait(WaitMs));
    QVERIFY(!m_bus->isConnected(m_address));
    // The machine serves one link at a time: it is free for the next one.
    Central next(m_address);
    QVERIFY(next.link());
}

void TestVirtualBluez::controllerDeletedWhileConnectedFreesTheMachine()
{
    {
        Central central(m_address);
        QVERIFY(central.link());
        QTest::ignoreMessage(QtWarningMsg, "Low Energy Controller deleted while connected.");
    }
    QTRY_VERIFY_WITH_TIMEOUT(!m_bus->isConnected(m_address), WaitMs);
    Central next(m_address);
    QVERIFY(next.link());
}

void TestVirtualBluez::notificationsFlowOnlyOnceEnabled()
{
    Central central(m_address);
    QVERIFY(central.connectToMachine());
    QVERIFY(central.discoverDataService());
    QVERIFY(central.discoverDetails());
    QVERIFY(m_bus->setSpeed(m_address, FastSpeed));
    QSignalSpy changed(central.service, &QLowEnergyService::characteristicChanged);
    QVERIFY(!changed.wait(QuietMs));
    QVERIFY(central.enableNotifications());
    QVERIFY(changed.wait(WaitMs));
}

void TestVirtualBluez::machineOutOfRangeIsNotDiscovered()
{
    QVERIFY(m_bus->setInRange(m_address, false));
    QVERIFY(!discover(m_address).isValid());
    QVERIFY(m_bus->setInRange(m_address, true));
    QVERIFY(discover(m_address).isValid());
}

void TestVirtualBluez::renamedMachineIsDiscoveredWithItsNewName()
{
    QVERIFY(m_bus->setSpeed(m_address, FastSpeed));
    QVERIFY(m_bus->withMachine(m_address, [](VirtualMachine &machine) {
        machine.storeSettings(QStringLiteral("Bench 9"), false);
    }));
    // Advertised once stored.
    QVERIFY(QTest::qWaitFor(
        [this] {
            bool busy = true;
            m_bus->withMachine(m_address,
                               [&busy](VirtualMachine &machine) { busy = machine.isEepromBusy(); });
            return !busy;
        },
        WaitMs));
    QCOMPARE(discover(m_address).name(), QStringLiteral("Bench 9"));
}

void TestVirtualBluez::linkFaultsAreReportedAsDisconnection_data()
{
    QTest::addColumn<int>("fault");
    QTest::newRow("link loss") << int(LinkLoss);
    QTest::newRow("out of range") << int(OutOfRange);
    QTest::newRow("switched off") << int(SwitchedOff);
}

void TestVirtualBluez::linkFaultsAreReportedAsDisconnection()
{
    QFETCH(int, fault);
    Central central(m_address);
    QVERIFY(central.link());
    QSignalSpy disconnected(central.controller, &QLowEnergyController::disconnected);
    switch (fault) {
    case LinkLoss:
        QVERIFY(m_bus->loseLink(m_address));
        break;
    case OutOfRange:
        QVERIFY(m_bus->setInRange(m_address, false));
        break;
    default:
        QVERIFY(m_bus->removeMachine(m_address));
    }
    QVERIFY(disconnected.wait(WaitMs));
    QCOMPARE(central.controller->state(), QLowEnergyController::UnconnectedState);
}

void TestVirtualBluez::refusedConnectIsAnError()
{
    QVERIFY(m_bus->setFault(m_address, BluezPeripheral::RefuseConnect, true));
    QVERIFY(connectIsRefused(m_address));
    QVERIFY(!m_bus->isConnected(m_address));
}

void TestVirtualBluez::heldConnectNeverConnects()
{
    QVERIFY(m_bus->setFault(m_address, BluezPeripheral::HoldConnect, true));
    Central central(m_address);
    QSignalSpy connected(central.controller, &QLowEnergyController::connected);
    central.controller->connectToDevice();
    QVERIFY(!connected.wait(QuietMs));
    QCOMPARE(central.controller->state(), QLowEnergyController::ConnectingState);
}

void TestVirtualBluez::silentMachineSendsNothing()
{
    Central central(m_address);
    QVERIFY(central.link());
    QVERIFY(m_bus->setSpeed(m_address, FastSpeed));
    QSignalSpy changed(central.service, &QLowEnergyService::characteristicChanged);
    QVERIFY(changed.wait(WaitMs)); // state reports flow
    QVERIFY(m_bus->setFault(m_address, BluezPeripheral::Silence, true));
    // What was already on its way is delivered; after that, nothing.
    flushBus();
    changed.clear();
    QVERIFY(!changed.wait(QuietMs));
    QCOMPARE(central.controller->state(), QLowEnergyController::DiscoveredState);
}

void TestVirtualBluez::refusedWriteIsAnError()
{
    Central central(m_address);
    QVERIFY(central.link());
    QVERIFY(m_bus->setFault(m_address, BluezPeripheral::RefuseWrite, true));
    QSignalSpy errors(central.service,
                      QOverload<QLowEnergyService::ServiceError>::of(&QLowEnergyService::error));
    central.service->writeCharacteristic(central.service->characteristic(WriteCharacteristic),
                                         QByteArray(TPManager::BleFrameSize, '~'),
                                         QLowEnergyService::WriteWithoutResponse);
    QVERIFY(errors.wait(WaitMs));
    QCOMPARE(errors.first().first().value<QLowEnergyService::ServiceError>(),
             QLowEnergyService::CharacteristicWriteError);
}

void TestVirtualBluez::heldDescriptorReadKeepsTheServiceDiscovering()
{
    QVERIFY(m_bus->setFault(m_address, BluezPeripheral::HoldDescriptorRead, true));
    Central central(m_address);
    QVERIFY(central.connectToMachine());
    QVERIFY(central.discoverDataService());
    central.service->discoverDetails();
    QVERIFY(!QTest::qWaitFor(
        [&central] { return central.service->state() == QLowEnergyService::ServiceDiscovered; },
        QuietMs));
    QCOMPARE(central.service->state(), QLowEnergyService::DiscoveringServices);
}

void TestVirtualBluez::controlToolDrivesTheMachines()
{
    const QString socket = ControlSocket::path(QStringLiteral("tst-virtualbluez"));
    QVERIFY(m_bus->listenForControl(socket));
    auto tool = [&socket](const QString &commandLine) {
        QProcess process;
        process.start(QStringLiteral(VIRTUALPCRCTL),
                      QStringList{QStringLiteral("--ble"), QStringLiteral("--socket"), socket} +
                          commandLine.split(QLatin1Char(' ')));
        process.waitForFinished(WaitMs);
        return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())
            .trimmed();
    };

    const QString added = tool(QStringLiteral("add vela16::Shelf"));
    QVERIFY2(added.startsWith(QStringLiteral("OK ")), qPrintable(added));
    const QString address = added.mid(3);
    QVERIFY(m_bus->machineIds().contains(address));
    QCOMPARE(tool(QStringLiteral("add vela8")),
             QStringLiteral("ERROR machines reached over BLE are vela16 (firmware 3)"));

    QCOMPARE(tool(QStringLiteral("unplug ") + address), QStringLiteral("OK"));
    QVERIFY(
        tool(QStringLiteral("list")).contains(address + QStringLiteral(" vela16 out-of-range")));
    QVERIFY(!discover(address).isValid());
    QCOMPARE(tool(QStringLiteral("plug ") + address), QStringLiteral("OK"));

    QCOMPARE(tool(QStringLiteral("fault %1 refuse-connect on").arg(address)), QStringLiteral("OK"));
    QCOMPARE(tool(QStringLiteral("fault %1 lightning on").arg(address)),
             QStringLiteral("ERROR no link fault lightning here"));
    QVERIFY(connectIsRefused(address));
    QCOMPARE(tool(QStringLiteral("fault %1 refuse-connect off").arg(address)),
             QStringLiteral("OK"));

    QCOMPARE(tool(QStringLiteral("linkloss ") + address),
             QStringLiteral("ERROR no radio link to ") + address);
    Central central(address);
    QVERIFY(central.link());
    QSignalSpy disconnected(central.controller, &QLowEnergyController::disconnected);
    QCOMPARE(tool(QStringLiteral("linkloss ") + address), QStringLiteral("OK"));
    QVERIFY(disconnected.wait(WaitMs));

    QCOMPARE(tool(QStringLiteral("remove ") + address), QStringLiteral("OK"));
    QVERIFY(!m_bus->machineIds().contains(address));
}

QTEST_GUILESS_MAIN(TestVirtualBluez)
#include "tst_virtualbluez.moc"
