import QtQuick 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0
import Desktop.AppDialogs.Controls 1.0
import PCR.Program 1.0
import Utils 1.0

// Creates or edits a flex protocol: up to 20 steps of the four kinds within
// the machine's 40 device steps, one heated-lid setting for all of them,
// and the final cooling.
ProtocolEditorFrame {
    id: dialog

    readonly property var lidKinds: [PCRConst.objectTypePCR, PCRConst.objectTypeHeatBlock,
        PCRConst.objectTypeTouchdown]
    property int usedSteps: 0
    property bool loaded: false
    readonly property bool hasLinearRamp: steps.objectTypes.indexOf(PCRConst.objectTypeLinearRamp) >= 0
    readonly property bool hasLidStep: steps.objectTypes.some(function(kind) {
        return dialog.lidKinds.indexOf(kind) >= 0
    })
    readonly property alias heatedLidSwitch: heatedLid
    readonly property alias addButtons: addRow
    readonly property alias stepList: stepList

    function acceptsSteps() {
        const row = steps.firstUnsetRow()
        if (row < 0)
            return true
        stepList.delegateAt(row).expanded = true
        stepList.reveal(row)
        return false
    }

    function recountSteps() {
        usedSteps = PcrCore.countFlexPcrSteps(steps.toJson())
    }

    // One heated-lid value for the protocol; a linear ramp needs it on.
    function applyHeatedLid() {
        if (!loaded)
            return
        if (hasLinearRamp)
            heatedLid.checked = true
        steps.setAll(PCRConst.heatedLid, heatedLid.checked)
    }

    function addStep(kind) {
        if (!steps.append(kind))
            return
        recountSteps()
        applyHeatedLid()
        const row = steps.count - 1
        stepList.reveal(row)
        Qt.callLater(function() {
            const step = stepList.delegateAt(row)
            if (step && step.view)
                step.view.firstField.forceActiveFocus()
        })
    }

    function deleteStep(row) {
        deleteConfirmation.row = row
        deleteConfirmation.open()
    }

    newTitle: qsTr("New Flex protocol")
    editTitle: qsTr("Edit Flex protocol")
    programType: ProgramType.PT_FLEX
    flexProtocol: true
    finalCooling: ProtocolsModel.getFinalCoolingById(protocolId)
    frameWidth: 560
    initialHeight: 350
    maxHeight: 680
    growth: stepList.contentHeight + (steps.count > 0 ? 50 : 25)

    onInvalidStep: {
        if (row >= 0)
            stepList.reveal(row)
    }

    function stepsLoaded() {
        recountSteps()
        const first = steps.firstRowOf(lidKinds)
        heatedLid.checked = first >= 0 ? steps.value(first, PCRConst.heatedLid)
                                       : PCRConst.defaultHeatedLid
        loaded = true
    }

    Item {
        id: top
        anchors.left: parent.left
        anchors.right: parent.right
        height: switches.height

        EditorIconButton {
            objectName: "expandAllButton"
            visible: dialog.steps.count > 1
            anchors.left: parent.left
            anchors.verticalCenter: parent.verticalCenter
            text: stepList.collapsedCount > 0 ? "\u25BC" : "\u25B2"
            onClicked: stepList.setAllExpanded(stepList.collapsedCount > 0)
        }
        Column {
            id: switches
            anchors.right: parent.right

            AppSwitch {
                id: heatedLid
                objectName: "heatedLidSwitch"
                text: qsTr("Heated lid")
                enabled: dialog.hasLidStep && !dialog.hasLinearRamp
                onCheckedChanged: dialog.applyHeatedLid()
            }
            AppSwitch {
                objectName: "finalCoolingSwitch"
                text: qsTr("Final cooling")
                checked: dialog.finalCooling
                onCheckedChanged: dialog.finalCooling = checked
            }
        }
    }

    EditorStepList {
        id: stepList
        anchors.top: top.bottom
        anchors.topMargin: dialog.steps.count > 0 ? 25 : 12.5
        anchors.bottom: addRow.top
        anchors.bottomMargin: dialog.steps.count > 0 ? 25 : 12.5
        anchors.left: parent.left
        anchors.right: parent.right
        steps: dialog.steps
        flexMode: true
        onDeleteRequested: dialog.deleteStep(row)
    }

    // Wraps where the translated captions do not fit on one line.
    Flow {
        id: addRow
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        spacing: 8

        EditorLabel {
            height: 36
            text: qsTr("Add step:")
        }
        Repeater {
            model: [
                {kind: PCRConst.objectTypePCR, label: PCRConst.translatedObjectTypePCR},
                {kind: PCRConst.objectTypeTouchdown, label: PCRConst.translatedObjectTypeTouchdown},
                {kind: PCRConst.objectTypeHeatBlock, label: PCRConst.translatedObjectTypeHeatBlock},
                {kind: PCRConst.objectTypeLinearRamp, label: PCRConst.translatedObjectTypeLinearRamp}
            ]
            delegate: AppButton {
                objectName: "add" + modelData.kind.replace(" ", "")
                text: modelData.label
                leftPadding: 10
                rightPadding: 10
                implicitWidth: Math.max(70, contentItem.implicitWidth + leftPadding + rightPadding)
                enabled: ProtocolFieldRules.canAddStep(dialog.usedSteps, modelData.kind)
                onClicked: dialog.addStep(modelData.kind)
            }
        }
    }

    ConfirmationWindow {
        id: deleteConfirmation
        objectName: "deleteConfirmation"

        property int row: -1

        text: qsTr("Are you sure you want to delete this step?")
        onAccepted: {
            stepList.revealedRow = -1
            dialog.steps.remove(row)
            dialog.recountSteps()
        }
    }
}
