import QtQuick 2.15
import QtQuick.Controls 2.15
import PCR.Program 1.0
import Common.AppStyle 1.0

// The library's protocols, the current one with its actions, and the round
// add button over the top right of the list.
Item {
    id: library

    property alias model: list.model
    property alias currentIndex: list.currentIndex
    property alias addMenuOpen: addMenu.open
    readonly property alias view: list
    // Rows and the add button keep the same distance from the right edge,
    // so that moving the actions by the button's width clears it.
    readonly property int sideMargin: 12

    signal runRequested(int programId)
    signal editRequested(int programId)
    signal copyRequested(int programId)
    signal deleteRequested(int programId)
    signal newProtocolRequested(int programType)

    // Makes the row at that index current; -1 leaves none.
    function selectRow(row) {
        list.currentIndex = row
    }

    function showCurrentRow() {
        if (list.currentIndex >= 0)
            list.positionViewAtIndex(list.currentIndex, ListView.Contain)
    }

    ListView {
        id: list
        objectName: "libraryListView"
        anchors.fill: parent
        clip: true
        currentIndex: -1
        highlightFollowsCurrentItem: false
        keyNavigationEnabled: true
        activeFocusOnTab: true
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {}
        onCurrentIndexChanged: library.showCurrentRow()
        onCurrentItemChanged: library.showCurrentRow()

        delegate: LibraryRow {
            width: ListView.view.width
            sideMargin: library.sideMargin
            programId: model.programId
            protocolName: model.protocolName
            favorite: model.isFavorite
            running: model.nowRunning
            flex: model.programType === ProgramType.PT_FLEX
            largeModelOnly: !model.supportedByV1Device
            current: ListView.isCurrentItem
            actionsShift: current && library.liesUnderAddButton(y - ListView.view.contentY, height)
                          ? addMenu.buttonSize + 5 : 0
            onHeightChanged: if (current) library.showCurrentRow()
            onSelected: {
                library.addMenuOpen = false
                library.selectRow(index)
            }
            onFavoriteToggled: model.isFavorite = !favorite
            onRunClicked: library.runRequested(programId)
            onEditClicked: library.editRequested(programId)
            onCopyClicked: library.copyRequested(programId)
            onDeleteClicked: library.deleteRequested(programId)
        }
    }

    function liesUnderAddButton(rowTop, rowHeight) {
        var buttonTop = addMenu.y
        var buttonBottom = addMenu.y + addMenu.buttonSize
        return rowTop < buttonBottom && rowTop + rowHeight > buttonTop
    }

    // While the add menu is open, a click on the list only closes it.
    MouseArea {
        anchors.fill: list
        enabled: addMenu.open
        onClicked: addMenu.open = false
    }

    LibraryAddMenu {
        id: addMenu
        objectName: "libraryAddMenu"
        anchors.top: parent.top
        anchors.right: parent.right
        anchors.topMargin: 6
        anchors.rightMargin: library.sideMargin
        onKindChosen: library.newProtocolRequested(programType)
    }
}
