import QtQuick 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0
import Desktop.AppDialogs.Controls 1.0
import Utils 1.0

// A heat-block step: a hold temperature, picked from presets or typed, held
// for a time typed as hh:mm:ss or set with the slider.
Item {
    id: view

    property StepList steps: null
    property int row: 0
    property bool flexMode: false
    readonly property Item firstField: temperature
    readonly property var presets: [37, 42, 55, 65, 72, 95]
    // Whole degrees of the temperature typed or picked, for the preset highlight.
    property real wholeDegrees: steps ? ProtocolFieldRules.wholeDegrees(
                                            Number(steps.value(row, PCRConst.startTemp)) || 0) : 0

    implicitWidth: 500
    implicitHeight: slider.y + slider.height + 8

    AppSwitch {
        id: heatedLid
        visible: !view.flexMode && view.row === 0
        height: visible ? implicitHeight : 0
        anchors.right: parent.right
        text: qsTr("Heated lid")
        checked: view.steps !== null && view.steps.value(view.row, PCRConst.heatedLid) === true
        onToggled: view.steps.setValue(view.row, PCRConst.heatedLid, checked)
    }

    Row {
        id: temperatureRow
        anchors.top: heatedLid.bottom
        anchors.topMargin: 6
        spacing: 8

        DialogTempTextField {
            id: temperature
            width: 84
            steps: view.steps
            row: view.row
            key: PCRConst.startTemp
            // Typed text is checked here itself: textEdited comes before the
            // field's own bindings follow the new text.
            onTextEdited: {
                if (ProtocolFieldRules.checkTemperature(text) === ProtocolFieldRules.TemperatureValid)
                    view.wholeDegrees = ProtocolFieldRules.wholeDegrees(numberFor(text))
            }
        }
        Repeater {
            model: view.presets
            delegate: EditorPresetButton {
                text: modelData + " " + AppStyle.degreeSymbol
                selected: modelData === view.wholeDegrees
                onClicked: {
                    temperature.text = ProtocolFieldRules.formatTemperature(modelData)
                    view.steps.setValue(view.row, PCRConst.startTemp, modelData)
                    view.wholeDegrees = modelData
                }
            }
        }
    }

    Row {
        id: timeRow
        anchors.top: temperatureRow.bottom
        anchors.topMargin: 10
        spacing: 8

        EditorLabel {
            height: time.height
            text: qsTr("Time")
        }
        DialogFormattedTimeTextField {
            id: time
            steps: view.steps
            row: view.row
            key: PCRConst.time
            onTimeEdited: slider.seconds = seconds
        }
    }

    DialogSlider {
        id: slider
        anchors.top: timeRow.bottom
        anchors.topMargin: 6
        anchors.left: parent.left
        anchors.right: parent.right
        from: 1
        to: 180
        seconds: view.steps ? Number(view.steps.value(view.row, PCRConst.time)) || 0 : 0
        onMinutesMoved: {
            seconds = minutes * 60
            time.setSeconds(seconds)
        }
    }
}
