import QtQuick 2.15
import QtQuick.Layouts 1.15
import Common.AppControls 1.0

// A warning that asks: the rejecting button on the left, the accepting one
// on the right; both captions may be replaced.
WarningWindow {
    id: window

    property string rejectText: qsTr("No")
    property string acceptText: qsTr("Yes")

    buttons: [
        AppButton {
            objectName: "rejectButton"
            text: window.rejectText
            onClicked: window.reject()
        },
        Item {
            Layout.fillWidth: true
        },
        AppButton {
            objectName: "acceptButton"
            text: window.acceptText
            onClicked: window.accept()
        }
    ]
}
