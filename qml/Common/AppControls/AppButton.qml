import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0

// A filled button in the state colours; `red` gives the warning variant.
// Enter and Return press it as Space does.
Button {
    id: control

    property bool red: false

    readonly property color fillColor: {
        if (!enabled)
            return AppStyle.buttonDisabledColor
        if (pressed)
            return red ? AppStyle.redButtonPressedColor : AppStyle.buttonPressedColor
        if (hovered)
            return red ? AppStyle.redButtonHoverColor : AppStyle.buttonHoverColor
        return red ? AppStyle.redButtonColor : AppStyle.buttonColor
    }

    implicitWidth: Math.max(96, contentItem.implicitWidth + leftPadding + rightPadding)
    implicitHeight: AppStyle.buttonHeight
    leftPadding: 16
    rightPadding: 16
    focusPolicy: Qt.StrongFocus
    hoverEnabled: true
    opacity: visualFocus ? AppStyle.activeFocusOpacity : 1

    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()

    contentItem: AppLabel {
        text: control.text
        color: "white"
        font.bold: true
        horizontalAlignment: Text.AlignHCenter
    }

    background: Rectangle {
        radius: 3
        color: control.fillColor
        border.width: control.visualFocus ? 2 : 0
        border.color: AppStyle.focusFrameColor
    }
}
