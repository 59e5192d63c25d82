import QtQuick 2.15
import QtQuick.Controls 2.15
import Utils 1.0

// The steps of an editor, one view per step, scrolling with a permanent bar
// once they are taller than the room the dialog gives them.
Flickable {
    id: list

    property StepList steps: null
    property bool flexMode: false
    readonly property int collapsedCount: countCollapsed()
    readonly property alias delegates: repeater
    // The step kept in view while the list is laid out, -1 for none.
    property int revealedRow: -1

    signal deleteRequested(int row)

    function delegateAt(row) { return repeater.itemAt(row) }
    function countCollapsed() {
        let collapsed = 0
        for (let i = 0; i < repeater.count; ++i) {
            const item = repeater.itemAt(i)
            if (item && !item.shownExpanded)
                ++collapsed
        }
        return collapsed
    }
    function setAllExpanded(expanded) {
        for (let i = 0; i < repeater.count; ++i)
            repeater.itemAt(i).expanded = expanded
    }
    // Shows the step at the top, or the end of the list when what follows
    // is shorter than the view. The list is laid out later than a step is
    // added or expanded, so the step is kept in view until the user scrolls
    // or folds a step.
    function reveal(row) {
        revealedRow = row
        scrollTo(row)
    }
    function scrollTo(row) {
        const item = repeater.itemAt(row)
        if (item)
            contentY = Math.max(0, Math.min(item.y, contentHeight - height))
    }

    function keepRevealed() {
        if (revealedRow >= 0)
            scrollTo(revealedRow)
    }

    onContentHeightChanged: keepRevealed()
    onHeightChanged: keepRevealed()
    onMovementStarted: revealedRow = -1

    contentWidth: width
    contentHeight: column.height
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar {
        policy: list.contentHeight > list.height ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
    }

    Column {
        id: column
        width: list.width - (list.contentHeight > list.height ? 14 : 0)
        spacing: 4

        Repeater {
            id: repeater
            model: list.steps
            delegate: EditorStepDelegate {
                steps: list.steps
                row: index
                objectType: model.objectType
                flexMode: list.flexMode
                onDeleteRequested: list.deleteRequested(row)
                onToggled: list.revealedRow = -1
            }
        }
    }
}
