import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0

// The base of every input field: plain text, our font, and a red fill that
// fades in while the value is not acceptable.
TextField {
    id: control

    property bool valid: true

    implicitHeight: AppStyle.buttonHeight
    color: "white"
    selectionColor: AppStyle.selectedRowColor
    selectedTextColor: "white"
    placeholderTextColor: AppStyle.textDisabledColor
    font.family: AppStyle.fontFamily
    font.pixelSize: AppStyle.textPixelSize
    selectByMouse: true
    leftPadding: 8
    rightPadding: 8

    background: Rectangle {
        radius: 3
        color: control.valid ? AppStyle.windowBackgroundColor : AppStyle.redButtonColor
        border.width: control.activeFocus ? 2 : 1
        border.color: control.activeFocus ? AppStyle.linkActiveColor : AppStyle.separatorColor

        Behavior on color {
            ColorAnimation { duration: AppStyle.animationTextfieldColorDuration }
        }
    }
}
