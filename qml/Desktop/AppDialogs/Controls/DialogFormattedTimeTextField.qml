import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0
import Utils 1.0

// A hold time typed as hours, minutes and seconds; the step keeps seconds.
// Tab goes round the three parts.
Item {
    id: field

    readonly property bool editorField: true
    property StepList steps: null
    property int row: 0
    property string key
    property int minTime: AppStyle.minProtocolTime
    property int maxTime: AppStyle.maxProtocolTimeInSec
    readonly property bool valid: ProtocolFieldRules.isHoldTimeValid(
                                      hours.text, minutes.text, seconds.text, minTime, maxTime)
    readonly property bool belowMinimum: false
    readonly property int totalSeconds: valid ? ProtocolFieldRules.holdSeconds(
                                                    hours.text, minutes.text, seconds.text,
                                                    maxTime) : 0
    readonly property alias hoursField: hours
    readonly property alias minutesField: minutes
    readonly property alias secondsField: seconds

    // A valid time typed by the user (not one loaded or set from outside).
    signal timeEdited(int seconds)

    function setSeconds(value) {
        const parts = ProtocolFieldRules.splitHoldTime(value)
        hours.text = parts.hours
        minutes.text = parts.minutes
        seconds.text = parts.seconds
    }
    function load() {
        if (steps && key.length > 0)
            setSeconds(steps.value(row, key))
    }
    function commit() {
        if (!valid)
            return
        if (steps && key.length > 0)
            steps.setValue(row, key, totalSeconds)
        setSeconds(totalSeconds)
    }
    // Reads the parts themselves: textEdited comes before the bindings above
    // follow the new text.
    function notePartEdited() {
        if (ProtocolFieldRules.isHoldTimeValid(hours.text, minutes.text, seconds.text, minTime,
                                               maxTime))
            timeEdited(ProtocolFieldRules.holdSeconds(hours.text, minutes.text, seconds.text,
                                                      maxTime))
    }

    implicitWidth: parts.implicitWidth + 8
    implicitHeight: 32
    Component.onCompleted: load()
    Component.onDestruction: commit()

    EditorInvalidBackground {
        anchors.fill: parent
        invalid: !field.valid
    }

    Row {
        id: parts
        anchors.centerIn: parent

        EditorTimeSubField {
            id: hours
            digits: 3
            placeholderText: qsTr("hh")
            KeyNavigation.tab: minutes
            onTextEdited: field.notePartEdited()
            onAccepted: field.commit()
            onActiveFocusChanged: if (!activeFocus) field.commit()
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: ":"
            color: "white"
            font.pixelSize: 15
        }
        EditorTimeSubField {
            id: minutes
            placeholderText: qsTr("mm")
            KeyNavigation.tab: seconds
            onTextEdited: field.notePartEdited()
            onAccepted: field.commit()
            onActiveFocusChanged: if (!activeFocus) field.commit()
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: ":"
            color: "white"
            font.pixelSize: 15
        }
        EditorTimeSubField {
            id: seconds
            placeholderText: qsTr("ss")
            KeyNavigation.tab: hours
            onTextEdited: field.notePartEdited()
            onAccepted: field.commit()
            onActiveFocusChanged: if (!activeFocus) field.commit()
        }
    }
}
