import QtQuick 2.15
import QtTest 1.15
import PCR.Program 1.0
import Common.AppStyle 1.0
import Desktop.AppViews 1.0

// The library list on a model of its own: rows, their marks and actions,
// and the round add menu.
TestCase {
    id: testCase
    name: "LibraryList"
    width: 900
    height: 500
    when: windowShown
    visible: true

    Component {
        id: protocolsComponent
        ListModel {
            ListElement { programId: 11; protocolName: "Plain"; isFavorite: false; programType: 1; nowRunning: false; supportedByV1Device: true }
            ListElement { programId: 12; protocolName: "Running flex"; isFavorite: true; programType: 4; nowRunning: true; supportedByV1Device: false }
            ListElement { programId: 13; protocolName: "Third"; isFavorite: false; programType: 2; nowRunning: false; supportedByV1Device: true }
        }
    }

    Component {
        id: listComponent
        LibraryList {
            width: testCase.width
            height: testCase.height
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    function createList() {
        var model = createTemporaryObject(protocolsComponent, testCase)
        var list = createTemporaryObject(listComponent, testCase, { model: model })
        verify(list)
        waitForRendering(list)
        return list
    }

    function rowAt(list, index) {
        return list.view.itemAtIndex(index)
    }

    function child(item, name) {
        return findChild(item, name)
    }

    function spy(target, signalName) {
        return createTemporaryObject(spyComponent, testCase, { target: target, signalName: signalName })
    }

    function test_rowsShowTheirMarks() {
        var list = createList()
        compare(list.currentIndex, -1, "no row current at first")
        var plain = rowAt(list, 0)
        var running = rowAt(list, 1)
        compare(child(plain, "protocolName").text, "Plain")
        compare(child(running, "protocolName").text, "Running flex (Running...)")
        verify(!child(plain, "flexTag").visible)
        verify(child(running, "flexTag").visible)
        compare(child(running, "flexTag").text, "[FLEX]")
        verify(!child(plain, "largeModelLabel").visible)
        verify(child(running, "largeModelLabel").visible)
        compare(child(running, "largeModelLabel").opacity, 0.4)
        compare(child(plain, "favoriteStar").starred, false)
        compare(child(running, "favoriteStar").starred, true)
        compare(String(plain.color), "#00000000")
        compare(running.color, AppStyle.runningRowColor)
        compare(String(child(plain, "protocolName").color), "#ffffff")
        verify(!child(plain, "rowActions").visible)
    }

    function test_clickMakesTheRowCurrent() {
        var list = createList()
        var running = rowAt(list, 1)
        mouseClick(running, 300, running.height / 2)
        compare(list.currentIndex, 1)
        compare(running.color, AppStyle.selectedRowColor)
        compare(child(running, "protocolName").color, AppStyle.currentRowTextColor)
        verify(child(running, "protocolName").font.underline)
        compare(child(running, "largeModelLabel").opacity, 1)
        verify(child(running, "rowActions").visible)
        verify(!child(rowAt(list, 0), "rowActions").visible)
    }

    function test_starWritesTheNegation() {
        var list = createList()
        var star = child(rowAt(list, 0), "favoriteStar")
        mouseClick(star)
        compare(list.model.get(0).isFavorite, true)
        compare(star.starred, true)
        mouseClick(star)
        compare(list.model.get(0).isFavorite, false)
    }

    function test_actionsNameTheCurrentProtocol_data() {
        return [
            { tag: "run", button: "runButton", signalName: "runRequested" },
            { tag: "edit", button: "editButton", signalName: "editRequested" },
            { tag: "copy", button: "copyButton", signalName: "copyRequested" },
            { tag: "delete", button: "deleteButton", signalName: "deleteRequested" }
        ]
    }

    function test_actionsNameTheCurrentProtocol(data) {
        var list = createList()
        var actions = spy(list, data.signalName)
        list.selectRow(2)
        var button = child(rowAt(list, 2), data.button)
        verify(button.visible)
        mouseClick(button)
        compare(actions.count, 1)
        compare(actions.signalArguments[0][0], 13)
    }

    function test_actionsMoveClearOfTheAddButton() {
        var list = createList()
        var menu = child(list, "libraryAddMenu")
        list.selectRow(0)
        waitForRendering(list)
        var first = rowAt(list, 0)
        var actions = child(first, "rowActions")
        var button = child(list, "addButton")
        var right = actions.mapToItem(list, actions.width, 0).x
        verify(right <= button.mapToItem(list, 0, 0).x - 5, "actions end left of the add button")

        list.selectRow(2)
        waitForRendering(list)
        var third = rowAt(list, 2)
        var thirdActions = child(third, "rowActions")
        var shifted = thirdActions.mapToItem(list, thirdActions.width, 0).x
        compare(right + menu.buttonSize + 5, shifted, "a row clear of the button keeps its place")
    }

    // At the smallest window the list is about 416 wide.
    function test_actionsGoUnderTheNameWhenTheyDoNotFit_data() {
        return [
            { tag: "wide", width: 900, below: false },
            { tag: "smallest window", width: 416, below: true }
        ]
    }

    function test_actionsGoUnderTheNameWhenTheyDoNotFit(data) {
        var model = createTemporaryObject(protocolsComponent, testCase)
        var list = createTemporaryObject(listComponent, testCase, { model: model, width: data.width })
        list.selectRow(0)
        waitForRendering(list)
        var row = rowAt(list, 0)
        var actions = child(row, "rowActions")
        var button = child(list, "addButton")
        var name = child(row, "protocolName")
        compare(actions.y >= name.mapToItem(row, 0, name.height).y, data.below)
        compare(row.height > 60, data.below)
        verify(actions.mapToItem(list, actions.width, 0).x <= button.mapToItem(list, 0, 0).x - 5,
               "actions end left of the add button")
        verify(actions.mapToItem(list, 0, 0).x >= 0, "every action is on screen")
        verify(name.width >= Math.min(name.implicitWidth, 100), "the name stays readable")
        list.selectRow(1)
        waitForRendering(list)
        compare(row.height, 60, "a row that is no longer current is one line again")
    }

    function test_addButtonTogglesInsideItsCircleOnly() {
        var list = createList()
        var button = child(list, "addButton")
        mouseClick(button, 2, 2)
        verify(!list.addMenuOpen, "a corner of the square is outside the circle")
        mouseClick(button)
        verify(list.addMenuOpen)
        verify(button.red)
        mouseClick(button)
        verify(!list.addMenuOpen)
        verify(!button.red)
    }

    function test_addButtonByKeyboardTurnsRed() {
        var list = createList()
        var button = child(list, "addButton")
        compare(button.color, AppStyle.buttonColor)
        button.forceActiveFocus()
        keyClick(Qt.Key_Space)
        verify(list.addMenuOpen)
        compare(button.color, AppStyle.redButtonColor)
        keyClick(Qt.Key_Escape)
        verify(!list.addMenuOpen)
    }

    function test_addChoicesCloseTheMenu_data() {
        return [
            { tag: "pcr", name: "add_pcr", type: ProgramType.PT_PCR },
            { tag: "heat block", name: "add_heatBlock", type: ProgramType.PT_HEAT_BLOCK },
            { tag: "linear ramp", name: "add_linearRamp", type: ProgramType.PT_LINEAR_RAMP },
            { tag: "flex", name: "add_flex", type: ProgramType.PT_FLEX }
        ]
    }

    function test_addChoicesCloseTheMenu(data) {
        var list = createList()
        var requests = spy(list, "newProtocolRequested")
        list.addMenuOpen = true
        mouseClick(child(list, data.name))
        verify(!list.addMenuOpen)
        compare(requests.count, 1)
        compare(requests.signalArguments[0][0], data.type)
    }

    function test_clickOnTheListClosesTheAddMenu() {
        var list = createList()
        list.addMenuOpen = true
        mouseClick(list, 100, 100)
        verify(!list.addMenuOpen)
    }

    Component {
        id: sortSelector
        LibrarySortSelector {
            entries: [{ key: "used", text: "Most used" }, { key: "az", text: "A-Z" }]
            currentKey: "used"
        }
    }

    // Given less room than its label and box need (a long title in the
    // smallest window), it drops the label rather than overflow.
    function test_sortSelectorFitsTheRoomItIsGiven_data() {
        return [
            { tag: "roomy", width: 400, labelShown: true, boxWidth: 130 },
            { tag: "narrow", width: 127, labelShown: false, boxWidth: 127 }
        ]
    }

    function test_sortSelectorFitsTheRoomItIsGiven(data) {
        const selector = createTemporaryObject(sortSelector, testCase, { width: data.width })
        const box = findChild(selector, "sortBox")
        compare(findChild(selector, "sortLabel").visible, data.labelShown)
        compare(box.width, data.boxWidth)
        verify(box.x + box.width <= selector.width)
    }
}
