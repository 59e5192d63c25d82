import QtQuick 2.15
import PCR.Program 1.0

// Creates or edits a PCR protocol: one PCR step with its five stages.
ProtocolEditorFrame {
    id: dialog

    function addDefaultStep() { steps.append(PCRConst.objectTypePCR) }

    newTitle: qsTr("New PCR protocol")
    editTitle: qsTr("Edit PCR protocol")
    programType: ProgramType.PT_PCR
    frameWidth: 560
    initialHeight: 230
    maxHeight: 650
    growth: stepList.contentHeight

    EditorStepList {
        id: stepList
        objectName: "stepList"
        anchors.fill: parent
        steps: dialog.steps
    }
}
