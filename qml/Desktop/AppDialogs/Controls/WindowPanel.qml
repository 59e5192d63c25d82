import QtQuick 2.15
import QtQuick.Layouts 1.15
import Common.AppStyle 1.0
import Common.AppControls 1.0

// The look of a message window: a rounded panel with a coloured title bar,
// a body, a separator and a row of buttons. A focus scope, so that an item
// of the body may hold the keyboard while the panel's key handlers still
// see what it leaves.
FocusScope {
    id: panel

    property string title
    property color titleColor: AppStyle.titleBarColor
    default property alias body: bodyHolder.data
    property alias buttons: buttonRow.data

    Rectangle {
        anchors.fill: parent
        color: AppStyle.pageBackgroundColor
        radius: AppStyle.cornerRadius
    }

    DialogTitleBar {
        id: titleBar
        anchors { left: parent.left; right: parent.right; top: parent.top }
        title: panel.title
        color: panel.titleColor
        closable: false
    }

    FocusScope {
        id: bodyHolder
        focus: true
        anchors {
            left: parent.left
            right: parent.right
            top: titleBar.bottom
            bottom: separator.top
            margins: 16
        }
    }

    Separator {
        id: separator
        anchors { left: parent.left; right: parent.right; bottom: buttonRow.top; bottomMargin: 12 }
    }

    RowLayout {
        id: buttonRow
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom; margins: 16 }
        spacing: 12
    }
}
