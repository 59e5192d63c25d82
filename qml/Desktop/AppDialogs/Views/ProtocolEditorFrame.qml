import QtQuick 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0
import Common.Utility 1.0
import Desktop.AppDialogs.Controls 1.0
import PCR.Program 1.0
import Utils 1.0
import "EditorFields.js" as EditorFields

// What the four protocol editors share: the name, the steps, saving, saving
// and running, and the question before closing with changes.
AbstractDialogFrame {
    id: editor

    property int protocolId: PCRConst.nullID
    property int programType: ProgramType.PT_INVALID
    property string newTitle
    property string editTitle
    property real initialHeight: 230
    property real maxHeight: 650
    // Height the steps need beyond the initial height.
    property real growth: 0
    // The flex editor carries a final-cooling flag and needs at least one step.
    property bool flexProtocol: false
    property bool finalCooling: PCRConst.defaultFinalCooling
    property string initialData
    property bool changed: false
    readonly property bool isNew: protocolId === PCRConst.nullID
    readonly property alias nameField: name
    readonly property alias saveButton: save
    readonly property alias saveAndRunButton: saveAndRun
    readonly property StepList steps: StepList {}
    default property alias content: body.data

    // A message shown to the user in an "Ok" warning window.
    signal warningShown(string text)
    // Saving failed because of a field of the step in this row (-1 for none).
    signal invalidStep(int row)

    // The steps as the core takes them; the linear-ramp editor writes its own.
    function stepsText() { return steps.toJson() }
    // The editor's default step when it is opened for a new protocol.
    function addDefaultStep() {}
    // Called once the steps are in place, before the initial data is recorded.
    function stepsLoaded() {}
    // Last check before the core gets the protocol (the flex editor's scan).
    function acceptsSteps() { return true }

    function uniqueName(text) { return ProtocolsModel.getUniqueProtocolName(text, protocolId) }
    function editorData(nameText) {
        return nameText + stepsText() + (flexProtocol ? String(finalCooling) : "")
    }
    function fields() { return EditorFields.fieldsIn(editor) }
    function commitFields() { fields().forEach(function(field) { field.commit() }) }
    function warn(text) {
        warningShown(text)
        okWindow.text = text
        okWindow.open()
    }

    function refusal(all) {
        if (flexProtocol && steps.count === 0)
            return qsTr("At least one step must be added.")
        if (all.some(function(field) { return field.belowMinimum }))
            return qsTr("Temperatures below 25 %1 cannot be programmed.").arg(AppStyle.degreeSymbol)
        return qsTr("The form is filled incorrectly. Please correct the highlighted fields.")
    }

    // Saves the protocol; its id, or nullID when something refused it.
    function saveProtocol() {
        name.text = uniqueName(name.text)
        const all = fields()
        const invalid = all.filter(function(field) { return !field.valid })
        if (invalid.length > 0 || (flexProtocol && steps.count === 0)) {
            warn(refusal(all))
            const inStep = invalid.filter(function(field) { return field.row !== undefined })
            invalidStep(inStep.length > 0 ? inStep[0].row : -1)
            return PCRConst.nullID
        }
        commitFields()
        if (!acceptsSteps())
            return PCRConst.nullID
        if (isNew) {
            protocolId = flexProtocol
                    ? PcrCore.addProgram(name.text, stepsText(), programType, finalCooling)
                    : PcrCore.addProgram(name.text, stepsText(), programType)
        } else if (flexProtocol) {
            PcrCore.editProgram(protocolId, name.text, stepsText(), finalCooling)
        } else {
            PcrCore.editProgram(protocolId, name.text, stepsText())
        }
        return protocolId
    }

    function saveAndClose() {
        if (saveProtocol() !== PCRConst.nullID)
            finish()
    }

    function saveAndRunProtocol() {
        const id = saveProtocol()
        if (id === PCRConst.nullID)
            return
        // The wait and run dialogs take the editor's place in the host.
        if (PcrCore.runProgram(id, false) === RunResult.RPR_NO_DEVICE_SELECTED)
            AppWindow.showWaitDialog("qrc:/qml/Desktop/AppDialogs/Views/RunDialog.qml",
                                     {protocolId: id}, 2000)
        else
            finish()
    }

    function noteChanges() {
        if (isNew && changed)
            return
        commitFields()
        changed = editorData(name.text) !== initialData
                || fields().some(function(field) { return !field.valid })
    }

    title: isNew ? newTitle : editTitle
    frameHeight: Math.min(initialHeight + growth, maxHeight)
    confirmClose: changed
    onAboutToClose: noteChanges()

    Component.onCompleted: {
        name.text = uniqueName(ProtocolsModel.getProgramNameById(protocolId))
        if (isNew)
            addDefaultStep()
        else
            steps.load(ProtocolsModel.getProgramById(protocolId))
        stepsLoaded()
        initialData = editorData(name.text)
        name.forceActiveFocus()
        if (isNew)
            name.selectAll()
    }

    DialogTextField {
        id: name
        objectName: "nameField"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        KeyNavigation.backtab: saveAndRun
        onActiveFocusChanged: text = editor.uniqueName(text)
    }

    Item {
        id: body
        anchors.top: name.bottom
        anchors.topMargin: 12
        anchors.bottom: buttons.top
        anchors.bottomMargin: 12
        anchors.left: parent.left
        anchors.right: parent.right
    }

    Row {
        id: buttons
        anchors.bottom: parent.bottom
        anchors.right: parent.right
        spacing: 12

        AppButton {
            id: save
            objectName: "saveButton"
            text: qsTr("Save")
            onClicked: editor.saveAndClose()
        }
        AppButton {
            id: saveAndRun
            objectName: "saveAndRunButton"
            text: qsTr("Save and run")
            KeyNavigation.tab: name
            onClicked: editor.saveAndRunProtocol()
        }
    }

    OkWindow {
        id: okWindow
        objectName: "editorMessage"
    }
}
