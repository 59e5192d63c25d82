import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0

// One tab of the running page's bar: protocol, machine and status, and a
// close button.
AbstractButton {
    id: head

    property string protocolName: ""
    property string deviceName: ""
    property string deviceStatusName: ""
    property bool selected: false

    signal closeClicked()

    width: 190
    height: 70
    focusPolicy: Qt.StrongFocus
    Accessible.name: protocolName

    background: Rectangle {
        color: head.selected ? AppStyle.pageBackgroundColor : "#343741"
        border.width: head.visualFocus ? 1 : 0
        border.color: AppStyle.linkActiveColor
        Rectangle {
            visible: head.selected
            width: 4
            height: parent.height
            color: AppStyle.linkActiveColor
        }
    }

    contentItem: Item {
        Column {
            anchors { left: parent.left; right: parent.right; verticalCenter: parent.verticalCenter }
            anchors.leftMargin: 14
            anchors.rightMargin: 26
            spacing: 2

            Text {
                objectName: "tabProtocolName"
                width: parent.width
                height: 24
                text: head.protocolName
                textFormat: Text.PlainText
                color: "white"
                font.family: AppStyle.fontFamily
                font.pixelSize: 16
                font.bold: head.selected
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: 11
                elide: Text.ElideRight
                verticalAlignment: Text.AlignVCenter
            }
            Text {
                objectName: "tabDeviceName"
                width: parent.width
                text: head.deviceName
                textFormat: Text.PlainText
                color: head.selected ? AppStyle.textActiveColor : AppStyle.textDisabledColor
                font.family: AppStyle.fontFamily
                font.pixelSize: 12
                elide: Text.ElideRight
            }
            Text {
                objectName: "tabStatusText"
                width: parent.width
                text: head.deviceStatusName
                textFormat: Text.PlainText
                color: head.selected ? AppStyle.linkActiveColor : AppStyle.textDisabledColor
                font.family: AppStyle.fontFamily
                font.pixelSize: 12
                elide: Text.ElideRight
            }
        }
    }

    CrossButton {
        objectName: "tabCloseButton"
        anchors { top: parent.top; right: parent.right; margins: 2 }
        implicitWidth: 24
        implicitHeight: 24
        iconSize: 12
        onClicked: head.closeClicked()
    }
}
