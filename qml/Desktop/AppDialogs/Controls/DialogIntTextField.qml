import QtQuick 2.15
import Common.AppStyle 1.0
import Utils 1.0

// A cycle count.
EditorNumberField {
    property int minimum: AppStyle.minPcrCycle
    property int maximum: AppStyle.maxPcrCycle

    implicitWidth: 50
    valid: ProtocolFieldRules.isNumberInRange(text, minimum, maximum)
    validator: RegularExpressionValidator { regularExpression: /^\d{0,2}$/ }
}
