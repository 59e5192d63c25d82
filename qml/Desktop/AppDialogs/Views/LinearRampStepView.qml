import QtQuick 2.15
import Common.AppStyle 1.0
import Desktop.AppDialogs.Controls 1.0
import Utils 1.0

// A linear-ramp step: from a start to an end temperature (either way) in a
// number of whole minutes.
Item {
    id: view

    property StepList steps: null
    property int row: 0
    property bool flexMode: false
    readonly property Item firstField: startTemp
    readonly property alias startTempField: startTemp
    readonly property alias finalTempField: finalTemp
    readonly property alias timeField: rampTime

    // A stored temperature outside the limits shows as the nearest limit's
    // side: 25 for the start, 99 for the end.
    function shownTemperature(value, outside) {
        return value >= AppStyle.minProtocolTemperature
                && value <= AppStyle.maxProtocolTemperature ? value : outside
    }

    implicitWidth: 440
    implicitHeight: slider.y + slider.height + 8

    Row {
        id: fields
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 10

        DialogTempTextField {
            id: startTemp
            width: 110
            placeholderText: qsTr("Start temp")
            steps: view.steps
            row: view.row
            key: PCRConst.startTemp
            function shownText(value) {
                return ProtocolFieldRules.formatTemperature(
                            view.shownTemperature(value, AppStyle.minProtocolTemperature))
            }
        }
        DialogTempTextField {
            id: finalTemp
            width: 110
            placeholderText: qsTr("End temp")
            steps: view.steps
            row: view.row
            key: PCRConst.finalTemp
            function shownText(value) {
                return ProtocolFieldRules.formatTemperature(
                            view.shownTemperature(value, AppStyle.maxProtocolTemperature))
            }
        }
        DialogTimeTextField {
            id: rampTime
            width: 110
            minimum: 10
            secondsPerUnit: 60
            hint: qsTr("min")
            steps: view.steps
            row: view.row
            key: PCRConst.time
            onSecondsChanged: {
                if (valid)
                    slider.seconds = seconds
            }
        }
    }

    DialogSlider {
        id: slider
        anchors.top: fields.bottom
        anchors.topMargin: 14
        anchors.left: parent.left
        anchors.right: parent.right
        from: 10
        to: 180
        seconds: view.steps ? Number(view.steps.value(view.row, PCRConst.time)) || 0 : 0
        onMinutesMoved: {
            seconds = minutes * 60
            rampTime.text = minutes
        }
    }
}
