import QtQuick 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0

// A message window with a red title bar and a centred message; its users
// add the buttons.
AbstractWindowFrame {
    id: window

    property string text
    property int textAlignment: Text.AlignHCenter

    title: qsTr("Warning")
    titleColor: AppStyle.warningTitleBarColor

    AppLabel {
        objectName: "warningText"
        anchors.fill: parent
        text: window.text
        wrapMode: Text.Wrap
        elide: Text.ElideNone
        horizontalAlignment: window.textAlignment
        font.pixelSize: AppStyle.messagePixelSize
    }
}
