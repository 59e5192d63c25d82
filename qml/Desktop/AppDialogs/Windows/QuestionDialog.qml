import QtQuick 2.15
import QtQuick.Layouts 1.15
import Common.AppStyle 1.0
import Common.AppControls 1.0
import Desktop.AppDialogs.Controls 1.0

// A question with "No" on the left and "Yes" on the right; "Yes to All"
// appears only for an upload to several machines. "No" and the close cross
// reject. Each answer is given before the dialog reports itself finished.
AbstractDialogFrame {
    id: dialog

    property string text
    property bool multiUpload: false

    signal accepted()
    signal acceptedForAll()
    signal rejected()

    onAboutToClose: rejected()

    AppLabel {
        objectName: "questionText"
        anchors { left: parent.left; right: parent.right; top: parent.top; bottom: buttons.top; bottomMargin: 12 }
        text: dialog.text
        wrapMode: Text.Wrap
        elide: Text.ElideNone
        horizontalAlignment: Text.AlignHCenter
        font.pixelSize: AppStyle.messagePixelSize
    }

    RowLayout {
        id: buttons
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
        spacing: 12

        AppButton {
            objectName: "noButton"
            text: qsTr("No")
            onClicked: {
                dialog.rejected()
                dialog.finish()
            }
        }
        Item {
            Layout.fillWidth: true
        }
        AppButton {
            objectName: "yesToAllButton"
            visible: dialog.multiUpload
            text: qsTr("Yes to All")
            onClicked: {
                dialog.acceptedForAll()
                dialog.finish()
            }
        }
        AppButton {
            objectName: "yesButton"
            focus: true
            text: qsTr("Yes")
            onClicked: {
                dialog.accepted()
                dialog.finish()
            }
        }
    }
}
