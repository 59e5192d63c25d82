import QtQuick 2.15
import Common.AppStyle 1.0

// A plain label of an editor.
Text {
    color: AppStyle.textActiveColor
    font.family: AppStyle.fontFamily
    font.pixelSize: 14
    verticalAlignment: Text.AlignVCenter
}
