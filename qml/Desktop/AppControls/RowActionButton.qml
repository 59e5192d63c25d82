import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0

// A filled caption button of a list row ("RUN", "EDIT", "CONNECT"...).
Button {
    id: control

    implicitWidth: Math.max(72, contentItem.implicitWidth + 24)
    implicitHeight: 28
    focusPolicy: Qt.StrongFocus
    opacity: enabled ? (visualFocus ? AppStyle.activeFocusOpacity : 1) : AppStyle.disabledOpacity

    contentItem: Text {
        text: control.text
        textFormat: Text.PlainText
        font.family: AppStyle.fontFamily
        font.pixelSize: 13
        font.bold: true
        color: "white"
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    background: Rectangle {
        radius: 3
        color: !control.enabled ? AppStyle.buttonDisabledColor
             : control.pressed ? AppStyle.buttonPressedColor
             : control.hovered ? AppStyle.buttonHoverColor : AppStyle.buttonColor
        border.width: control.visualFocus ? 2 : 0
        border.color: "white"
    }
}
