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

    // Below this width the auto-start switch moves under the details.
    readonly property bool narrow: width < 640
    readonly property int buttonHeight: 84 / 2 - 9
    readonly property int buttonSpacing: 6
    // Wide enough for the actions of any state in this language, the same in
    // every row, so that the switches line up and no caption leaves the row.
    readonly property real actionsWidth: Math.max(200,
        Math.max(connectMeasure.implicitWidth, disconnectMeasure.implicitWidth,
                 editMeasure.implicitWidth, deleteMeasure.implicitWidth)
        + buttonSpacing
        + Math.max(editMeasure.implicitWidth, deleteMeasure.implicitWidth, infoMeasure.implicitWidth))

    implicitHeight: Math.max(84, display.implicitHeight + 16)
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

    // Never shown: the captions measured for actionsWidth.
    Item {
        visible: false
        RowActionButton { id: connectMeasure; text: qsTr("CONNECT") }
        RowActionButton { id: disconnectMeasure; text: qsTr("DISCONNECT") }
        RowActionButton { id: editMeasure; text: qsTr("EDIT") }
        RowActionButton { id: deleteMeasure; text: qsTr("DELETE") }
        RowActionButton { id: infoMeasure; text: qsTr("INFO") }
    }

    // Labels of every row as wide as the widest, so that values align.
    TextMetrics {
        id: labelMetrics
        font.family: AppStyle.fontFamily
        font.pixelSize: AppStyle.textPixelSize - 1
        text: qsTr("BLE name:")
    }

    GridLayout {
        id: display
        objectName: "deviceDisplay"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        columnSpacing: 16
        rowSpacing: 6
        visible: !row.editing

        Column {
            Layout.row: 0
            Layout.column: 0
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

                DeviceInfoLabel {
                    Layout.preferredWidth: labelMetrics.advanceWidth
                    text: qsTr("Model:")
                }
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
            Layout.row: row.narrow ? 1 : 0
            Layout.column: row.narrow ? 0 : 1
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

        // Status and buttons: the same width in every row, so that the
        // switches line up.
        ColumnLayout {
            Layout.row: 0
            Layout.column: row.narrow ? 1 : 2
            Layout.rowSpan: row.narrow ? 2 : 1
            Layout.preferredWidth: row.actionsWidth
            Layout.alignment: Qt.AlignVCenter
            spacing: 4

            DeviceStatusText {
                id: status
                objectName: "statusText"
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignRight
                rowState: deviceState
            }

            // Two rows of buttons at most; "INFO" keeps the right-hand column,
            // under "EDIT" or "DELETE" (and as wide) when a BLE machine's
            // connect button takes the first place.
            GridLayout {
                Layout.alignment: Qt.AlignRight
                rowSpacing: row.buttonSpacing
                columnSpacing: row.buttonSpacing
                RowActionButton {
                    objectName: "connectButton"
                    Layout.row: 0
                    Layout.column: 0
                    Layout.preferredHeight: row.buttonHeight
                    Layout.fillWidth: true
                    visible: deviceState.connectVisible
                    enabled: deviceState.connectEnabled
                    text: deviceState.disconnectMode ? qsTr("DISCONNECT") : qsTr("CONNECT")
                    onClicked: deviceState.disconnectMode ? row.disconnectRequested() : row.connectRequested()
                }
                RowActionButton {
                    objectName: "editButton"
                    Layout.row: 0
                    Layout.column: deviceState.connectVisible ? 1 : 0
                    Layout.preferredHeight: row.buttonHeight
                    Layout.fillWidth: true
                    visible: deviceState.isActive
                    text: qsTr("EDIT")
                    onClicked: row.editRequested()
                }
                RowActionButton {
                    objectName: "deleteButton"
                    Layout.row: 0
                    Layout.column: deviceState.connectVisible ? 1 : 0
                    Layout.preferredHeight: row.buttonHeight
                    Layout.fillWidth: true
                    visible: !deviceState.isActive
                    enabled: deviceState.deleteEnabled
                    text: qsTr("DELETE")
                    onClicked: row.deleteRequested()
                }
                RowActionButton {
                    objectName: "infoButton"
                    Layout.row: deviceState.connectVisible ? 1 : 0
                    Layout.column: 1
                    Layout.preferredHeight: row.buttonHeight
                    Layout.fillWidth: true
                    enabled: deviceState.infoEnabled
                    text: qsTr("INFO")
                    onClicked: row.infoRequested()
                }
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
