import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import Common.AppStyle 1.0

// The protocol's name and parameters; scrolls inside when taller than its place.
RunningBox {
    id: root

    property string protocolName: ""
    property var propertyModel: null

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 36
            color: "#3E424D"
            radius: 4
            Text {
                anchors.fill: parent
                anchors.leftMargin: 15
                verticalAlignment: Text.AlignVCenter
                text: qsTr("Info")
                textFormat: Text.PlainText
                color: "white"
                font.family: AppStyle.fontFamily
                font.pixelSize: 15
                font.bold: true
            }
        }

        ListView {
            id: list
            objectName: "propertyList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.margins: 15
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: root.propertyModel
            ScrollBar.vertical: ScrollBar { policy: list.contentHeight > list.height ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded }

            header: Column {
                width: list.width
                bottomPadding: 8
                Text {
                    text: qsTr("Protocol name: ")
                    textFormat: Text.PlainText
                    color: AppStyle.pageTitleColor
                    font.family: AppStyle.fontFamily
                    font.pixelSize: 14
                }
                Text {
                    objectName: "protocolNameText"
                    width: parent.width
                    text: root.protocolName
                    textFormat: Text.PlainText
                    color: "white"
                    font.family: AppStyle.fontFamily
                    font.pixelSize: 14
                    font.bold: true
                    elide: Text.ElideRight
                }
            }

            delegate: RowLayout {
                width: list.width - 12
                height: 24
                spacing: 0

                Text {
                    Layout.fillWidth: true
                    text: model.propertyIsHeader ? model.propertyName : model.propertyName + ":"
                    textFormat: Text.PlainText
                    color: model.propertyIsHeader ? "white" : AppStyle.pageTitleColor
                    font.family: AppStyle.fontFamily
                    font.pixelSize: 13
                    font.bold: model.propertyIsHeader
                    font.capitalization: model.propertyIsHeader ? Font.SmallCaps : Font.MixedCase
                    elide: Text.ElideRight
                }
                Repeater {
                    model: [propertyTemp, propertyTime, propertyValue].filter(function(value) {
                        return value !== undefined && String(value) !== ""
                    })
                    Text {
                        Layout.preferredWidth: 50
                        horizontalAlignment: Text.AlignRight
                        text: modelData
                        textFormat: Text.PlainText
                        color: "white"
                        font.family: AppStyle.fontFamily
                        font.pixelSize: 13
                    }
                }
            }
        }
    }
}
