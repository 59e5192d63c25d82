import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Shapes 1.15
import Common.AppStyle 1.0

// The library row's star: filled when the protocol is a favourite.
AbstractButton {
    id: control

    property color lineColor: "white"

    implicitWidth: 32
    implicitHeight: 32
    focusPolicy: Qt.StrongFocus
    opacity: visualFocus ? AppStyle.activeFocusOpacity : 1

    contentItem: Item {
        Shape {
            anchors.centerIn: parent
            width: 24
            height: 24
            ShapePath {
                strokeColor: control.lineColor
                strokeWidth: 1.5
                fillColor: control.checked ? control.lineColor : "transparent"
                joinStyle: ShapePath.RoundJoin
                PathSvg {
                    path: "M 12 2 L 15 9 L 22.5 9.3 L 16.6 14 L 18.6 21.5 L 12 17.3 L 5.4 21.5 L 7.4 14 L 1.5 9.3 L 9 9 Z"
                }
            }
        }
    }

    background: Rectangle {
        color: "transparent"
        radius: width / 2
        border.width: control.visualFocus ? 1 : 0
        border.color: control.lineColor
    }
}
