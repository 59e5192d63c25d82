import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0

// One entry of the main menu: icon and text in the colour of its state,
// the current one marked by a darker band and a bar at its left edge.
AbstractButton {
    id: entry

    property bool current: false
    property string iconName
    property bool showBadge: false
    property int badgeCount: 0

    readonly property string iconState: current ? "current" : hovered ? "hovered" : "normal"
    readonly property color textColor: current ? AppStyle.linkActiveColor
                                               : hovered ? AppStyle.linkHoveredColor
                                                         : AppStyle.textActiveColor

    implicitHeight: AppStyle.menuEntryHeight
    hoverEnabled: true
    focusPolicy: Qt.StrongFocus

    Keys.onReturnPressed: entry.clicked()
    Keys.onEnterPressed: entry.clicked()

    background: Rectangle {
        color: entry.current ? AppStyle.currentMenuEntryColor : "transparent"
        border.width: entry.visualFocus ? 1 : 0
        border.color: AppStyle.focusFrameColor

        Rectangle {
            anchors { left: parent.left; top: parent.top; bottom: parent.bottom }
            width: AppStyle.menuCurrentBarWidth
            visible: entry.current
            color: AppStyle.linkActiveColor
        }
    }

    contentItem: Item {
        Image {
            id: icon
            anchors { left: parent.left; leftMargin: 24; verticalCenter: parent.verticalCenter }
            width: 24
            height: 24
            sourceSize: Qt.size(24, 24)
            source: "qrc:/Resources/images/menu/" + entry.iconName + "_" + entry.iconState + ".svg"
        }
        AppLabel {
            anchors {
                left: icon.right
                leftMargin: 16
                right: badge.visible ? badge.left : parent.right
                rightMargin: 8
                verticalCenter: parent.verticalCenter
            }
            text: entry.text
            color: entry.textColor
            font.pixelSize: 16
        }
        CountBadge {
            id: badge
            objectName: "runningBadge"
            anchors { right: parent.right; rightMargin: 16; verticalCenter: parent.verticalCenter }
            visible: entry.showBadge
            count: entry.badgeCount
        }
    }
}
