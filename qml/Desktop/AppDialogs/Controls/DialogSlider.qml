import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0
import Utils 1.0

// A time in whole minutes between two ends, following the time typed in its
// field; " >" at the right end tells that the field's time is longer.
Item {
    id: control

    property int from: 1
    property int to: 180
    property int seconds: 0
    readonly property alias value: slider.value
    readonly property bool beyond: ProtocolFieldRules.isBeyondSlider(seconds, to)

    // The user moved the slider to a number of whole minutes.
    signal minutesMoved(int minutes)

    implicitWidth: 300
    implicitHeight: slider.implicitHeight + lowerLabel.implicitHeight

    Slider {
        id: slider
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.rightMargin: beyondMark.width
        from: control.from
        to: control.to
        stepSize: 1
        snapMode: Slider.SnapAlways
        wheelEnabled: false
        value: ProtocolFieldRules.sliderMinutes(control.seconds, control.from, control.to)
        onMoved: control.minutesMoved(Math.round(value))
        // The style's own track fills with its dark shade, which vanishes on
        // the dark dialog: the chosen part is drawn in the buttons' blue.
        background: Rectangle {
            x: slider.leftPadding
            y: slider.topPadding + slider.availableHeight / 2 - height / 2
            width: slider.availableWidth
            height: 4
            radius: 2
            color: AppStyle.separatorColor
            Rectangle {
                width: slider.visualPosition * parent.width
                height: parent.height
                radius: 2
                color: AppStyle.buttonColor
            }
        }
    }
    Text {
        id: beyondMark
        anchors.right: parent.right
        anchors.verticalCenter: slider.verticalCenter
        width: implicitWidth
        text: control.beyond ? " >" : "  "
        color: AppStyle.textActiveColor
        font.family: AppStyle.fontFamily
        font.pixelSize: 15
    }
    Text {
        id: lowerLabel
        anchors.left: slider.left
        anchors.top: slider.bottom
        text: control.from + qsTr(" min")
        color: AppStyle.textDisabledColor
        font.family: AppStyle.fontFamily
        font.pixelSize: 12
    }
    Text {
        anchors.right: slider.right
        anchors.top: slider.bottom
        text: control.to + qsTr(" min")
        color: AppStyle.textDisabledColor
        font.family: AppStyle.fontFamily
        font.pixelSize: 12
    }
}
