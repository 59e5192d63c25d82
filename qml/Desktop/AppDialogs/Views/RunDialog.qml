import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import Common.AppStyle 1.0
import Common.AppControls 1.0
import Common.Utility 1.0
import Desktop.AppDialogs.Controls 1.0

// Picks the machines a protocol is uploaded to. Without an online machine
// it asks for one; "Run" then waits and opens this dialog again, so that a
// machine connected meanwhile is listed.
AbstractDialogFrame {
    id: dialog

    property int protocolId: -1
    property var devices: OnlineDevicesModel
    property var core: PcrCore
    readonly property string url: "qrc:/qml/Desktop/AppDialogs/Views/RunDialog.qml"
    readonly property int reopenDelay: 2000
    readonly property bool hasMachines: devices.count > 0

    function upload() {
        core.startMultiUpload(protocolId)
        finish()
    }
    function runAgain() {
        AppWindow.showWaitDialog(url, {"protocolId": protocolId}, reopenDelay)
        finish()
    }

    objectName: "runDialog"
    title: hasMachines ? qsTr("Select PCR machine") : qsTr("No PCR machine connected")
    frameWidth: 410
    frameHeight: 285
    Component.onCompleted: devices.clearSelection()
    onAboutToClose: devices.clearSelection()

    ColumnLayout {
        anchors.fill: parent
        spacing: 10

        ListView {
            id: machines
            objectName: "machineList"
            visible: dialog.hasMachines
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: dialog.hasMachines ? dialog.devices : null
            // Shown for good when rows are hidden, so a user sees there are more machines.
            ScrollBar.vertical: ScrollBar {
                policy: machines.contentHeight > machines.height ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded
            }
            delegate: AbstractButton {
                id: machine
                width: machines.width
                height: 60
                focusPolicy: Qt.StrongFocus
                hoverEnabled: true
                Accessible.name: model.deviceName
                Keys.onReturnPressed: machine.clicked()
                Keys.onEnterPressed: machine.clicked()
                background: Rectangle {
                    color: machine.hovered ? "#343741" : "transparent"
                    border.width: machine.visualFocus ? 1 : 0
                    border.color: AppStyle.focusFrameColor
                    Separator {
                        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
                    }
                }
                contentItem: RowLayout {
                    spacing: 12
                    AppLabel {
                        Layout.fillWidth: true
                        Layout.leftMargin: 8
                        text: model.deviceName
                        font.pixelSize: 15
                        elide: Text.ElideRight
                    }
                    CheckMark {
                        Layout.rightMargin: 8
                        checked: model.isSelected
                    }
                }
                onClicked: model.isSelected = !model.isSelected
                // A row reached with Tab scrolls into view.
                onActiveFocusChanged: {
                    if (activeFocus)
                        machines.positionViewAtIndex(index, ListView.Contain)
                }
            }
        }

        AppLabel {
            visible: !dialog.hasMachines
            Layout.fillWidth: true
            Layout.fillHeight: true
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            text: qsTr("Please connect a Thermox machine\n and press Run")
            font.pixelSize: 15
        }

        AppButton {
            objectName: "runDialogAction"
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: 160
            text: dialog.hasMachines ? qsTr("Upload") : qsTr("Run")
            enabled: !dialog.hasMachines || dialog.devices.selectedCount > 0
            onClicked: dialog.hasMachines ? dialog.upload() : dialog.runAgain()
        }
    }
}
