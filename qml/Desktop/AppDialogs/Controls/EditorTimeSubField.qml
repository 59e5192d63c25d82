import QtQuick 2.15
import Common.AppControls 1.0
import Utils 1.0

// One of the hours, minutes and seconds of a hold time, shown with two digits.
AppTextField {
    property int digits: 2

    implicitWidth: digits > 2 ? 40 : 30
    implicitHeight: 32
    horizontalAlignment: TextInput.AlignHCenter
    leftPadding: 2
    rightPadding: 2
    maximumLength: digits
    validator: RegularExpressionValidator { regularExpression: /^\d*$/ }
    // The whole hold time shows one background behind its three parts.
    background: null

    onActiveFocusChanged: {
        if (activeFocus)
            selectAll()
        else
            text = ProtocolFieldRules.twoDigits(text)
    }
}
