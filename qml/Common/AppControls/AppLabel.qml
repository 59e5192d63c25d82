import QtQuick 2.15
import Common.AppStyle 1.0

// Text in the program's font; plain text by default, since much of what is
// shown (machine and protocol names) comes from machines and files.
Text {
    color: AppStyle.textActiveColor
    font.family: AppStyle.fontFamily
    font.pixelSize: AppStyle.textPixelSize
    textFormat: Text.PlainText
    elide: Text.ElideRight
    verticalAlignment: Text.AlignVCenter
}
