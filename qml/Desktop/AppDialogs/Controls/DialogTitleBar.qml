import QtQuick 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0

// The coloured head of a dialog or message window: its title and, when
// closable, the close cross at the right.
Item {
    id: bar

    property string title
    property color color: AppStyle.titleBarColor
    property bool closable: true

    signal closeClicked()

    implicitHeight: AppStyle.titleBarHeight

    Rectangle {
        anchors.fill: parent
        radius: AppStyle.cornerRadius
        color: bar.color
    }
    // Square lower corners where the bar meets the body.
    Rectangle {
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
        height: AppStyle.cornerRadius
        color: bar.color
    }

    AppLabel {
        objectName: "titleText"
        anchors {
            left: parent.left
            right: cross.visible ? cross.left : parent.right
            leftMargin: 16
            rightMargin: 8
            verticalCenter: parent.verticalCenter
        }
        text: bar.title
        color: AppStyle.titleTextColor
        font.pixelSize: AppStyle.titlePixelSize
        font.bold: true
    }

    CrossButton {
        id: cross
        objectName: "closeCross"
        anchors { right: parent.right; rightMargin: 8; verticalCenter: parent.verticalCenter }
        visible: bar.closable
        onClicked: bar.closeClicked()
    }
}
