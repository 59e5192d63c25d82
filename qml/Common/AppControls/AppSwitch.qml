import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0

// An on/off switch in the button colours.
Switch {
    id: control

    focusPolicy: Qt.StrongFocus
    hoverEnabled: true

    indicator: Rectangle {
        implicitWidth: 40
        implicitHeight: 20
        x: control.leftPadding
        y: (control.height - height) / 2
        radius: height / 2
        opacity: control.enabled ? 1 : AppStyle.disabledOpacity
        color: control.checked ? AppStyle.buttonColor : AppStyle.buttonDisabledColor
        border.width: control.visualFocus ? 2 : 0
        border.color: AppStyle.focusFrameColor

        Rectangle {
            x: control.checked ? parent.width - width - 2 : 2
            anchors.verticalCenter: parent.verticalCenter
            width: parent.height - 4
            height: width
            radius: width / 2
            color: "white"

            Behavior on x {
                NumberAnimation { duration: 120 }
            }
        }
    }

    contentItem: AppLabel {
        leftPadding: control.indicator.width + control.spacing
        text: control.text
    }
}
