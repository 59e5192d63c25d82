import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15
import QtTest 1.15
import Desktop.AppDialogs.Controls 1.0

// The dialog host: one dialog at a time, the wait dialog's follow-up, close
// requests of replaced dialogs ignored, and the keyboard kept in the dialog.
TestCase {
    id: testCase
    name: "DialogHost"
    width: 800
    height: 600
    visible: true
    when: windowShown

    property QtObject replacedWait: null

    // The smallest dialog the host accepts: an id and a way to finish.
    Component {
        id: plainDialog
        Rectangle {
            property int dialogId: -1
            property string label
            signal finished(int senderDialogId)
            width: 100
            height: 50
        }
    }

    // Two keyboard stops, and something behind the cover that takes the keyboard too.
    Component {
        id: twoStopDialog
        Item {
            property int dialogId: -1
            readonly property alias first: first
            readonly property alias second: second
            signal finished(int senderDialogId)
            width: 200
            height: 50
            Rectangle { id: first; activeFocusOnTab: true; width: 50; height: 20 }
            Rectangle { id: second; x: 60; activeFocusOnTab: true; width: 50; height: 20 }
        }
    }
    Component {
        id: behindCover
        Rectangle { activeFocusOnTab: true; width: 10; height: 10 }
    }

    Component {
        id: messageWindow
        Popup {
            readonly property alias field: field
            focus: true
            Rectangle { id: field; focus: true; activeFocusOnTab: true; width: 10; height: 10 }
        }
    }

    function createHost() {
        const host = createTemporaryObject(hostComponent, testCase)
        verify(host)
        return host
    }

    Component {
        id: hostComponent
        AppDialog {
            anchors.fill: parent
        }
    }

    function test_showsOneDialogAtATime() {
        const host = createHost()
        verify(!host.visible)

        host.show(plainDialog, { label: "first" })
        const first = host.currentDialog
        compare(first.label, "first")
        compare(first.dialogId, host.dialogId)
        verify(host.visible)
        compare(first.x, (host.width - first.width) / 2, "centred")

        host.show(plainDialog, { label: "second" })
        compare(host.currentDialog.label, "second")
        compare(host.dialogId, first.dialogId + 1)
        verify(!first.visible, "the first one is replaced")

        host.currentDialog.finished(host.dialogId)
        verify(!host.visible)
        compare(host.currentDialog, null)
    }

    function test_ignoresRequestsOfReplacedDialogs_data() {
        return [
            { tag: "finished", finish: true },
            { tag: "closeDialog", finish: false }
        ]
    }

    function test_ignoresRequestsOfReplacedDialogs(data) {
        const host = createHost()
        host.show(plainDialog, { label: "old" })
        const staleId = host.dialogId
        host.show(plainDialog, { label: "new" })

        if (data.finish)
            host.dialogFinished(staleId)
        else
            host.closeDialog(staleId)
        verify(host.visible)
        compare(host.currentDialog.label, "new")

        host.closeDialog(host.dialogId)
        verify(!host.visible)
    }

    function test_waitDialogShowsItsFollowUp() {
        const host = createHost()
        host.showWait(plainDialog, { label: "after the wait" }, 200)
        verify(host.followUpQueued)
        verify(host.currentDialog.label === undefined, "the wait dialog comes first")

        tryVerify(function() { return host.currentDialog && host.currentDialog.label === "after the wait" },
                  5000, "the follow-up appears without any action")
        verify(!host.followUpQueued)
        verify(host.visible)
    }

    function test_dialogShownDuringTheWaitIsServedFirst() {
        const host = createHost()
        host.showWait(plainDialog, { label: "queued" }, 100)
        replacedWait = host.currentDialog
        host.show(plainDialog, { label: "meanwhile" })

        // The wait dialog goes, and its timer with it.
        tryVerify(function() { return replacedWait === null }, 5000)
        compare(host.currentDialog.label, "meanwhile")
        verify(host.followUpQueued)

        host.currentDialog.finished(host.dialogId)
        compare(host.currentDialog.label, "queued")
        verify(!host.followUpQueued)
    }

    function test_closeClearsTheQueue() {
        const host = createHost()
        host.showWait(plainDialog, { label: "queued" }, 60000)
        host.closeDialog(host.dialogId)
        verify(!host.visible)
        verify(!host.followUpQueued)
    }

    function test_acceptsTheAddressOfADialog() {
        const host = createHost()
        host.show("qrc:/qml/Desktop/AppDialogs/Controls/WaitDialog.qml", { interval: 60000 })
        verify(host.visible)
        compare(host.currentDialog.interval, 60000)
    }

    function test_swallowsTheMouse() {
        let clicks = 0
        const below = createTemporaryQmlObject("import QtQuick 2.15; MouseArea { anchors.fill: parent }",
                                               testCase)
        below.clicked.connect(function() { clicks += 1 })
        const host = createHost()
        host.z = 1
        host.show(plainDialog, {})
        mouseClick(testCase, 10, 10)
        compare(clicks, 0)
    }

    function test_tabAndBacktabCycleInsideTheDialog() {
        const behind = createTemporaryObject(behindCover, testCase)
        const host = createHost()
        host.show(twoStopDialog)
        const dialog = host.currentDialog
        const focused = function() { return testCase.Window.window.activeFocusItem }

        keyClick(Qt.Key_Tab)
        tryVerify(function() { return focused() === dialog.first })
        keyClick(Qt.Key_Tab)
        tryVerify(function() { return focused() === dialog.second })
        keyClick(Qt.Key_Tab)
        tryVerify(function() { return focused() === dialog.first }, 1000,
                  "from the last stop back to the first")
        keyClick(Qt.Key_Backtab)
        tryVerify(function() { return focused() === dialog.second }, 1000,
                  "from the first stop back to the last")
        verify(!behind.activeFocus)

        host.close()
        behind.forceActiveFocus()
        verify(behind.activeFocus, "without a dialog the page takes the keyboard")
    }

    function test_aMessageWindowOverTheDialogKeepsTheKeyboard() {
        const host = createHost()
        host.show(twoStopDialog)
        keyClick(Qt.Key_Tab)
        tryVerify(function() { return host.currentDialog.first.activeFocus })

        const message = createTemporaryObject(messageWindow, testCase)
        message.open()
        tryVerify(function() { return message.field.activeFocus })
        wait(50)
        verify(message.field.activeFocus, "the dialog does not take the keyboard back")
    }
}
