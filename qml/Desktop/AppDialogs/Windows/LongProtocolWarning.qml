import QtQuick 2.15
import QtQuick.Layouts 1.15
import Common.AppStyle 1.0
import Common.AppControls 1.0
import Desktop.AppDialogs.Controls 1.0

// Shown by the dialog host when a protocol is too long for a vela8: run it
// anyway or not; either way the core goes on with the next machine.
WindowPanel {
    id: dialog

    property int dialogId: -1
    property string machineName
    property int deviceId: -1
    property int programId: -1
    // The application core; a test may give a stand-in.
    property var core: PcrCore

    signal finished(int senderDialogId)

    function proceed() {
        core.runOnDevice(programId, deviceId)
        core.uploadSelection()
        finished(dialogId)
    }

    function cancel() {
        core.uploadSelection()
        finished(dialogId)
    }

    width: parent ? Math.min(AppStyle.defaultDialogWidth, parent.width) : AppStyle.defaultDialogWidth
    height: parent ? Math.min(AppStyle.defaultDialogHeight * 1.2, parent.height)
                   : AppStyle.defaultDialogHeight * 1.2
    focus: true
    title: machineName
    titleColor: AppStyle.warningTitleBarColor

    Keys.onReturnPressed: proceed()
    Keys.onEnterPressed: proceed()
    Keys.onEscapePressed: cancel()

    AppLabel {
        objectName: "longProtocolText"
        anchors.fill: parent
        text: qsTr("The vela8 devices don't support this protocol. The maximum time allowed for vela8 protocol is 546 minutes - to run this protocol on vela8, the protocol must be adapted.\nDo you want to continue?")
        wrapMode: Text.Wrap
        elide: Text.ElideNone
        horizontalAlignment: Text.AlignHCenter
        font.pixelSize: AppStyle.messagePixelSize
    }

    buttons: [
        AppButton {
            objectName: "cancelButton"
            text: qsTr("Cancel")
            onClicked: dialog.cancel()
        },
        Item {
            Layout.fillWidth: true
        },
        AppButton {
            objectName: "continueButton"
            text: qsTr("Continue")
            onClicked: dialog.proceed()
        }
    ]
}
