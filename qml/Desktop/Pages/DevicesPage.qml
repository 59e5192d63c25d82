import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15
import Common.AppStyle 1.0
import Desktop.AppViews 1.0
import Desktop.AppControls 1.0

// The known machines: scanning for BLE machines, connecting, renaming,
// auto start, deleting and their details.
Rectangle {
    id: page

    readonly property var disabledMenuKeys: ["library_import", "library_export", "library_share",
                                             "run_data_export"]
    readonly property alias list: devicesList

    signal menuItemSelected(string item)

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

    Item {
        id: head
        anchors.left: parent.left
        anchors.right: parent.right
        height: 70

        Text {
            id: title
            anchors.left: parent.left
            anchors.leftMargin: 24
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("Devices")
            color: AppStyle.pageTitleColor
            font.family: AppStyle.fontFamily
            font.pixelSize: 24
        }

        RowActionButton {
            objectName: "scanButton"
            anchors.left: title.right
            anchors.leftMargin: 32
            anchors.verticalCenter: parent.verticalCenter
            visible: PcrCore.manualScan
            enabled: !BleDevicesProvider.scanActive
            text: BleDevicesProvider.scanActive ? qsTr("Scanning...") : qsTr("Scan")
            onClicked: BleDevicesProvider.start()
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
