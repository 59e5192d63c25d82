import QtQuick 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0
import Utils 1.0

// A number field bound to one key of one step. It validates on every text
// change and writes its value to the step only when it is validated
// explicitly: on leaving it, on Enter, before a save or a close, and when the
// step view goes away.
AppTextField {
    id: field

    // Marks the item for the editor's walk over its fields.
    readonly property bool editorField: true
    property StepList steps: null
    property int row: 0
    property string key
    property string hint
    property bool belowMinimum: false

    // The text the stored value is shown as, and the value a valid text stands for.
    function shownText(value) { return String(value) }
    function numberFor(text) { return Number(text) }

    function load() {
        if (steps && key.length > 0)
            text = field.shownText(steps.value(row, key))
    }
    function commit() {
        if (!valid)
            return
        const value = field.numberFor(text)
        if (steps && key.length > 0)
            steps.setValue(row, key, value)
        text = field.shownText(value)
    }

    implicitWidth: 70
    implicitHeight: 32
    leftPadding: 6
    rightPadding: hintText.visible ? hintText.width + 8 : 6

    Component.onCompleted: load()
    Component.onDestruction: commit()
    onAccepted: commit()
    onActiveFocusChanged: {
        if (activeFocus) {
            selectAll()
        } else {
            commit()
        }
    }

    Text {
        id: hintText
        visible: field.hint.length > 0
        anchors.right: parent.right
        anchors.rightMargin: 6
        anchors.verticalCenter: parent.verticalCenter
        text: field.hint
        textFormat: Text.PlainText
        color: AppStyle.textActiveColor
        font: field.font
    }
}
