import QtQuick 2.15
import QtQuick.Layouts 1.15
import Common.AppStyle 1.0

// "Label: value" in the step box: a grey label, a white value.
RowLayout {
    property string label: ""
    property string value: ""
    property bool bold: false

    spacing: 0
    Layout.fillWidth: true

    Text {
        text: parent.label
        textFormat: Text.PlainText
        color: AppStyle.pageTitleColor
        font.family: AppStyle.fontFamily
        font.pixelSize: 14
        font.bold: parent.bold
    }
    Text {
        Layout.fillWidth: true
        text: parent.value
        textFormat: Text.PlainText
        color: "white"
        font.family: AppStyle.fontFamily
        font.pixelSize: 14
        font.bold: parent.bold
        elide: Text.ElideRight
    }
}
