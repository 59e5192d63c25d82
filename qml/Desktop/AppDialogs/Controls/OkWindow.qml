import QtQuick 2.15
import QtQuick.Layouts 1.15
import Common.AppControls 1.0

// A warning with one centred "Ok" button.
WarningWindow {
    id: window

    buttons: AppButton {
        objectName: "okButton"
        Layout.alignment: Qt.AlignHCenter
        text: qsTr("Ok")
        onClicked: window.accept()
    }
}
