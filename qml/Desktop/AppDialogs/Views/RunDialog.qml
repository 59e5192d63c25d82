import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import Common.AppStyle 1.0

// Picks the machines a protocol is uploaded to. Without an online machine
// it asks for one; "Run" then waits and opens this dialog again, so that a
// machine connected meanwhile is listed.
Rectangle {
    id: dialog

    property int protocolId: -1
    property var devices: OnlineDevicesModel
    property var core: PcrCore
    readonly property string url: "qrc:/qml/Desktop/AppDialogs/Views/RunDialog.qml"
    readonly property int reopenDelay: 2000
    readonly property bool hasMachines: devices.count > 0

    // The dialog is done and may go.
    signal finished()
    // Show the wait dialog for interval ms, then the dialog at url with properties.
    signal waitRequested(string url, var properties, int interval)

    function upload() {
        core.startMultiUpload(protocolId)
        finished()
    }
    function runAgain() {
        waitRequested(url, {"protocolId": protocolId}, reopenDelay)
        finished()
    }
    function close() {
        devices.clearSelection()
        finished()
    }

    width: 410
    height: 285
    color: AppStyle.pageBackgroundColor
    border.color: "#3E424D"
    radius: 4
    Component.onCompleted: devices.clearSelection()

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 1
        spacing: 0

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 44
            color: "#343741"
            radius: 4

            Text {
                objectName: "runDialogTitle"
                anchors { left: parent.left; right: closeCross.left; verticalCenter: parent.verticalCenter; leftMargin: 16 }
                text: dialog.hasMachines ? qsTr("Select PCR machine") : qsTr("No PCR machine connected")
                textFormat: Text.PlainText
                color: "white"
                font.family: AppStyle.fontFamily
                font.pixelSize: 16
                font.bold: true
                elide: Text.ElideRight
            }
            AbstractButton {
                id: closeCross
                objectName: "runDialogClose"
                anchors { right: parent.right; verticalCenter: parent.verticalCenter; rightMargin: 10 }
                width: 28
                height: 28
                focusPolicy: Qt.StrongFocus
                Accessible.name: qsTr("Close")
                background: Rectangle {
                    radius: 4
                    color: closeCross.hovered ? "#3E424D" : "transparent"
                    border.width: closeCross.visualFocus ? 1 : 0
                    border.color: AppStyle.linkActiveColor
                }
                contentItem: Image {
                    source: "qrc:/Resources/images/running/tab_close.svg"
                    sourceSize: Qt.size(14, 14)
                    fillMode: Image.Pad
                }
                onClicked: dialog.close()
            }
        }

        ListView {
            id: machines
            objectName: "machineList"
            visible: dialog.hasMachines
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: dialog.hasMachines ? dialog.devices : null
            ScrollBar.vertical: ScrollBar {}
            delegate: AbstractButton {
                id: machine
                width: machines.width
                height: 60
                focusPolicy: Qt.StrongFocus
                Accessible.name: model.deviceName
                background: Rectangle {
                    color: machine.hovered ? "#343741" : "transparent"
                    border.width: machine.visualFocus ? 1 : 0
                    border.color: AppStyle.linkActiveColor
                    Rectangle {
                        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
                        height: 1
                        color: "#3E424D"
                    }
                }
                contentItem: RowLayout {
                    spacing: 12
                    Text {
                        Layout.fillWidth: true
                        Layout.leftMargin: 16
                        text: model.deviceName
                        textFormat: Text.PlainText
                        color: AppStyle.textActiveColor
                        font.family: AppStyle.fontFamily
                        font.pixelSize: 15
                        elide: Text.ElideRight
                    }
                    Image {
                        Layout.rightMargin: 16
                        source: "qrc:/Resources/images/running/" + (model.isSelected ? "tick_on" : "tick_off") + ".svg"
                        sourceSize: Qt.size(24, 24)
                    }
                }
                onClicked: model.isSelected = !model.isSelected
            }
        }

        Text {
            visible: !dialog.hasMachines
            Layout.fillWidth: true
            Layout.fillHeight: true
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            text: qsTr("Please connect a Thermox machine\n and press Run")
            textFormat: Text.PlainText
            color: AppStyle.textActiveColor
            font.family: AppStyle.fontFamily
            font.pixelSize: 15
        }

        Button {
            id: action
            objectName: "runDialogAction"
            Layout.alignment: Qt.AlignHCenter
            Layout.margins: 14
            Layout.preferredWidth: 160
            Layout.preferredHeight: 40
            text: dialog.hasMachines ? qsTr("Upload") : qsTr("Run")
            enabled: !dialog.hasMachines || dialog.devices.selectedCount > 0
            background: Rectangle {
                radius: 4
                color: !action.enabled ? AppStyle.buttonDisabledColor
                     : action.pressed ? AppStyle.buttonPressedColor
                     : action.hovered ? AppStyle.buttonHoverColor : AppStyle.buttonColor
                border.width: action.visualFocus ? 2 : 0
                border.color: AppStyle.textActiveColor
            }
            contentItem: Text {
                text: action.text
                textFormat: Text.PlainText
                color: "white"
                font.family: AppStyle.fontFamily
                font.pixelSize: 15
                font.bold: true
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
            onClicked: dialog.hasMachines ? dialog.upload() : dialog.runAgain()
        }
    }
}
