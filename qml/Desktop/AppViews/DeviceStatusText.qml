import QtQuick 2.15
import Utils 1.0
import Common.AppStyle 1.0

// A device row's status, in its colour; colour changes fade.
Text {
    property DeviceRowState rowState

    text: rowState ? rowState.statusText : ""
    textFormat: Text.PlainText
    font.family: AppStyle.fontFamily
    font.pixelSize: 14
    color: !rowState ? AppStyle.textActiveColor
         : rowState.statusColor === DeviceRowState.StatusGreen ? AppStyle.textGreenColor
         : rowState.statusColor === DeviceRowState.StatusRed ? AppStyle.textRedColor
         : AppStyle.textActiveColor

    Behavior on color { ColorAnimation { duration: AppStyle.statusColorFadeDuration } }
}
