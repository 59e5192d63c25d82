import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0

// A small text-drawn button of a step's title row (arrow, cross).
Button {
    id: button

    property color textColor: AppStyle.textActiveColor

    implicitWidth: 26
    implicitHeight: 26
    flat: true
    focusPolicy: Qt.TabFocus
    contentItem: Text {
        text: button.text
        color: button.textColor
        font.pixelSize: 14
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: Rectangle {
        radius: 3
        color: "transparent"
        border.width: button.activeFocus ? 1 : 0
        border.color: AppStyle.linkActiveColor
    }
}
