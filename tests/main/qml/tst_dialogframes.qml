import QtQuick 2.15
import QtTest 1.15
import Desktop.AppDialogs.Controls 1.0
import Desktop.AppDialogs.Windows 1.0

// The dialog frame's closing, the question dialog's buttons and the run
// question's calls into the core, over a stand-in core that records them.
TestCase {
    id: testCase
    name: "DialogFrames"
    width: 800
    height: 600
    visible: true
    when: windowShown

    Component {
        id: recordingCore
        QtObject {
            property var calls: []
            property int runResult: 0
            function runProgram(programId, force, deviceId) {
                calls.push("runProgram " + programId + " " + force + " " + deviceId)
                return runResult
            }
            function setMultiUploadForAll() { calls.push("setMultiUploadForAll") }
            function uploadSelection() { calls.push("uploadSelection") }
            function runOnDevice(programId, deviceId) {
                calls.push("runOnDevice " + programId + " " + deviceId)
            }
        }
    }

    Component {
        id: frameComponent
        AbstractDialogFrame {
            dialogId: 7
            title: "Frame"
        }
    }

    Component {
        id: questionComponent
        RunQuestionDialog {
            dialogId: 3
            protocolId: 11
            deviceId: 22
            title: "Run"
            text: "Run it?"
        }
    }

    Component {
        id: longProtocolComponent
        LongProtocolWarning {
            dialogId: 5
            machineName: "vela8 in the lab"
            deviceId: 22
            programId: 11
        }
    }

    SignalSpy {
        id: finishedSpy
        signalName: "finished"
    }

    function findNamed(item, objectName) {
        for (let i = 0; i < item.children.length; ++i) {
            const child = item.children[i]
            if (child.objectName === objectName)
                return child
            const found = findNamed(child, objectName)
            if (found)
                return found
        }
        return null
    }

    function clickNamed(root, objectName) {
        const button = findNamed(root, objectName)
        verify(button, objectName)
        verify(button.visible, objectName + " visible")
        mouseClick(button)
    }

    function createWatched(component, properties) {
        const dialog = createTemporaryObject(component, testCase, properties || {})
        verify(dialog)
        finishedSpy.clear()
        finishedSpy.target = dialog
        waitForRendering(dialog)
        return dialog
    }

    function test_frameIsNoLargerThanTheWindow() {
        const frame = createWatched(frameComponent, { frameWidth: 2000, frameHeight: 300 })
        compare(frame.width, testCase.width)
        compare(frame.height, 300)
    }

    function test_closesAtOnceWithoutConfirmation_data() {
        return [ { tag: "cross", key: false }, { tag: "Escape", key: true } ]
    }

    function test_closesAtOnceWithoutConfirmation(data) {
        const frame = createWatched(frameComponent)
        if (data.key) {
            frame.forceActiveFocus()
            keyClick(Qt.Key_Escape)
        } else {
            clickNamed(frame, "closeCross")
        }
        compare(finishedSpy.count, 1)
        compare(finishedSpy.signalArguments[0][0], 7)
    }

    function test_asksBeforeClosingWhenTheDialogWantsIt_data() {
        return [ { tag: "Yes closes", accept: true }, { tag: "No stays", accept: false } ]
    }

    function test_asksBeforeClosingWhenTheDialogWantsIt(data) {
        const frame = createWatched(frameComponent)
        // Editors decide on the announcement whether anything changed.
        frame.aboutToClose.connect(function() { frame.confirmClose = true })
        clickNamed(frame, "closeCross")
        compare(finishedSpy.count, 0)

        const confirmation = frame.closeConfirmation
        tryVerify(function() { return confirmation.opened })
        compare(findNamed(confirmation.contentItem, "warningText").text,
                "Changes will not be saved.\n Are you sure you want to close?")
        clickNamed(confirmation.contentItem, data.accept ? "acceptButton" : "rejectButton")

        compare(finishedSpy.count, data.accept ? 1 : 0)
        tryVerify(function() { return !confirmation.visible })
    }

    function test_yesToAllOnlyForAMultiUpload_data() {
        return [ { tag: "single machine", multiUpload: false },
                 { tag: "multi upload", multiUpload: true } ]
    }

    function test_yesToAllOnlyForAMultiUpload(data) {
        const dialog = createWatched(questionComponent, { core: createTemporaryObject(recordingCore, testCase),
                                                          multiUpload: data.multiUpload })
        compare(findNamed(dialog, "yesToAllButton").visible, data.multiUpload)
        verify(findNamed(dialog, "yesButton").visible)
        verify(findNamed(dialog, "noButton").visible)
    }

    function test_runQuestionCallsTheCore_data() {
        return [
            { tag: "Yes", button: "yesButton", runResult: 0,
              calls: ["runProgram 11 true 22", "uploadSelection"] },
            { tag: "Yes, too long for a vela8", button: "yesButton", runResult: 6,
              calls: ["runProgram 11 true 22"] },
            { tag: "Yes to All", button: "yesToAllButton", runResult: 0,
              calls: ["setMultiUploadForAll", "runProgram 11 true 22", "uploadSelection"] },
            { tag: "No", button: "noButton", runResult: 0, calls: ["uploadSelection"] },
            { tag: "cross", button: "closeCross", runResult: 0, calls: ["uploadSelection"] }
        ]
    }

    function test_runQuestionCallsTheCore(data) {
        const core = createTemporaryObject(recordingCore, testCase, { runResult: data.runResult })
        const dialog = createWatched(questionComponent, { core: core, multiUpload: true })
        clickNamed(dialog, data.button)
        compare(core.calls, data.calls)
        compare(finishedSpy.count, 1)
        compare(finishedSpy.signalArguments[0][0], 3)
    }

    function test_longProtocolWarning_data() {
        return [
            { tag: "Continue", button: "continueButton", calls: ["runOnDevice 11 22", "uploadSelection"] },
            { tag: "Cancel", button: "cancelButton", calls: ["uploadSelection"] }
        ]
    }

    function test_longProtocolWarning(data) {
        const core = createTemporaryObject(recordingCore, testCase)
        const dialog = createWatched(longProtocolComponent, { core: core })
        compare(dialog.title, "vela8 in the lab")
        clickNamed(dialog, data.button)
        compare(core.calls, data.calls)
        compare(finishedSpy.count, 1)
        compare(finishedSpy.signalArguments[0][0], 5)
    }
}
