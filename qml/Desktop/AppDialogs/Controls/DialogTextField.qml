import QtQuick 2.15
import Common.AppControls 1.0
import Utils 1.0

// The protocol name: never empty, never longer than 24 characters or 24 bytes
// of UTF-8 (a longer text is cut back while typing).
AppTextField {
    readonly property bool editorField: true
    readonly property bool belowMinimum: false

    function load() {}
    function commit() {}

    valid: text.length > 0
    placeholderText: qsTr("Protocol name")
    maximumLength: PCRConst.protocolNameMaxLength

    onTextChanged: {
        const trimmed = ProtocolFieldRules.trimmedName(text)
        if (trimmed !== text)
            text = trimmed
    }
}
