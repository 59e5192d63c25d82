#include "ui/devicerowstate.h"
#include "utils/pcrconst.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
// A row's roles as the devices model gives them.
struct Roles
{
    int connectionType = PCRConst::CT_USB_Firmware_V3;
    bool isConnected = false;
    bool connectionInitialized = false;
    bool isConnecting = false;
    bool isDisconnecting = false;
    bool deviceBusy = false;
    bool eepromBusy = false;
    bool isAutoStartSupport = false;
};

void apply(DeviceRowState &state, const Roles &roles)
{
    state.setProperty("connectionType", roles.connectionType);
    state.setProperty("isConnected", roles.isConnected);
    state.setProperty("connectionInitialized", roles.connectionInitialized);
    state.setProperty("isConnecting", roles.isConnecting);
    state.setProperty("isDisconnecting", roles.isDisconnecting);
    state.setProperty("deviceBusy", roles.deviceBusy);
    state.setProperty("eepromBusy", roles.eepromBusy);
    state.setProperty("isAutoStartSupport", roles.isAutoStartSupport);
}

Roles initialised(int connectionType)
{
    Roles roles;
    roles.connectionType = connectionType;
    roles.isConnected = true;
    roles.connectionInitialized = true;
    roles.isAutoStartSupport = true;
    return roles;
}
} // namespace

Q_DECLARE_METATYPE(Roles)
Q_DECLARE_METATYPE(DeviceRowState::StatusColor)

class TestDeviceRowState : public QObject
{
    Q_OBJECT

private slots:
    void statusFollowsTheRoles_data();
    void statusFollowsTheRoles();
    void busyKeepsTheColourItFollows();
    void unknownLinkIsAnError();
    void controlsFollowTheRoles_data();
    void controlsFollowTheRoles();
    void turningBusyWhileConnectingIsAnnounced_data();
    void turningBusyWhileConnectingIsAnnounced();
};

void TestDeviceRowState::statusFollowsTheRoles_data()
{
    QTest::addColumn<Roles>("roles");
    QTest::addColumn<QString>("text");
    QTest::addColumn<DeviceRowState::StatusColor>("color");

    const Roles usb = initialised(PCRConst::CT_USB_Firmware_V3);
    QTest::newRow("initialised") << usb << "Connected" << DeviceRowState::StatusGreen;
    Roles connecting = usb;
    connecting.connectionInitialized = false;
    connecting.isConnecting = true;
    QTest::newRow("connecting") << connecting << "Connecting..." << DeviceRowState::StatusGreen;
    Roles plugged = connecting;
    plugged.isConnecting = false;
    QTest::newRow("usb plugged") << plugged << "Plugged in" << DeviceRowState::StatusPlain;
    plugged.connectionType = PCRConst::CT_USB_Firmware_V1;
    QTest::newRow("usb v1 plugged") << plugged << "Plugged in" << DeviceRowState::StatusPlain;
    Roles paired = plugged;
    paired.connectionType = PCRConst::CT_Bluetooth_Firmware_V3;
    QTest::newRow("ble paired") << paired << "Click icon to connect"
                                << DeviceRowState::StatusPlain;
    Roles offline = usb;
    offline.isConnected = false;
    QTest::newRow("offline, initialised flag left over")
        << offline << "Offline" << DeviceRowState::StatusRed;
    offline.isConnecting = true;
    QTest::newRow("offline while connecting") << offline << "Offline" << DeviceRowState::StatusRed;
    Roles busy = usb;
    busy.deviceBusy = true;
    QTest::newRow("busy before connected") << busy << "Busy" << DeviceRowState::StatusGreen;
}

void TestDeviceRowState::statusFollowsTheRoles()
{
    QFETCH(Roles, roles);
    QFETCH(QString, text);
    QFETCH(DeviceRowState::StatusColor, color);

    DeviceRowState state;
    apply(state, roles);
    QCOMPARE(state.statusText(), text);
    QCOMPARE(state.statusColor(), color);
}

void TestDeviceRowState::busyKeepsTheColourItFollows()
{
    DeviceRowState state;
    Roles roles = initialised(PCRConst::CT_Bluetooth_Firmware_V3);
    apply(state, roles);
    roles.deviceBusy = true;
    apply(state, roles);
    QCOMPARE(state.statusText(), QStringLiteral("Busy"));
    QCOMPARE(state.statusColor(), DeviceRowState::StatusGreen);

    roles = Roles{};
    roles.deviceBusy = true;
    apply(state, roles);
    QCOMPARE(state.statusText(), QStringLiteral("Busy"));
    QCOMPARE(state.statusColor(), DeviceRowState::StatusGreen);
    roles.deviceBusy = false;
    apply(state, roles);
    QCOMPARE(state.statusText(), QStringLiteral("Offline"));
    QCOMPARE(state.statusColor(), DeviceRowState::StatusRed);
}

void TestDeviceRowState::unknownLinkIsAnError()
{
    Roles roles;
    roles.connectionType = PCRConst::CT_Undefined;
    roles.isConnected = true;
    DeviceRowState state;
    QTest::ignoreMessage(QtWarningMsg, "Device row: no status for connection type 4");
    apply(state, roles);
    QCOMPARE(state.statusText(), QStringLiteral("Error"));
    QCOMPARE(state.statusColor(), DeviceRowState::StatusPlain);
}

namespace {
// The names of the state's controls that are on (shown or enabled).
QString controlsOn(const DeviceRowState &state)
{
    static const char *const names[] = {"autoStartVisible", "autoStartEnabled", "connectVisible",
                                        "disconnectMode",   "connectEnabled",   "isActive",
                                        "deleteEnabled",    "infoEnabled"};
    QStringList on;
    for (const char *name : names) {
        if (state.property(name).toBool())
            on << QString::fromLatin1(name);
    }
    return on.join(QLatin1Char(' '));
}
} // namespace

void TestDeviceRowState::controlsFollowTheRoles_data()
{
    QTest::addColumn<Roles>("roles");
    QTest::addColumn<QString>("on");

    const Roles usb = initialised(PCRConst::CT_USB_Firmware_V3);
    QTest::newRow("usb initialised")
        << usb << "autoStartVisible autoStartEnabled disconnectMode connectEnabled isActive "
                  "infoEnabled";
    QTest::newRow("usb v1 has no auto start")
        << initialised(PCRConst::CT_USB_Firmware_V1)
        << "autoStartEnabled disconnectMode connectEnabled isActive infoEnabled";
    Roles unsupported = usb;
    unsupported.isAutoStartSupport = false;
    QTest::newRow("auto start unsupported")
        << unsupported << "autoStartVisible disconnectMode connectEnabled isActive infoEnabled";
    Roles eeprom = usb;
    eeprom.eepromBusy = true;
    QTest::newRow("eeprom busy")
        << eeprom << "autoStartVisible disconnectMode connectEnabled isActive infoEnabled";
    Roles plugged = usb;
    plugged.connectionInitialized = false;
    QTest::newRow("usb plugged, not initialised")
        << plugged << "autoStartVisible connectEnabled deleteEnabled infoEnabled";

    const Roles ble = initialised(PCRConst::CT_Bluetooth_Firmware_V3);
    QTest::newRow("ble initialised")
        << ble << "autoStartVisible autoStartEnabled connectVisible disconnectMode connectEnabled "
                  "isActive infoEnabled";
    Roles paired = ble;
    paired.connectionInitialized = false;
    QTest::newRow("ble paired")
        << paired << "autoStartVisible connectVisible connectEnabled deleteEnabled infoEnabled";
    Roles connecting = paired;
    connecting.isConnecting = true;
    QTest::newRow("ble connecting") << connecting << "autoStartVisible connectVisible";
    Roles disconnecting = ble;
    disconnecting.isDisconnecting = true;
    QTest::newRow("ble disconnecting")
        << disconnecting << "autoStartVisible connectVisible disconnectMode";
    Roles busy = paired;
    busy.deviceBusy = true;
    QTest::newRow("ble held elsewhere") << busy
                                        << "autoStartVisible connectVisible disconnectMode "
                                           "connectEnabled deleteEnabled infoEnabled";
    Roles offline = paired;
    offline.isConnected = false;
    QTest::newRow("ble offline") << offline << "autoStartVisible deleteEnabled infoEnabled";
}

void TestDeviceRowState::controlsFollowTheRoles()
{
    QFETCH(Roles, roles);
    QFETCH(QString, on);

    DeviceRowState state;
    apply(state, roles);
    QCOMPARE(controlsOn(state), on);
}

void TestDeviceRowState::turningBusyWhileConnectingIsAnnounced_data()
{
    QTest::addColumn<bool>("connecting");
    QTest::addColumn<bool>("busyBefore");
    QTest::addColumn<int>("announced");

    QTest::newRow("turns busy while connecting") << true << false << 1;
    QTest::newRow("turns busy while connected") << false << false << 0;
    QTest::newRow("stays busy while connecting") << true << true << 0;
}

void TestDeviceRowState::turningBusyWhileConnectingIsAnnounced()
{
    QFETCH(bool, connecting);
    QFETCH(bool, busyBefore);
    QFETCH(int, announced);

    Roles roles = initialised(PCRConst::CT_Bluetooth_Firmware_V3);
    roles.connectionInitialized = !connecting;
    roles.isConnecting = connecting;
    roles.deviceBusy = busyBefore;
    DeviceRowState state;
    apply(state, roles);
    QSignalSpy spy(&state, &DeviceRowState::busyWhileConnecting);
    roles.deviceBusy = true;
    apply(state, roles);
    // Other roles changing while it stays busy announce nothing more.
    roles.eepromBusy = true;
    apply(state, roles);
    QCOMPARE(spy.count(), announced);
}

QTEST_GUILESS_MAIN(TestDeviceRowState)
#include "tst_devicerowstate.moc"
