import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0

// A square run-control button showing qrc:/Resources/images/running/<image>.svg,
// or its "_disabled" picture while disabled.
AbstractButton {
    id: button

    property string image: ""

    implicitWidth: 40
    implicitHeight: 40
    focusPolicy: Qt.StrongFocus
    hoverEnabled: true

    background: Rectangle {
        radius: 4
        color: button.pressed ? "#22242B" : button.hovered && button.enabled ? "#3E424D" : "transparent"
        border.width: button.visualFocus ? 2 : 0
        border.color: AppStyle.linkActiveColor
    }
    contentItem: Image {
        source: "qrc:/Resources/images/running/" + button.image + (button.enabled ? "" : "_disabled") + ".svg"
        sourceSize: Qt.size(26, 26)
        fillMode: Image.PreserveAspectFit
    }
}
