import QtQuick 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0

// A small rounded count: red while it is not zero, grey at zero.
Rectangle {
    id: badge

    property int count: 0

    implicitWidth: Math.max(height, countText.implicitWidth + 10)
    implicitHeight: 20
    radius: height / 2
    color: count !== 0 ? AppStyle.redButtonColor : AppStyle.badgeIdleColor

    AppLabel {
        id: countText
        anchors.centerIn: parent
        text: badge.count
        color: "white"
        font.pixelSize: 12
        font.bold: true
    }
}
