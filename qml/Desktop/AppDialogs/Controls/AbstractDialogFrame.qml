import QtQuick 2.15
import Common.AppStyle 1.0

// The base of the dialogs shown by the dialog host: a rounded panel with a
// title bar and a body, no larger than the window. Closing (the cross or
// the Cancel key) first announces itself through aboutToClose, so that a
// dialog can decide whether to ask; with confirmClose set it closes only
// after "Yes" in the confirmation window.
FocusScope {
    id: frame

    // Given by the host; a close request carrying an older id is ignored.
    property int dialogId: -1
    property string title
    property color titleColor: AppStyle.titleBarColor
    property real frameWidth: AppStyle.defaultDialogWidth
    property real frameHeight: AppStyle.defaultDialogHeight
    property bool confirmClose: false
    default property alias body: bodyHolder.data
    readonly property alias closeConfirmation: closeConfirmation

    signal aboutToClose()
    signal finished(int senderDialogId)

    function requestClose() {
        aboutToClose()
        if (confirmClose)
            closeConfirmation.open()
        else
            finish()
    }

    function finish() {
        finished(dialogId)
    }

    width: parent ? Math.min(frameWidth, parent.width) : frameWidth
    height: parent ? Math.min(frameHeight, parent.height) : frameHeight
    focus: true

    Keys.onPressed: {
        if (event.matches(StandardKey.Cancel)) {
            event.accepted = true
            frame.requestClose()
        }
    }

    Rectangle {
        anchors.fill: parent
        radius: AppStyle.cornerRadius
        color: AppStyle.pageBackgroundColor

        DialogTitleBar {
            id: titleBar
            anchors { left: parent.left; right: parent.right; top: parent.top }
            title: frame.title
            color: frame.titleColor
            onCloseClicked: frame.requestClose()
        }

        FocusScope {
            id: bodyHolder
            anchors {
                left: parent.left
                right: parent.right
                top: titleBar.bottom
                bottom: parent.bottom
                margins: 16
            }
            focus: true
        }
    }

    ConfirmationWindow {
        id: closeConfirmation
        objectName: "closeConfirmation"
        text: qsTr("Changes will not be saved.\n Are you sure you want to close?")
        onAccepted: frame.finish()
    }
}
