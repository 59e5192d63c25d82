import QtQuick 2.15
import QtTest 1.15
import PCR.Program 1.0
import RunningProtocolsModel 1.0
import Common.AppStyle 1.0
import Desktop.Pages 1.0

// The library page over the real core and library models, with a stand-in
// for the main window that records the dialogs it is asked to show.
TestCase {
    id: testCase
    name: "LibraryPage"
    width: 1000
    height: 600
    visible: true
    when: windowShown

    property var addedIds: []

    Component {
        id: hostComponent
        QtObject {
            property var shownDialogs: []
            function showDialog(component, properties) {
                shownDialogs.push({ url: String(component.url), properties: properties })
            }
        }
    }

    Component {
        id: pageComponent
        LibraryPage {
            width: testCase.width
            height: testCase.height
        }
    }

    function heatBlock(seconds) {
        return JSON.stringify([{ objectType: "Heat Block", protocolName: "", heatedLid: true,
                                 startTemp: 95, finalTemp: 95, time: seconds }])
    }

    function addProtocol(name, seconds, type) {
        var id = PcrCore.addProgram(name, heatBlock(seconds || 60), type || ProgramType.PT_HEAT_BLOCK)
        addedIds.push(id)
        return id
    }

    function cleanup() {
        for (var i = 0; i < addedIds.length; ++i)
            PcrCore.deleteProgram(addedIds[i])
        addedIds = []
    }

    function createPage(properties) {
        var page = createTemporaryObject(pageComponent, testCase, properties || {})
        verify(page)
        page.dialogHost = createTemporaryObject(hostComponent, testCase)
        waitForRendering(page)
        return page
    }

    function child(item, name) {
        return findChild(item, name)
    }

    function currentRow(page) {
        return page.list.view.currentItem
    }

    function test_emptyLibrary() {
        compare(ProtocolsModel.count, 0, "the library starts empty")
        var page = createPage()
        verify(!child(page, "sortSelector").visible)
        verify(child(page, "emptyLibraryText").visible)
        compare(child(page, "emptyLibraryText").text, "THERE ARE NO PROTOCOLS IN THE LIBRARY.")
        compare(page.disabledMenuKeys, ["library_export", "library_share", "run_data_export"])
        verify(child(page, "addButton").visible, "protocols can still be created")

        addProtocol("First")
        verify(child(page, "sortSelector").visible)
        verify(!child(page, "emptyLibraryText").visible)
        compare(page.disabledMenuKeys, ["library_share", "run_data_export"])
    }

    function test_sortKeys_data() {
        return [
            { tag: "used", key: AppStyle.sortTypeUsed, role: SortRoles.MostUsedRole },
            { tag: "az", key: AppStyle.sortTypeAZ, role: SortRoles.AZProtocolNameRole },
            { tag: "recent", key: AppStyle.sortTypeRecent, role: SortRoles.RecentRole },
            { tag: "favorite", key: AppStyle.sortTypeFavorite, role: SortRoles.FavoriteRole }
        ]
    }

    function test_sortKeys(data) {
        addProtocol("Sorted")
        RunningProtocolsModel.setSortRole(SortRoles.NoneRole)
        var page = createPage()
        compare(page.sortType, AppStyle.sortTypeUsed, "most used by default")
        compare(RunningProtocolsModel.sortRole, SortRoles.MostUsedRole, "applied on creation")
        page.sortType = data.key
        compare(RunningProtocolsModel.sortRole, data.role)

        RunningProtocolsModel.setSortRole(SortRoles.NoneRole)
        createPage({ sortType: data.key })
        compare(RunningProtocolsModel.sortRole, data.role, "a new page applies the key it is given")
    }

    function test_sortSelectorChoosesAZ() {
        addProtocol("b")
        addProtocol("a")
        var page = createPage()
        var box = child(page, "sortBox")
        compare(box.currentText, "Most used")
        mouseClick(box)
        tryCompare(box.popup, "opened", true)
        var entry = box.popup.contentItem.itemAtIndex(1)
        compare(entry.contentItem.text, "A-Z")
        compare(box.popup.contentItem.itemAtIndex(0).contentItem.color, AppStyle.linkActiveColor)
        mouseClick(entry)
        compare(page.sortType, AppStyle.sortTypeAZ)
        compare(RunningProtocolsModel.sortRole, SortRoles.AZProtocolNameRole)
        compare(page.list.view.itemAtIndex(0).protocolName, "a")
    }

    function test_newProtocolBecomesCurrent() {
        var page = createPage()
        addProtocol("One")
        var id = addProtocol("Two")
        compare(page.list.currentIndex, RunningProtocolsModel.protocolIndex(id))
        compare(currentRow(page).protocolName, "Two")
    }

    function test_largeModelLabel() {
        var page = createPage()
        addProtocol("Long hold", 40000)
        verify(child(currentRow(page), "largeModelLabel").visible)
        addProtocol("Short hold", 300)
        verify(!child(currentRow(page), "largeModelLabel").visible)
    }

    function test_copySelectsTheCopy() {
        var page = createPage()
        var original = addProtocol("Original")
        addProtocol("Other")
        page.list.selectRow(RunningProtocolsModel.protocolIndex(original))
        waitForRendering(page)
        var count = ProtocolsModel.count
        mouseClick(child(currentRow(page), "copyButton"))
        compare(ProtocolsModel.count, count + 1)
        var copyRow = page.list.currentIndex
        verify(copyRow !== RunningProtocolsModel.protocolIndex(original))
        verify(currentRow(page).protocolName.indexOf("Original") === 0, currentRow(page).protocolName)
        addedIds.push(currentRow(page).programId)
    }

    function test_deleteRemovesAtOnce() {
        var page = createPage()
        var id = addProtocol("Doomed")
        mouseClick(child(currentRow(page), "deleteButton"))
        compare(RunningProtocolsModel.protocolIndex(id), -1)
    }

    function test_editOpensTheEditorOfItsType_data() {
        return [
            { tag: "heat block", type: ProgramType.PT_HEAT_BLOCK, editor: "HeatBlockDialog" },
            { tag: "flex", type: ProgramType.PT_FLEX, editor: "FlexDialog" }
        ]
    }

    function test_editOpensTheEditorOfItsType(data) {
        var page = createPage()
        var id = addProtocol("Edited", 60, data.type)
        mouseClick(child(currentRow(page), "editButton"))
        var shown = page.dialogHost.shownDialogs
        compare(shown.length, 1)
        compare(shown[0].url, "qrc:/qml/Desktop/AppDialogs/Views/" + data.editor + ".qml")
        compare(shown[0].properties.protocolId, id)
    }

    function test_addMenuOpensANewEditor() {
        var page = createPage()
        page.list.addMenuOpen = true
        mouseClick(child(page, "add_linearRamp"))
        var shown = page.dialogHost.shownDialogs
        compare(shown.length, 1)
        compare(shown[0].url, "qrc:/qml/Desktop/AppDialogs/Views/LinearRampDialog.qml")
        compare(shown[0].properties.protocolId, undefined, "a new protocol")
    }

    function test_editTouchdownOpensNothing() {
        var page = createPage()
        addProtocol("Touchdown", 60, ProgramType.PT_TOUCHDOWN)
        mouseClick(child(currentRow(page), "editButton"))
        compare(page.dialogHost.shownDialogs.length, 0)
    }

    function test_runWithoutMachinesAsksForOne() {
        var page = createPage()
        var id = addProtocol("To run")
        var url = "qrc:/qml/Desktop/AppDialogs/Views/RunDialog.qml"
        var available = Qt.createComponent(url).status === Component.Ready
        if (!available)
            ignoreWarning(/Dialog not available: RunDialog/)
        mouseClick(child(currentRow(page), "runButton"))
        if (available) {
            var shown = page.dialogHost.shownDialogs
            compare(shown.length, 1)
            compare(shown[0].url, url)
            compare(shown[0].properties.protocolId, id)
        }
    }
}
