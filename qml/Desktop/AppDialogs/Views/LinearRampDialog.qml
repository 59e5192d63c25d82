import QtQuick 2.15
import PCR.Program 1.0
import Utils 1.0

// Creates or edits a linear-ramp protocol: from one temperature to another
// in a number of minutes.
ProtocolEditorFrame {
    id: dialog

    function addDefaultStep() { steps.append(PCRConst.objectTypeLinearRamp) }
    function stepsText() {
        return ProtocolFieldRules.linearRampStepsText(steps.value(0, PCRConst.time),
                                                      steps.value(0, PCRConst.startTemp),
                                                      steps.value(0, PCRConst.finalTemp))
    }

    newTitle: qsTr("New Linear Ramp protocol")
    editTitle: qsTr("Edit Linear Ramp protocol")
    programType: ProgramType.PT_LINEAR_RAMP
    frameWidth: 480
    initialHeight: 300
    maxHeight: 300

    EditorStepList {
        id: stepList
        objectName: "stepList"
        anchors.fill: parent
        steps: dialog.steps
    }
}
