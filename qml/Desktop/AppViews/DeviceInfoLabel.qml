import QtQuick 2.15
import Common.AppStyle 1.0

// A label or value of a device row's details grid.
Text {
    textFormat: Text.PlainText
    elide: Text.ElideRight
    color: AppStyle.textActiveColor
    font.family: AppStyle.fontFamily
    font.pixelSize: 13
}
