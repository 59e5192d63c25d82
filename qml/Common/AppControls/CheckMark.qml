import QtQuick 2.15
import Common.AppStyle 1.0

// A round selection mark: an empty ring, or a filled disc with a tick.
Rectangle {
    property bool checked: false

    implicitWidth: 24
    implicitHeight: 24
    radius: width / 2
    color: checked ? AppStyle.buttonColor : "transparent"
    border.width: checked ? 0 : 2
    border.color: AppStyle.textActiveColor

    Image {
        anchors.centerIn: parent
        width: parent.width * 0.7
        height: width
        sourceSize: Qt.size(width, height)
        visible: parent.checked
        source: "qrc:/Resources/images/check.svg"
    }
}
