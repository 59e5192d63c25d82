import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import Common.AppStyle 1.0
import Common.AppControls 1.0
import PCR.Running 1.0

// Run controls of one machine. A press marks a status change as pending,
// which keeps every control disabled until the machine reports a new status.
RunningBox {
    id: root

    property int deviceStatus: -1
    property string deviceStatusName: ""
    property var deviceObject: null
    property real protocolTime: 0
    property real protocolRemainingTime: 0
    property bool statusChangePending: false

    readonly property bool running: RunningViewRules.isRunning(deviceStatus)
    readonly property bool finished: RunningViewRules.isFinished(deviceStatus)
    readonly property bool readOnly: RunningViewRules.isReadOnly(deviceStatus)

    function press(command) {
        statusChangePending = true
        if (deviceObject)
            deviceObject[command]()
    }

    implicitHeight: content.implicitHeight + 30
    enabled: !readOnly && !statusChangePending
    onDeviceStatusChanged: statusChangePending = false

    ColumnLayout {
        id: content
        anchors.fill: parent
        anchors.margins: 15
        spacing: 10

        RowLayout {
            spacing: 12
            Layout.fillWidth: true

            AppRoundButton {
                id: playButton
                objectName: "playButton"
                readonly property bool showsPause: root.running
                implicitWidth: 56
                implicitHeight: 56
                iconSize: 28
                Accessible.name: showsPause ? qsTr("Pause") : qsTr("Play")
                source: "qrc:/Resources/images/running/" + (showsPause ? "pause" : "play")
                        + (enabled ? "" : "_disabled") + ".svg"
                onClicked: root.press(root.finished || !root.running ? "playClicked" : "pauseClicked")
            }

            Text {
                objectName: "statusText"
                Layout.fillWidth: true
                Layout.preferredHeight: 56
                text: root.deviceStatusName
                textFormat: Text.PlainText
                color: AppStyle.textActiveColor
                font.family: AppStyle.fontFamily
                font.pixelSize: 22
                font.bold: true
                fontSizeMode: Text.Fit
                minimumPixelSize: 10
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }

            RunningIconButton {
                objectName: "restartButton"
                image: "restart"
                Accessible.name: qsTr("Restart")
                onClicked: root.press("restartClicked")
            }

            RunningIconButton {
                objectName: "cancelButton"
                image: "cancel"
                enabled: !root.finished
                Accessible.name: qsTr("Cancel")
                onClicked: root.press("cancelClicked")
            }
        }

        ProgressBar {
            id: progress
            objectName: "progressBar"
            Layout.fillWidth: true
            from: 0
            to: Math.max(root.protocolTime + root.protocolRemainingTime, 0)
            value: Math.min(root.protocolTime, to)
            background: Rectangle {
                implicitHeight: 6
                radius: 3
                color: "#22242B"
            }
            contentItem: Item {
                implicitHeight: 6
                Rectangle {
                    width: progress.visualPosition * parent.width
                    height: parent.height
                    radius: 3
                    color: AppStyle.linkActiveColor
                }
            }
        }

        Text {
            objectName: "remainingText"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignRight
            text: RunningViewRules.remainingTimeText(root.protocolRemainingTime)
            textFormat: Text.PlainText
            color: AppStyle.textActiveColor
            font.family: AppStyle.fontFamily
            font.pixelSize: 14
        }
    }
}
