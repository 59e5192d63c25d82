import QtQuick 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0
import Desktop.AppDialogs.Controls 1.0

// An information dialog: a centred text and one button at the right that
// closes it.
AbstractDialogFrame {
    id: dialog

    property string text
    // Plain unless the caller built the text itself (the language notice
    // shows the language in bold).
    property int textFormat: Text.PlainText
    property string buttonText: qsTr("Close")

    title: qsTr("Info")

    AppLabel {
        objectName: "infoText"
        anchors { left: parent.left; right: parent.right; top: parent.top; bottom: button.top; bottomMargin: 12 }
        text: dialog.text
        textFormat: dialog.textFormat
        wrapMode: Text.Wrap
        elide: Text.ElideNone
        horizontalAlignment: Text.AlignHCenter
        font.pixelSize: AppStyle.messagePixelSize
    }

    AppButton {
        id: button
        objectName: "infoButton"
        anchors { right: parent.right; bottom: parent.bottom }
        focus: true
        text: dialog.buttonText
        onClicked: dialog.finish()
    }
}
