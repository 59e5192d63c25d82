import QtQuick 2.15
import QtQuick.Controls 2.15

// The known machines; the current row may be renamed in place.
ListView {
    id: list

    // The row (index) whose name is being edited, -1 for none.
    property int editingRow: -1
    // Widest model text seen so far, shared by every row.
    property real modelColumnWidth: 0

    signal connectRequested(int deviceId)
    signal disconnectRequested(int deviceId)
    signal deleteRequested(int deviceId, string deviceName)
    signal infoRequested(string serialNumber, string bleId, bool isBleDevice)
    signal busyNoticeRequested()
    signal busyWhileConnecting()

    clip: true
    currentIndex: -1
    highlightFollowsCurrentItem: false
    keyNavigationEnabled: true
    activeFocusOnTab: true
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar {}

    onCurrentIndexChanged: {
        editingRow = -1
        if (currentIndex >= 0)
            positionViewAtIndex(currentIndex, ListView.Contain)
    }

    delegate: DeviceRow {
        width: ListView.view.width
        deviceName: model.deviceName
        modelName: model.modelName
        connectionTypeName: model.connectionTypeName
        bleName: model.bleName
        firmware: model.firmware
        autoStartOn: model.autoStartOn
        current: ListView.isCurrentItem
        editing: list.editingRow === index
        modelColumnWidth: list.modelColumnWidth
        rowState.connectionType: model.connectionType
        rowState.isConnected: model.isConnected
        rowState.connectionInitialized: model.connectionInitialized
        rowState.isConnecting: model.isConnecting
        rowState.isDisconnecting: model.isDisconnecting
        rowState.deviceBusy: model.deviceBusy
        rowState.eepromBusy: model.eepromBusy
        rowState.isAutoStartSupport: model.isAutoStartSupport

        onModelTextWidthChanged: list.modelColumnWidth = Math.max(list.modelColumnWidth, modelTextWidth)
        Component.onCompleted: list.modelColumnWidth = Math.max(list.modelColumnWidth, modelTextWidth)

        onSelected: list.currentIndex = index
        onEditRequested: {
            list.currentIndex = index
            if (rowState.eepromBusy)
                list.busyNoticeRequested()
            else
                list.editingRow = index
        }
        onRenameRequested: {
            model.deviceName = name
            list.editingRow = -1
        }
        onEditingLeft: list.editingRow = -1
        onAutoStartRequested: model.autoStartOn = on
        onBusyNoticeRequested: list.busyNoticeRequested()
        onConnectRequested: list.connectRequested(model.deviceId)
        onDisconnectRequested: list.disconnectRequested(model.deviceId)
        onDeleteRequested: list.deleteRequested(model.deviceId, model.deviceName)
        onInfoRequested: list.infoRequested(model.serialNumber, model.bleId, rowState.isBleDevice)
        onBusyWhileConnecting: list.busyWhileConnecting()
    }
}
