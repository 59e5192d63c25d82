import QtQuick 2.15
import Common.AppStyle 1.0
import Utils 1.0

// A time typed as a whole number of seconds, or of minutes with secondsPerUnit 60;
// the step keeps seconds.
EditorNumberField {
    property int minimum: AppStyle.minProtocolTime
    property int maximum: AppStyle.maxProtocolTime
    property int secondsPerUnit: 1
    readonly property int seconds: valid ? Number(text) * secondsPerUnit : 0

    function shownText(value) {
        return ProtocolFieldRules.formatSeconds(Math.floor(value / secondsPerUnit))
    }
    function numberFor(text) { return Number(text) * secondsPerUnit }

    placeholderText: qsTr("Time")
    hint: "s"
    valid: ProtocolFieldRules.isNumberInRange(text, minimum, maximum)
    validator: RegularExpressionValidator { regularExpression: /^([1-9]\d{0,3})?$/ }
}
