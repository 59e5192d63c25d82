#include "devicefixtures.h"

#include "../core/logwatch.h"

#include "program/propertymodel.h"

#include <QSignalSpy>
#include <QtTest>

using namespace DeviceFixtures;

using Roles = QVector<int>;

namespace {

const Identity bench{QStringLiteral("Bench"), QStringLiteral("00AB"), QStringLiteral("vela8"),
                     QStringLiteral("AA:BB:CC:00:11:22")};

enum class State { Stored, Connecting, Online };

TestDevicePtr deviceIn(State state, const Identity &identity)
{
    switch (state) {
    case State::Stored:
        return storedDevice(PCRConst::CT_Emul_V3, identity);
    case State::Connecting:
        return connectingDevice(identity);
    case State::Online:
        break;
    }
    return onlineDevice(identity);
}

// The roles of every dataChanged a spy saw, one list per signal.
QList<Roles> announcedRoles(const QSignalSpy &spy)
{
    QList<Roles> roles;
    for (const QList<QVariant> &signal : spy)
        roles.append(signal.at(2).value<Roles>());
    return roles;
}

} // namespace

Q_DECLARE_METATYPE(State)

class TestDevicesModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void rolesOfAStoredDevice();
    void autoStartSupportAndTypeName_data();
    void autoStartSupportAndTypeName();
    void temperaturesNotAboveZeroShowAsZero_data();
    void temperaturesNotAboveZeroShowAsZero();
    void protocolRolesOnlyForAHeldProtocol();

    void aReadingChangesOnlyItsRowAndRoles();
    void stateReportNamesTheStatusRoles();
    void aRequestedStartIsAnnouncedForItsRow();

    void cacheGivesAStoredIdentityToTheSameBleMachine_data();
    void cacheGivesAStoredIdentityToTheSameBleMachine();

    void addAndDelete();
    void disconnectAndCountConnected();
    void knowsHidDevice_data();
    void knowsHidDevice();

    void setData_data();
    void setData();
};

void TestDevicesModel::initTestCase()
{
    qRegisterMetaType<Roles>();
    qRegisterMetaType<QList<QPersistentModelIndex>>();
    qRegisterMetaType<QAbstractItemModel::LayoutChangeHint>();
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestDevicesModel::rolesOfAStoredDevice()
{
    Models models;
    const TestDevicePtr device = storedDevice(PCRConst::CT_Bluetooth_Firmware_V3, bench);
    models.devices.addDevice(device);
    const QModelIndex row = models.devices.index(0, 0);

    const QList<QPair<int, QVariant>> expected = {
        {DevicesModel::DeviceNameRole, QStringLiteral("Bench")},
        {DevicesModel::DeviceStatusRole, int(PCRConst::DS_OFFLINE)},
        {DevicesModel::DeviceStatusNameRole, QStringLiteral("Offline")},
        {DevicesModel::DeviceObjectRole, QVariant::fromValue<PCRDevice *>(device.data())},
        {DevicesModel::DeviceIdRole, device->deviceId()},
        {DevicesModel::ModelNameRole, QStringLiteral("vela8")},
        {DevicesModel::SerialNumberRole, QStringLiteral("00AB")},
        {DevicesModel::FirmwareRole, QStringLiteral("3.8")},
        {DevicesModel::IsConnectedRole, false},
        {DevicesModel::ConnectionInitializedRole, false},
        {DevicesModel::ConnectionTypeRole, int(PCRConst::CT_Bluetooth_Firmware_V3)},
        {DevicesModel::LidTemperatureRole, 0.0},
        {DevicesModel::ProtocolIdRole, QVariant()},
        {DevicesModel::ProtocolNameRole, QVariant()},
        {DevicesModel::ProtocolTypeRole, QVariant()},
        {DevicesModel::ProtocolPropertyModelRole, QVariant()},
        {DevicesModel::TempChartDataRole, QVariant::fromValue(device->tempChart())},
        {DevicesModel::TempChartDataTotalTimeRole, qint64(0)},
        {DevicesModel::DnaChartDataRole, QVariant::fromValue(device->dnaChart())},
        {DevicesModel::BleIdRole, QStringLiteral("AA:BB:CC:00:11:22")},
    };
    for (const auto &role : expected) {
        const QVariant value = row.data(role.first);
        QVERIFY2(value.userType() == role.second.userType() && value == role.second,
                 models.devices.roleNames().value(role.first).constData());
    }

    QCOMPARE(models.devices.roleNames().size(), 46);
    QCOMPARE(models.devices.roleNames().value(257), QByteArrayLiteral("deviceName"));
    QCOMPARE(models.devices.roleNames().value(302), QByteArrayLiteral("bleId"));
    // Outside the list there is nothing.
    QVERIFY(!models.devices.index(1, 0).isValid());
    QVERIFY(!models.devices.index(-1, 0).isValid());
    QVERIFY(!models.devices.index(0, 1).isValid());
    for (const int role : models.devices.roleNames().keys())
        QVERIFY(!models.devices.data(QModelIndex(), role).isValid());
    QVERIFY(!row.data(Qt::DisplayRole).isValid());
    QVERIFY(!row.data(DevicesModel::BleIdRole + 1).isValid());
}

void TestDevicesModel::autoStartSupportAndTypeName_data()
{
    QTest::addColumn<PCRConst::ConnectionType>("type");
    QTest::addColumn<bool>("autoStartSupport");
    QTest::addColumn<QString>("typeName");

    QTest::newRow("firmware 1 over USB") << PCRConst::CT_USB_Firmware_V1 << false << "USB";
    QTest::newRow("firmware 3 over USB") << PCRConst::CT_USB_Firmware_V3 << true << "USB";
    QTest::newRow("BLE") << PCRConst::CT_Bluetooth_Firmware_V3 << true << "BLE";
    QTest::newRow("emulated") << PCRConst::CT_Emul_V3 << true << "EMUL";
}

void TestDevicesModel::autoStartSupportAndTypeName()
{
    QFETCH(PCRConst::ConnectionType, type);
    QFETCH(bool, autoStartSupport);
    QFETCH(QString, typeName);
    Models models;
    models.devices.addDevice(storedDevice(type, bench));
    const QModelIndex row = models.devices.index(0, 0);

    QCOMPARE(row.data(DevicesModel::IsAutoStartSupportRole), QVariant(autoStartSupport));
    QCOMPARE(row.data(DevicesModel::ConnectionTypeNameRole), QVariant(typeName));
}

void TestDevicesModel::temperaturesNotAboveZeroShowAsZero_data()
{
    QTest::addColumn<float>("reading");
    QTest::addColumn<double>("shown");

    QTest::newRow("below zero") << -3.5f << 0.0;
    QTest::newRow("zero") << 0.0f << 0.0;
    QTest::newRow("just above zero") << 0.25f << 0.25;
    QTest::newRow("hot") << 104.5f << 104.5;
}

void TestDevicesModel::temperaturesNotAboveZeroShowAsZero()
{
    QFETCH(float, reading);
    QFETCH(double, shown);
    Models models;
    const TestDevicePtr device = onlineDevice(bench);
    models.devices.addDevice(device);

    updateReadings(*device, reading, reading);

    const QModelIndex row = models.devices.index(0, 0);
    QCOMPARE(row.data(DevicesModel::LidTemperatureRole), QVariant(shown));
    QCOMPARE(row.data(DevicesModel::SampleTemperatureRole), QVariant(shown));
}

void TestDevicesModel::protocolRolesOnlyForAHeldProtocol()
{
    Models models;
    const TestDevicePtr device = onlineDevice(bench);
    models.devices.addDevice(device);
    const QModelIndex row = models.devices.index(0, 0);
    const Roles protocolRoles = {DevicesModel::ProtocolIdRole, DevicesModel::ProtocolNameRole,
                                 DevicesModel::ProtocolTypeRole,
                                 DevicesModel::ProtocolPropertyModelRole};

    const ProgramPtr program = pcrProgram(QStringLiteral("Mix A"));
    device->setActiveProgram(program);
    QCOMPARE(row.data(DevicesModel::ProtocolIdRole), QVariant(program->programId()));
    QCOMPARE(row.data(DevicesModel::ProtocolNameRole), QVariant(QStringLiteral("Mix A")));
    QCOMPARE(row.data(DevicesModel::ProtocolTypeRole), QVariant(int(Program::PT_PCR)));
    QCOMPARE(row.data(DevicesModel::ProtocolPropertyModelRole).value<PropertyModel *>(),
             device->activeProgram()->propertyModel());

    device->setActiveProgram(emptyProgram());
    for (const int role : protocolRoles)
        QVERIFY2(!row.data(role).isValid(), models.devices.roleNames().value(role).constData());
    QVERIFY(row.data(DevicesModel::ProtocolTimeRole).isValid());
}

void TestDevicesModel::aReadingChangesOnlyItsRowAndRoles()
{
    Models models;
    const TestDevicePtr first = onlineDevice(bench);
    const TestDevicePtr second = onlineDevice({QStringLiteral("Shelf"), QStringLiteral("0042")});
    models.devices.addDevice(first);
    models.devices.addDevice(second);
    updateReadings(*second, 25.0f, 25.0f);
    QSignalSpy changes(&models.devices, &DevicesModel::dataChanged);
    QSignalSpy sortedLayout(&models.sorted, &DevicesProxyModel::layoutChanged);

    updateReadings(*second, 31.5f, 25.0f);

    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.at(0).at(0).toModelIndex(), models.devices.index(1, 0));
    QCOMPARE(changes.at(0).at(1).toModelIndex(), models.devices.index(1, 0));
    QCOMPARE(announcedRoles(changes).at(0), Roles{DevicesModel::LidTemperatureRole});
    QCOMPARE(sortedLayout.size(), 0);

    // The device tells again, but nothing the model shows has changed.
    updateReadings(*second, 31.5f, 25.0f);
    QCOMPARE(changes.size(), 1);
}

void TestDevicesModel::stateReportNamesTheStatusRoles()
{
    Models models;
    const TestDevicePtr device = onlineDevice(bench);
    device->setActiveProgram(pcrProgram());
    models.devices.addDevice(device);
    QSignalSpy changes(&models.devices, &DevicesModel::dataChanged);

    report(*device, PCRConst::DS_RUNNING);

    QVERIFY(!changes.isEmpty());
    Roles announced;
    for (const Roles &roles : announcedRoles(changes))
        announced += roles;
    QVERIFY(announced.contains(DevicesModel::DeviceStatusRole));
    QVERIFY(announced.contains(DevicesModel::DeviceStatusNameRole));
    QVERIFY(!announced.contains(DevicesModel::DeviceNameRole));
    QVERIFY(!announced.contains(DevicesModel::SerialNumberRole));
    QCOMPARE(models.devices.index(0, 0).data(DevicesModel::DeviceStatusRole),
             QVariant(int(PCRConst::DS_RUNNING)));
}

void TestDevicesModel::aRequestedStartIsAnnouncedForItsRow()
{
    Models models;
    const ProgramPtr program = pcrProgram();
    const TestDevicePtr device = onlineDevice(bench);
    device->setActiveProgram(program);
    report(*device, PCRConst::DS_STOPPED);
    models.devices.addDevice(onlineDevice({QStringLiteral("Shelf"), QStringLiteral("0042")}));
    models.devices.addDevice(device);
    QVERIFY(!models.nowRunning.isRunningProtocol(program->programId()));
    QSignalSpy changes(&models.devices, &DevicesModel::dataChanged);

    // Busy with its run from now on, though no role shows the pending request.
    device->playClicked();

    QVERIFY(models.nowRunning.isRunningProtocol(program->programId()));
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.at(0).at(0).toModelIndex(), models.devices.index(1, 0));
    QCOMPARE(models.devices.index(1, 0).data(DevicesModel::DeviceStatusRole),
             QVariant(int(PCRConst::DS_STOPPED)));
}

void TestDevicesModel::cacheGivesAStoredIdentityToTheSameBleMachine_data()
{
    QTest::addColumn<PCRConst::ConnectionType>("type");
    QTest::addColumn<QString>("storedBleId");
    QTest::addColumn<QString>("foundBleId");
    QTest::addColumn<bool>("applied");

    const QString id = QStringLiteral("AA:BB:CC:00:11:22");
    QTest::newRow("same BLE id") << PCRConst::CT_Bluetooth_Firmware_V3 << id << id << true;
    QTest::newRow("other BLE id") << PCRConst::CT_Bluetooth_Firmware_V3 << id
                                  << QStringLiteral("AA:BB:CC:00:11:23") << false;
    // Every USB machine has the same, empty BLE id.
    QTest::newRow("USB machines") << PCRConst::CT_USB_Firmware_V3 << QString() << QString()
                                  << false;
}

void TestDevicesModel::cacheGivesAStoredIdentityToTheSameBleMachine()
{
    QFETCH(PCRConst::ConnectionType, type);
    QFETCH(QString, storedBleId);
    QFETCH(QString, foundBleId);
    QFETCH(bool, applied);
    Models models;
    const TestDevicePtr older = storedDevice(type, {QStringLiteral("Older"), QStringLiteral("0001"),
                                                    QStringLiteral("vela8"), storedBleId});
    Identity stored = bench;
    stored.bleId = storedBleId;
    const TestDevicePtr record = storedDevice(type, stored);
    record->setAutoStartOn(true);
    models.devices.cacheDeviceData(older);
    models.devices.cacheDeviceData(record);
    QCOMPARE(models.devices.count(), 0);

    const Identity found{QStringLiteral("Fresh"), QStringLiteral("0777"), QStringLiteral("vela16"),
                         foundBleId};
    const TestDevicePtr device = storedDevice(type, found);
    if (applied)
        QTest::ignoreMessage(QtInfoMsg, "Using cached device data Machine name: Bench, model name: "
                                        "vela8, firmware: 3.8, s/n: 00AB, auto start: true");
    models.devices.addDevice(device);

    const Identity &expected = applied ? bench : found;
    QCOMPARE(device->machineName(), expected.machineName);
    QCOMPARE(device->serialNumber(), expected.serialNumber);
    QCOMPARE(device->modelName(), expected.modelName);
    QCOMPARE(device->autoStartOn(), applied);
    QCOMPARE(models.devices.index(0, 0).data(DevicesModel::DeviceNameRole),
             QVariant(expected.machineName));
}

void TestDevicesModel::addAndDelete()
{
    Models models;
    QSignalSpy counts(&models.devices, &DevicesModel::countChanged);
    TestDevicePtr kept = onlineDevice(bench);
    TestDevicePtr released = onlineDevice({QStringLiteral("Shelf"), QStringLiteral("0042")});
    const int releasedId = released->deviceId();
    models.devices.addDevice(kept);
    models.devices.addDevice(released);
    models.devices.addDevice(kept);
    models.devices.addDevice(PCRDevicePtr());
    QCOMPARE(deviceIds(models.devices), (QList<int>{kept->deviceId(), releasedId}));
    QCOMPARE(counts.size(), 2);
    QCOMPARE(counts.last().at(0).toInt(), 2);
    QCOMPARE(models.devices.getDeviceById(releasedId), PCRDevicePtr(released));
    QCOMPARE(models.devices.devices(), (PCRDeviceList{kept, released}));

    const QPointer<PCRDevice> releasedObject = released.data();
    released.reset();
    models.devices.deleteDevice(-5);
    QCOMPARE(counts.size(), 2);
    QTest::ignoreMessage(QtInfoMsg, "Deleting device: 1");
    models.devices.deleteDevice(releasedId);
    QCOMPARE(deviceIds(models.devices), QList<int>{kept->deviceId()});
    QCOMPARE(counts.last().at(0).toInt(), 1);
    QVERIFY(!models.devices.getDeviceById(releasedId));
    // Deleted with the event loop's next turn, not under the views' feet.
    QVERIFY(releasedObject);
    deliver();
    QVERIFY(!releasedObject);

    // A device someone else still holds lives on, and no longer reaches the model.
    QTest::ignoreMessage(QtInfoMsg, "Deleting device: 0");
    models.devices.deleteDevice(kept->deviceId());
    deliver();
    QSignalSpy changes(&models.devices, &DevicesModel::dataChanged);
    updateReadings(*kept, 50.0f, 50.0f);
    QCOMPARE(changes.size(), 0);
    QCOMPARE(models.devices.count(), 0);
}

void TestDevicesModel::disconnectAndCountConnected()
{
    Models models;
    const TestDevicePtr online = onlineDevice(bench);
    const TestDevicePtr other = onlineDevice({QStringLiteral("Shelf"), QStringLiteral("0042")});
    models.devices.addDevice(online);
    models.devices.addDevice(other);
    models.devices.addDevice(storedDevice(PCRConst::CT_USB_Firmware_V3, bench));
    QCOMPARE(models.devices.connectedCount(), 2);
    QCOMPARE(models.devices.onlineDevices(), (PCRDeviceList{online, other}));
    QCOMPARE(models.devices.connectionTypes(),
             QList<PCRConst::ConnectionType>{PCRConst::CT_Emul_V3});

    models.devices.disconnectDevice(online->deviceId());
    models.devices.disconnectDevice(-5);
    models.devices.connectDevice(-5);
    deliver();

    const QModelIndex row = models.devices.index(0, 0);
    QCOMPARE(row.data(DevicesModel::IsDisconnectingRole), QVariant(true));
    QCOMPARE(row.data(DevicesModel::ConnectionInitializedRole), QVariant(false));
    QCOMPARE(models.devices.onlineDevices(), PCRDeviceList{other});
}

void TestDevicesModel::knowsHidDevice_data()
{
    QTest::addColumn<QString>("detectedSerial");
    QTest::addColumn<int>("detections");
    QTest::addColumn<bool>("known");
    QTest::addColumn<int>("reconnects");

    QTest::newRow("known machine, idle") << "0C41" << 1 << true << 1;
    QTest::newRow("known machine, already connecting") << "0C41" << 2 << true << 1;
    QTest::newRow("unknown machine") << "0C42" << 1 << false << 0;
    QTest::newRow("machine without serial") << "" << 1 << false << 0;
}

void TestDevicesModel::knowsHidDevice()
{
    QFETCH(QString, detectedSerial);
    QFETCH(int, detections);
    QFETCH(bool, known);
    QFETCH(int, reconnects);
    Models models;
    const TestDevicePtr device = storedDevice(PCRConst::CT_USB_Firmware_V3,
                                              {QStringLiteral("Bench"), QStringLiteral("0C41")});
    models.devices.addDevice(onlineDevice({QStringLiteral("Emulated"), QStringLiteral("0C41")}));
    models.devices.addDevice(device);
    const HidDeviceDescription detected(QByteArrayLiteral("/dev/hidraw3"), detectedSerial, 0x03EB,
                                        0x2062);

    LogWatch log;
    for (int detection = 0; detection < detections; ++detection)
        QCOMPARE(models.devices.knowsHidDevice(detected), known);

    QCOMPARE(log.count(QRegularExpression(
                 QStringLiteral("^DEVICE RECONNECT:  %1$").arg(device->deviceId()))),
             reconnects);
    QCOMPARE(device->isConnecting(), reconnects > 0);
}

void TestDevicesModel::setData_data()
{
    QTest::addColumn<State>("state");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<Roles>("announced");
    QTest::addColumn<QStringList>("namesSent");

    const int name = DevicesModel::DeviceNameRole;
    const int autoStart = DevicesModel::AutoStartOnRole;
    const QVariant newName(QStringLiteral("Lab 2"));
    QTest::newRow("rename, offline")
        << State::Stored << name << newName << false << Roles() << QStringList();
    QTest::newRow("rename, not initialised")
        << State::Connecting << name << newName << false << Roles() << QStringList();
    QTest::newRow("rename") << State::Online << name << newName << true << Roles{name}
                            << QStringList{newName.toString()};
    QTest::newRow("rename to its name") << State::Online << name << QVariant(bench.machineName)
                                        << true << Roles() << QStringList{bench.machineName};
    QTest::newRow("auto start on") << State::Online << autoStart << QVariant(true) << true
                                   << Roles{autoStart} << QStringList();
    QTest::newRow("auto start as it is")
        << State::Online << autoStart << QVariant(false) << true << Roles() << QStringList();
    QTest::newRow("auto start, not initialised")
        << State::Connecting << autoStart << QVariant(true) << false << Roles() << QStringList();
    QTest::newRow("a role that is not editable")
        << State::Online << int(DevicesModel::DeviceStatusRole) << QVariant(5) << true << Roles()
        << QStringList();
}

void TestDevicesModel::setData()
{
    QFETCH(State, state);
    QFETCH(int, role);
    QFETCH(QVariant, value);
    QFETCH(bool, accepted);
    QFETCH(Roles, announced);
    QFETCH(QStringList, namesSent);
    Models models;
    const TestDevicePtr device = deviceIn(state, bench);
    models.devices.addDevice(device);
    const QModelIndex row = models.devices.index(0, 0);
    const QVariant before = row.data(role);
    QSignalSpy changes(&models.devices, &DevicesModel::dataChanged);
    if (accepted && role == DevicesModel::DeviceNameRole)
        QTest::ignoreMessage(QtInfoMsg,
                             qPrintable(QStringLiteral("Changing device name from \"%1\" \"%2\"")
                                            .arg(bench.machineName, value.toString())));

    QCOMPARE(models.devices.setData(row, value, role), accepted);
    deliver();
    // The machine takes the name; the device shows it from then on.
    if (device->connection && !device->connection->namesSent.isEmpty()) {
        emit device->connection->machineSettingsConfirmed(device->connection->namesSent.last(),
                                                          device->autoStartOn());
        deliver();
    }

    QCOMPARE(announcedRoles(changes),
             announced.isEmpty() ? QList<Roles>() : QList<Roles>{announced});
    QCOMPARE(row.data(role), announced.isEmpty() ? before : value);
    QCOMPARE(device->connection ? device->connection->namesSent : QStringList(), namesSent);
    QVERIFY(!models.devices.setData(QModelIndex(), value, role));
}

QTEST_GUILESS_MAIN(TestDevicesModel)
#include "tst_devicesmodel.moc"
