import QtQuick 2.15
import QtQuick.Window 2.15
import Common.AppStyle 1.0

// The dialog host: a layer over the whole window that shows one dialog at a
// time over a half-black cover swallowing the mouse. A dialog is a component
// with a `dialogId` property and a `finished(senderDialogId)` signal; a
// newer dialog replaces the shown one, and requests carrying the id of a
// replaced dialog are ignored. A wait dialog may queue the dialog to show
// after it; the queue is served by whichever dialog finishes next.
Item {
    id: host

    property int dialogId: 0
    readonly property Item currentDialog: holder.dialog
    readonly property bool followUpQueued: queued.component !== null

    function show(component, properties) {
        // A component, or the address of one (a queued follow-up is often given by address).
        const source = typeof component.createObject === "function"
                ? component : Qt.createComponent(String(component))
        if (source.status !== Component.Ready) {
            console.warn("Dialog not shown:", source.errorString())
            return
        }
        dialogId += 1
        removeCurrent()
        const initial = Object.assign({}, properties || {}, { dialogId: dialogId })
        const dialog = source.createObject(holder, initial)
        if (!dialog) {
            console.warn("Dialog not created:", source.errorString())
            close()
            return
        }
        dialog.anchors.centerIn = holder
        dialog.finished.connect(dialogFinished)
        holder.dialog = dialog
        visible = true
        dialog.forceActiveFocus()
    }

    function showWait(postUrl, postProperties, waitInterval) {
        queued.component = postUrl
        queued.properties = postProperties || {}
        show(waitDialog, { interval: waitInterval })
    }

    function dialogFinished(senderDialogId) {
        if (senderDialogId !== dialogId)
            return
        if (!followUpQueued) {
            close()
            return
        }
        const next = queued.component
        const nextProperties = queued.properties
        clearQueue()
        show(next, nextProperties)
    }

    function closeDialog(senderDialogId) {
        if (senderDialogId === dialogId)
            close()
    }

    function close() {
        visible = false
        removeCurrent()
        clearQueue()
    }

    function removeCurrent() {
        if (!holder.dialog)
            return
        holder.dialog.visible = false
        holder.dialog.destroy()
        holder.dialog = null
    }

    function clearQueue() {
        queued.component = null
        queued.properties = {}
    }

    function isInDialog(item) {
        for (let ancestor = item; ancestor; ancestor = ancestor.parent) {
            if (ancestor === holder.dialog)
                return true
        }
        return false
    }

    function firstInDialog() {
        const first = holder.dialog.nextItemInFocusChain(true)
        return isInDialog(first) ? first : holder.dialog
    }

    function lastInDialog() {
        let last = firstInDialog()
        for (let step = 0; step < 1000; ++step) {
            const next = last.nextItemInFocusChain(true)
            if (!next || next === last || !isInDialog(next))
                break
            last = next
        }
        return last
    }

    // An item of the pages under the cover; message windows over the whole
    // window (the overlay's pop-ups) are not.
    function isBehindCover(item) {
        for (let ancestor = item; ancestor; ancestor = ancestor.parent) {
            if (ancestor === host)
                return false
            if (ancestor === host.parent)
                return true
        }
        return false
    }

    // Tab and Backtab cycle inside the dialog: the pages behind the cover
    // take no keys, as they take no clicks. Focused items move the keyboard
    // on Tab themselves, so focus that left the dialog is brought back.
    function keepFocusInDialog(item) {
        if (!holder.dialog || !item)
            return
        if (isInDialog(item)) {
            lastFocused = item.activeFocusOnTab ? item : null
            return
        }
        if (!isBehindCover(item))
            return
        // Backtab from a stop of the dialog; anything else wraps forwards.
        const backward = lastFocused !== null && lastFocused.nextItemInFocusChain(false) === item
        lastFocused = null
        // Once the window has finished moving the focus.
        Qt.callLater(bringFocusBack, backward)
    }

    function bringFocusBack(backward) {
        if (!holder.dialog)
            return
        const target = backward ? lastInDialog() : firstInDialog()
        target.forceActiveFocus(backward ? Qt.BacktabFocusReason : Qt.TabFocusReason)
    }

    // The dialog's keyboard stop that had the keyboard last, if it was one.
    property Item lastFocused: null

    Connections {
        target: host.Window.window
        enabled: host.visible
        function onActiveFocusItemChanged() {
            host.keepFocusInDialog(host.Window.activeFocusItem)
        }
    }

    visible: false

    QtObject {
        id: queued
        property var component: null
        property var properties: ({})
    }

    Rectangle {
        anchors.fill: parent
        color: AppStyle.coverColor
    }

    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
        acceptedButtons: Qt.AllButtons
        onWheel: wheel.accepted = true
    }

    Item {
        id: holder
        objectName: "dialogHolder"
        property Item dialog: null
        anchors.fill: parent
    }

    Component {
        id: waitDialog
        WaitDialog {}
    }
}
