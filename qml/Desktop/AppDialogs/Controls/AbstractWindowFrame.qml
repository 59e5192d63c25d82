import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0

// A message window laid over the whole main window, above the pages and the
// dialog host, with its own half-black cover. It takes the keyboard when it
// opens: Enter or Return accepts, Escape rejects; either hides it.
Popup {
    id: frame

    property string title
    property color titleColor: AppStyle.titleBarColor
    property real frameWidth: AppStyle.defaultDialogWidth
    property real frameHeight: AppStyle.defaultDialogHeight
    // Windows created for one message remove themselves once hidden.
    property bool destroyOnClose: false
    default property alias body: panel.body
    property alias buttons: panel.buttons

    signal accepted()
    signal rejected()

    function accept() {
        close()
        accepted()
    }

    function reject() {
        close()
        rejected()
    }

    parent: Overlay.overlay
    anchors.centerIn: Overlay.overlay
    width: parent ? Math.min(frameWidth, parent.width) : frameWidth
    height: parent ? Math.min(frameHeight, parent.height) : frameHeight
    padding: 0
    modal: true
    dim: true
    focus: true
    closePolicy: Popup.NoAutoClose
    onClosed: {
        if (destroyOnClose)
            destroy()
    }

    Overlay.modal: Rectangle {
        color: AppStyle.coverColor
    }

    background: null

    contentItem: WindowPanel {
        id: panel
        focus: true
        title: frame.title
        titleColor: frame.titleColor

        Keys.onReturnPressed: frame.accept()
        Keys.onEnterPressed: frame.accept()
        Keys.onEscapePressed: frame.reject()
    }
}
