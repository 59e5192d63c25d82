import QtQuick 2.15
import PCR.Program 1.0

// Creates or edits a heat-block protocol: a temperature held for a time.
ProtocolEditorFrame {
    id: dialog

    function addDefaultStep() { steps.append(PCRConst.objectTypeHeatBlock) }

    newTitle: qsTr("New Heat Block protocol")
    editTitle: qsTr("Edit Heat Block protocol")
    programType: ProgramType.PT_HEAT_BLOCK
    frameWidth: 540
    initialHeight: 235
    maxHeight: 510
    growth: stepList.contentHeight

    EditorStepList {
        id: stepList
        objectName: "stepList"
        anchors.fill: parent
        steps: dialog.steps
    }
}
