import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import Utils 1.0
import Common.AppStyle 1.0
import Common.AppControls 1.0
import Desktop.AppControls 1.0

// One known machine: name, model, firmware, auto start, status and actions;
// or, while renaming, a one-line name editor.
Rectangle {
    id: row

    property string deviceName
    property string modelName
    property string connectionTypeName
    property string bleName
    property string firmware
    property bool autoStartOn: false
    property bool current: false
    property bool editing: false
    // The widest model text of the list, so that all rows align their values.
    property real modelColumnWidth: modelValue.implicitWidth
    readonly property real modelTextWidth: modelValue.implicitWidth
    readonly property alias rowState: deviceState

    signal selected()
    signal editRequested()
    signal renameRequested(string name)
    signal editingLeft()
    signal autoStartRequested(bool on)
    signal busyNoticeRequested()
    signal connectRequested()
    signal disconnectRequested()
    signal deleteRequested()
    signal infoRequested()
    signal busyWhileConnecting()

    implicitHeight: 84
    color: current ? AppStyle.selectedRowColor : "transparent"

    DeviceRowState {
        id: deviceState
        onBusyWhileConnecting: row.busyWhileConnecting()
    }

    function applyName() {
        if (nameEditor.text.length === 0)
            return
        row.renameRequested(nameEditor.text)
    }

    onEditingChanged: {
        if (editing) {
            nameEditor.text = deviceName
            nameEditor.forceActiveFocus()
        }
    }

    MouseArea {
        anchors.fill: parent
        onClicked: {
            if (!row.current)
                row.selected()
        }
    }

    RowLayout {
        objectName: "deviceDisplay"
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        spacing: 16
        visible: !row.editing

        Column {
            Layout.fillWidth: true
            Layout.minimumWidth: 80
            Layout.alignment: Qt.AlignVCenter
            spacing: 4

            Text {
                objectName: "deviceNameText"
                width: parent.width
                text: row.deviceName
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.family: AppStyle.fontFamily
                font.pixelSize: 18
                font.bold: true
                color: status.color
            }
            GridLayout {
                id: infoGrid
                width: parent.width
                columns: 2
                columnSpacing: 8
                rowSpacing: 1

                DeviceInfoLabel { text: qsTr("Model:") }
                DeviceInfoLabel {
                    id: modelValue
                    objectName: "modelText"
                    Layout.fillWidth: true
                    Layout.preferredWidth: row.modelColumnWidth
                    text: row.modelName + " [" + row.connectionTypeName + "]"
                }
                DeviceInfoLabel { text: qsTr("BLE name:"); visible: deviceState.isBleDevice }
                DeviceInfoLabel {
                    Layout.fillWidth: true
                    text: row.bleName
                    visible: deviceState.isBleDevice
                }
                DeviceInfoLabel { text: qsTr("Firmware:") }
                DeviceInfoLabel {
                    Layout.fillWidth: true
                    text: row.firmware.length > 0 ? row.firmware : " "
                }
            }
        }

        Item {
            objectName: "autoStart"
            Layout.preferredWidth: autoStartSwitch.implicitWidth
            Layout.preferredHeight: autoStartSwitch.implicitHeight
            visible: deviceState.autoStartVisible

            AppSwitch {
                id: autoStartSwitch
                objectName: "autoStartSwitch"
                anchors.fill: parent
                checked: row.autoStartOn
                enabled: deviceState.autoStartEnabled
                text: qsTr("Auto start\n") + (checked ? " " + qsTr("ON") : qsTr("OFF"))
                onToggled: {
                    row.autoStartRequested(checked)
                    checked = Qt.binding(function() { return row.autoStartOn })
                }
            }
            // A disabled switch takes no clicks: tell why while the memory is busy.
            MouseArea {
                anchors.fill: parent
                enabled: deviceState.eepromBusy
                onClicked: row.busyNoticeRequested()
            }
        }

        DeviceStatusText {
            id: status
            objectName: "statusText"
            Layout.preferredWidth: 140
            horizontalAlignment: Text.AlignRight
            rowState: deviceState
        }

        GridLayout {
            columns: 2
            rowSpacing: 6
            columnSpacing: 6
            Layout.alignment: Qt.AlignVCenter

            RowActionButton {
                objectName: "connectButton"
                Layout.preferredHeight: row.height / 2 - 9
                visible: deviceState.connectVisible
                enabled: deviceState.connectEnabled
                text: deviceState.disconnectMode ? qsTr("DISCONNECT") : qsTr("CONNECT")
                onClicked: deviceState.disconnectMode ? row.disconnectRequested() : row.connectRequested()
            }
            RowActionButton {
                objectName: "editButton"
                Layout.preferredHeight: row.height / 2 - 9
                visible: deviceState.isActive
                text: qsTr("EDIT")
                onClicked: row.editRequested()
            }
            RowActionButton {
                objectName: "deleteButton"
                Layout.preferredHeight: row.height / 2 - 9
                visible: !deviceState.isActive
                enabled: deviceState.deleteEnabled
                text: qsTr("DELETE")
                onClicked: row.deleteRequested()
            }
            RowActionButton {
                objectName: "infoButton"
                Layout.preferredHeight: row.height / 2 - 9
                enabled: deviceState.infoEnabled
                text: qsTr("INFO")
                onClicked: row.infoRequested()
            }
        }
    }

    RowLayout {
        objectName: "nameEditing"
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        spacing: 12
        visible: row.editing

        AppTextField {
            id: nameEditor
            objectName: "nameEditor"
            Layout.fillWidth: true
            maximumLength: PCRConst.machineNameMaxLength
            valid: text.length > 0
            onAccepted: row.applyName()
            Keys.onEscapePressed: row.editingLeft()
        }
        RowActionButton {
            objectName: "applyNameButton"
            text: qsTr("APPLY")
            enabled: nameEditor.text.length > 0
            onClicked: row.applyName()
        }
    }
}
