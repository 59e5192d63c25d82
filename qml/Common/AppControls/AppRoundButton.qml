import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0

// A round filled button showing a picture (the add button, for instance);
// `red` gives the warning colours.
AbstractButton {
    id: control

    property url source
    property bool red: false
    property int iconSize: 24

    implicitWidth: 48
    implicitHeight: 48
    hoverEnabled: true
    focusPolicy: Qt.StrongFocus

    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()

    contentItem: Item {
        Image {
            anchors.centerIn: parent
            width: control.iconSize
            height: control.iconSize
            sourceSize: Qt.size(control.iconSize, control.iconSize)
            source: control.source
        }
    }

    background: Rectangle {
        radius: width / 2
        opacity: control.visualFocus ? AppStyle.activeFocusOpacity : 1
        color: {
            if (!control.enabled)
                return AppStyle.buttonDisabledColor
            if (control.pressed)
                return control.red ? AppStyle.redButtonPressedColor : AppStyle.buttonPressedColor
            if (control.hovered)
                return control.red ? AppStyle.redButtonHoverColor : AppStyle.buttonHoverColor
            return control.red ? AppStyle.redButtonColor : AppStyle.buttonColor
        }
        border.width: control.visualFocus ? 2 : 0
        border.color: AppStyle.focusFrameColor
    }
}
