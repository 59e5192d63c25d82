import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15
import Common.AppStyle 1.0
import Common.AppDataTypes 1.0
import Desktop.AppViews 1.0
import Desktop.AppControls 1.0

// The known machines: scanning for BLE machines, connecting, renaming,
// auto start, deleting and their details.
Rectangle {
    id: page
    objectName: "devicesPage"

    readonly property var disabledMenuKeys: PageMenuKeys.devicesDisabledKeys()
    readonly property alias list: devicesList

    color: AppStyle.pageBackgroundColor

    // Shows the notices and windows: the main window, unless given.
    property var dialogHost: Window.window

    function showBusyNotice() {
        dialogHost.showInfoDialog(AppStyle.deviceBusyTitle, AppStyle.deviceBusyMessage)
    }

    function askToDelete(deviceId, deviceName) {
        dialogHost.showConfirmationWindow(qsTr("Warning"),
                                      qsTr("Do you want to delete the '%1' device?").arg(deviceName),
                                      qsTr("Ok"), qsTr("Cancel"),
                                      function() { DevicesModel.deleteDevice(deviceId) })
    }

    function showDetails(serialNumber, bleId, isBleDevice) {
        dialogHost.showDetailsWindow(qsTr("Device details"),
                                 qsTr("Serial number: %1\nBLE id: %2").arg(serialNumber)
                                     .arg(isBleDevice ? bleId : "-"))
    }

    TopPageBar {
        id: head
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        title: qsTr("Devices")
        // The slot after the title holds the scan button on this page.
        sortSelector: PcrCore.manualScan ? scanButton : null
    }

    Component {
        id: scanButton
        Item {
            implicitHeight: scan.implicitHeight
            RowActionButton {
                id: scan
                objectName: "scanButton"
                anchors.verticalCenter: parent.verticalCenter
                enabled: !BleDevicesProvider.scanActive
                text: BleDevicesProvider.scanActive ? qsTr("Scanning...") : qsTr("Scan")
                onClicked: BleDevicesProvider.start()
            }
        }
    }

    DevicesList {
        id: devicesList
        objectName: "devicesList"
        anchors.top: head.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        model: DevicesProxyModel
        onConnectRequested: DevicesModel.connectDevice(deviceId)
        onDisconnectRequested: DevicesModel.disconnectDevice(deviceId)
        onDeleteRequested: page.askToDelete(deviceId, deviceName)
        onInfoRequested: page.showDetails(serialNumber, bleId, isBleDevice)
        onBusyNoticeRequested: page.showBusyNotice()
        onBusyWhileConnecting: page.dialogHost.showInfoDialog(AppStyle.deviceBusyTitle,
                                                          AppStyle.openedSessionMessage)
    }
}
