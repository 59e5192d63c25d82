import QtQuick 2.15
import Common.AppStyle 1.0
import Desktop.AppDialogs.Controls 1.0
import Utils 1.0

// One step of an editor's list: in a flex protocol with a title row that
// collapses, expands and deletes it; elsewhere titled "STEP n" from the
// second step on.
Item {
    id: delegate

    property StepList steps: null
    property int row: 0
    property string objectType
    property bool flexMode: false
    property bool expanded: true
    readonly property bool collapsible: flexMode && steps !== null && steps.count > 1
    readonly property bool shownExpanded: expanded || !collapsible
    readonly property Item view: body.item
    readonly property bool hasTitle: flexMode || row > 0

    signal deleteRequested(int row)
    // The user folded or unfolded the step.
    signal toggled()

    function toggle() {
        expanded = !expanded
        toggled()
    }
    function kindTitle() {
        switch (objectType) {
        case PCRConst.objectTypePCR: return PCRConst.translatedObjectTypePCR
        case PCRConst.objectTypeTouchdown: return PCRConst.translatedObjectTypeTouchdown
        case PCRConst.objectTypeHeatBlock: return PCRConst.translatedObjectTypeHeatBlock
        case PCRConst.objectTypeLinearRamp: return PCRConst.translatedObjectTypeLinearRamp
        }
        return objectType
    }
    function viewUrl() {
        switch (objectType) {
        case PCRConst.objectTypePCR: return "PcrStepView.qml"
        case PCRConst.objectTypeTouchdown: return "TouchdownStepView.qml"
        case PCRConst.objectTypeHeatBlock: return "HeatBlockStepView.qml"
        case PCRConst.objectTypeLinearRamp: return "LinearRampStepView.qml"
        }
        return ""
    }

    width: parent ? parent.width : 0
    height: title.height + (shownExpanded ? body.height + 10 : 0)
    clip: true

    // Only collapsed PCR and linear-ramp steps are recorded as hidden.
    onShownExpandedChanged: {
        if (objectType === PCRConst.objectTypePCR || objectType === PCRConst.objectTypeLinearRamp)
            steps.setValue(row, "hidden", !shownExpanded)
    }

    Behavior on height {
        NumberAnimation { duration: AppStyle.animationStepHeightDuration }
    }

    Item {
        id: title
        width: parent.width
        height: delegate.hasTitle ? 34 : 0
        visible: delegate.hasTitle

        MouseArea {
            anchors.fill: parent
            enabled: delegate.collapsible
            onClicked: delegate.toggle()
        }
        Row {
            id: titleText
            anchors.verticalCenter: parent.verticalCenter
            spacing: 10

            EditorLabel {
                text: qsTr("STEP ") + (delegate.row + 1)
                font.bold: true
                color: "white"
            }
            EditorLabel {
                visible: delegate.flexMode
                text: delegate.kindTitle()
            }
        }
        Rectangle {
            anchors.left: titleText.right
            anchors.leftMargin: 10
            anchors.right: titleButtons.left
            anchors.rightMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            height: 1
            color: AppStyle.textDisabledColor
        }
        Row {
            id: titleButtons
            visible: delegate.flexMode
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            spacing: 6

            EditorIconButton {
                objectName: "collapseButton"
                visible: delegate.collapsible
                text: delegate.shownExpanded ? "\u25B2" : "\u25BC"
                onClicked: delegate.toggle()
            }
            EditorIconButton {
                objectName: "deleteButton"
                text: "\u2715"
                textColor: AppStyle.redButtonColor
                onClicked: delegate.deleteRequested(delegate.row)
            }
        }
    }

    Loader {
        id: body
        anchors.top: title.bottom
        anchors.topMargin: delegate.hasTitle ? 6 : 0
        width: parent.width
        height: item ? item.implicitHeight : 0
        onLoaded: item.row = Qt.binding(function() { return delegate.row })
    }

    // The view gets its step before its fields load their values.
    Component.onCompleted: body.setSource(viewUrl(), {steps: steps, row: row, flexMode: flexMode})
}
