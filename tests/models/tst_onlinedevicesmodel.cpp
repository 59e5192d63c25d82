#include "devicefixtures.h"

#include <QSignalSpy>
#include <QtTest>

using namespace DeviceFixtures;

namespace {

using Roles = QVector<int>;

const int selectedRole = OnlineDevicesModel::IsSelectedRole;

QModelIndex rowOf(const OnlineDevicesModel &model, const PCRDevicePtr &device)
{
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row, 0);
        if (index.data(OnlineDevicesModel::DeviceIdRole).toInt() == device->deviceId())
            return index;
    }
    return QModelIndex();
}

bool isSelected(const PCRDevice &device)
{
    return device.property(isSelectedRole.constData()).toBool();
}

} // namespace

class TestOnlineDevicesModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void onlyInitialisedDevicesAreOnline();
    void selectionSurvivesOfflineAndBack();
    void select_data();
    void select();
    void clearSelectionReachesOfflineDevices();
    void selectionHasModelName_data();
    void selectionHasModelName();
    void changesShowInItsOwnRoles();
};

void TestOnlineDevicesModel::initTestCase()
{
    qRegisterMetaType<Roles>();
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestOnlineDevicesModel::onlyInitialisedDevicesAreOnline()
{
    Models models;
    QCOMPARE(models.online.firstDevice(), PCRDevicePtr());
    const TestDevicePtr stored =
        storedDevice(PCRConst::CT_USB_Firmware_V3, {QStringLiteral("Stored"), QStringLiteral("1")});
    const TestDevicePtr device = connectingDevice({QStringLiteral("Bench"), QStringLiteral("2")});
    models.devices.addDevice(stored);
    models.devices.addDevice(device);
    QSignalSpy counts(&models.online, &OnlineDevicesModel::countChanged);

    QCOMPARE(models.devices.index(1, 0).data(DevicesModel::IsConnectedRole), QVariant(true));
    QCOMPARE(models.online.count(), 0);
    QCOMPARE(models.online.getOnlineDeviceById(device->deviceId()), PCRDevicePtr());

    deliver(); // the machine finishes initialising
    deliver();

    QCOMPARE(models.online.count(), 1);
    QCOMPARE(counts.size(), 1);
    QCOMPARE(models.online.firstDevice(), PCRDevicePtr(device));
    QCOMPARE(models.online.getOnlineDeviceById(device->deviceId()), PCRDevicePtr(device));
    QCOMPARE(models.online.getOnlineDeviceById(stored->deviceId()), PCRDevicePtr());
    const QModelIndex row = models.online.index(0, 0);
    QCOMPARE(row.data(OnlineDevicesModel::DeviceNameRole), QVariant(QStringLiteral("Bench")));
    QCOMPARE(row.data(OnlineDevicesModel::DeviceIdRole), QVariant(device->deviceId()));
    QCOMPARE(row.data(OnlineDevicesModel::EepromBusyRole), QVariant(device->isEepromBusy()));
    QCOMPARE(models.online.roleNames().value(selectedRole), QByteArrayLiteral("isSelected"));
}

void TestOnlineDevicesModel::selectionSurvivesOfflineAndBack()
{
    Models models;
    const TestDevicePtr device = onlineDevice({QStringLiteral("Bench"), QStringLiteral("1")});
    const TestDevicePtr other =
        onlineDevice({QStringLiteral("Shelf"), QStringLiteral("2"), QStringLiteral("vela8")});
    models.devices.addDevice(device);
    models.devices.addDevice(other);
    QVERIFY(models.online.setData(rowOf(models.online, device), true, selectedRole));
    QCOMPARE(models.online.selectedCount(), 1);
    QSignalSpy selectedCounts(&models.online, &OnlineDevicesModel::selectedCountChanged);

    setTransportOpen(*device, false);
    QCOMPARE(models.online.count(), 1);
    QCOMPARE(models.online.selectedCount(), 0);
    QVERIFY(!selectedCounts.isEmpty());
    QCOMPARE(models.online.selectedDevices(), PCRDeviceList());
    QVERIFY(models.online.selectionHasModelName(QStringLiteral("vela16")));

    setTransportOpen(*device, true);
    QCOMPARE(models.online.count(), 2);
    QCOMPARE(rowOf(models.online, device).data(selectedRole), QVariant(true));
    QCOMPARE(models.online.selectedCount(), 1);
    QCOMPARE(models.online.selectedDevices(), PCRDeviceList{device});
}

void TestOnlineDevicesModel::select_data()
{
    QTest::addColumn<bool>("selectedBefore");
    QTest::addColumn<int>("role");
    QTest::addColumn<bool>("value");
    QTest::addColumn<bool>("changed");

    QTest::newRow("select") << false << selectedRole << true << true;
    QTest::newRow("deselect") << true << selectedRole << false << true;
    QTest::newRow("select again") << true << selectedRole << true << false;
    QTest::newRow("a role that is not editable")
        << false << int(OnlineDevicesModel::DeviceNameRole) << true << false;
}

void TestOnlineDevicesModel::select()
{
    QFETCH(bool, selectedBefore);
    QFETCH(int, role);
    QFETCH(bool, value);
    QFETCH(bool, changed);
    Models models;
    const TestDevicePtr device = onlineDevice({QStringLiteral("Bench"), QStringLiteral("1")});
    models.devices.addDevice(onlineDevice({QStringLiteral("Shelf"), QStringLiteral("2")}));
    models.devices.addDevice(device);
    device->setProperty(isSelectedRole.constData(), selectedBefore);
    const QModelIndex row = rowOf(models.online, device);
    QSignalSpy changes(&models.online, &OnlineDevicesModel::dataChanged);
    QSignalSpy selectedCounts(&models.online, &OnlineDevicesModel::selectedCountChanged);

    QVERIFY(models.online.setData(row, value, role));

    QCOMPARE(isSelected(*device), changed ? value : selectedBefore);
    QCOMPARE(models.online.selectedCount(), isSelected(*device) ? 1 : 0);
    QCOMPARE(selectedCounts.size(), changed ? 1 : 0);
    QCOMPARE(changes.size(), changed ? 1 : 0);
    if (changed) {
        QCOMPARE(changes.at(0).at(0).toModelIndex(), row);
        QCOMPARE(changes.at(0).at(2).value<Roles>(), Roles{selectedRole});
    }
    QVERIFY(!models.online.setData(QModelIndex(), true, selectedRole));
    QVERIFY(!models.online.setData(models.devices.index(0, 0), true, selectedRole));
}

void TestOnlineDevicesModel::clearSelectionReachesOfflineDevices()
{
    Models models;
    const TestDevicePtr first = onlineDevice({QStringLiteral("Bench"), QStringLiteral("1")});
    const TestDevicePtr second = onlineDevice({QStringLiteral("Shelf"), QStringLiteral("2")});
    const TestDevicePtr offline =
        storedDevice(PCRConst::CT_USB_Firmware_V3, {QStringLiteral("Stored"), QStringLiteral("3")});
    for (const TestDevicePtr &device : {first, second, offline}) {
        models.devices.addDevice(device);
        device->setProperty(isSelectedRole.constData(), true);
    }
    QCOMPARE(models.online.selectedCount(), 2);
    QSignalSpy changes(&models.online, &OnlineDevicesModel::dataChanged);
    QSignalSpy selectedCounts(&models.online, &OnlineDevicesModel::selectedCountChanged);

    models.online.clearSelection();

    for (const TestDevicePtr &device : {first, second, offline})
        QVERIFY(!isSelected(*device));
    QCOMPARE(models.online.selectedCount(), 0);
    QCOMPARE(selectedCounts.size(), 1);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.at(0).at(0).toModelIndex(), models.online.index(0, 0));
    QCOMPARE(changes.at(0).at(1).toModelIndex(), models.online.index(1, 0));
    QCOMPARE(changes.at(0).at(2).value<Roles>(), Roles{selectedRole});
}

void TestOnlineDevicesModel::selectionHasModelName_data()
{
    QTest::addColumn<QString>("modelName");
    QTest::addColumn<bool>("has");

    QTest::newRow("a selected vela8") << "vela8" << true;
    QTest::newRow("only an unselected vela16") << "vela16" << false;
    QTest::newRow("no such model") << "vela32" << false;
    QTest::newRow("case matters") << "VELA8" << false;
}

void TestOnlineDevicesModel::selectionHasModelName()
{
    QFETCH(QString, modelName);
    QFETCH(bool, has);
    Models models;
    const TestDevicePtr vela8 =
        onlineDevice({QStringLiteral("Small"), QStringLiteral("1"), QStringLiteral("vela8")});
    models.devices.addDevice(vela8);
    models.devices.addDevice(onlineDevice({QStringLiteral("Big"), QStringLiteral("2")}));
    QVERIFY(models.online.setData(rowOf(models.online, vela8), true, selectedRole));

    QCOMPARE(models.online.selectionHasModelName(modelName), has);
}

void TestOnlineDevicesModel::changesShowInItsOwnRoles()
{
    Models models;
    const TestDevicePtr device = onlineDevice({QStringLiteral("Bench"), QStringLiteral("1")});
    models.devices.addDevice(device);
    QSignalSpy changes(&models.online, &OnlineDevicesModel::dataChanged);
    QTest::ignoreMessage(QtInfoMsg, "Changing device name from \"Bench\" \"Lab 2\"");

    QVERIFY(models.devices.setData(models.devices.index(0, 0), QStringLiteral("Lab 2"),
                                   DevicesModel::DeviceNameRole));
    emit device->connection->machineSettingsConfirmed(QStringLiteral("Lab 2"), false);
    deliver();

    QList<Roles> announced;
    for (const QList<QVariant> &signal : changes)
        announced.append(signal.at(2).value<Roles>());
    QVERIFY(announced.contains(Roles{OnlineDevicesModel::DeviceNameRole}));
    QCOMPARE(models.online.index(0, 0).data(OnlineDevicesModel::DeviceNameRole),
             QVariant(QStringLiteral("Lab 2")));
}

QTEST_GUILESS_MAIN(TestOnlineDevicesModel)
#include "tst_onlinedevicesmodel.moc"
