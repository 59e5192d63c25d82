import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0

// A preset temperature; filled while it is the step's temperature.
Button {
    id: button

    property bool selected: false

    implicitWidth: 56
    implicitHeight: 32
    font.family: AppStyle.fontFamily
    font.pixelSize: 13
    contentItem: Text {
        text: button.text
        color: "white"
        font: button.font
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: Rectangle {
        radius: 4
        color: button.selected ? AppStyle.presetSelectedColor : "transparent"
        border.width: 1
        border.color: button.selected || button.activeFocus ? AppStyle.presetSelectedColor : AppStyle.textDisabledColor
        opacity: button.down ? AppStyle.activeFocusOpacity : 1.0
    }
}
