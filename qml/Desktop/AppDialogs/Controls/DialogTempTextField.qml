import QtQuick 2.15
import Common.AppStyle 1.0
import Utils 1.0

// A temperature, 25.0 to 99.0 with one decimal, shown with exactly one decimal.
EditorNumberField {
    id: field

    // Keeps only the whole degrees (the first annealing temperature of a touchdown).
    property bool wholeDegrees: false
    readonly property int check: ProtocolFieldRules.checkTemperature(text)

    function shownText(value) { return ProtocolFieldRules.formatTemperature(value) }
    function numberFor(text) {
        const value = ProtocolFieldRules.temperatureValue(text)
        return wholeDegrees ? ProtocolFieldRules.wholeDegrees(value) : value
    }

    placeholderText: qsTr("Temp")
    hint: AppStyle.degreeSymbol
    maximumLength: 4
    valid: check === ProtocolFieldRules.TemperatureValid
    belowMinimum: check === ProtocolFieldRules.TemperatureBelowMinimum
    validator: RegularExpressionValidator { regularExpression: /^(\d{0,3}(\.\d?)?|\d{1,3},)$/ }

    onTextEdited: text = ProtocolFieldRules.typedTemperature(text)
    onActiveFocusChanged: {
        if (activeFocus && valid)
            text = shownText(numberFor(text))
    }
}
