import QtQuick 2.15
import PCR.Program 1.0

// The core's question whether to run a protocol on a machine. Every answer
// lets the core go on with the next machine of a multi upload, except a run
// the core has already turned into the long-protocol warning.
QuestionDialog {
    id: dialog

    property int protocolId: -1
    property int deviceId: -1
    // The application core; a test may give a stand-in.
    property var core: PcrCore

    function runProtocol() {
        const result = core.runProgram(protocolId, true, deviceId)
        if (result !== RunResult.RPR_UNSUPPORTED_BY_V1_PROTOCOL)
            core.uploadSelection()
    }

    onAccepted: runProtocol()
    onAcceptedForAll: {
        core.setMultiUploadForAll()
        runProtocol()
    }
    onRejected: core.uploadSelection()
}
