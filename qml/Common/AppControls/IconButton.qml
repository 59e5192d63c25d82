import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0

// A flat button that is only a picture, with a second picture on hover.
AbstractButton {
    id: control

    property url source
    property url hoveredSource: source
    property int iconSize: 24

    implicitWidth: 36
    implicitHeight: 36
    hoverEnabled: true
    focusPolicy: Qt.StrongFocus
    opacity: visualFocus ? AppStyle.activeFocusOpacity : 1

    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()

    contentItem: Item {
        Image {
            anchors.centerIn: parent
            width: control.iconSize
            height: control.iconSize
            sourceSize: Qt.size(control.iconSize, control.iconSize)
            source: control.hovered ? control.hoveredSource : control.source
        }
    }

    background: Rectangle {
        radius: width / 2
        color: "transparent"
        border.width: control.visualFocus ? 2 : 0
        border.color: AppStyle.focusFrameColor
    }
}
