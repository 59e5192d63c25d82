import QtQuick 2.15
import QtTest 1.15
import Common.AppStyle 1.0
import Common.AppDataTypes 1.0
import Desktop.AppControls 1.0

// The option menu: its entries on the desktop, each page's disabled set,
// and what choosing does.
TestCase {
    id: testCase
    name: "PageMenu"
    width: 800
    height: 600
    visible: true
    when: windowShown

    Component {
        id: menuComponent
        PageMenu {}
    }

    SignalSpy {
        id: selectedSpy
        signalName: "selected"
    }

    function openMenu(disabledKeys) {
        const menu = createTemporaryObject(menuComponent, testCase, { disabledKeys: disabledKeys })
        verify(menu)
        selectedSpy.clear()
        selectedSpy.target = menu
        menu.open()
        tryVerify(function() { return menu.opened })
        return menu
    }

    function entry(menu, key) {
        const list = menu.contentItem
        for (let i = 0; i < list.count; ++i) {
            const item = list.itemAtIndex(i)
            if (item && item.objectName === "pageMenu_" + key)
                return item
        }
        return null
    }

    function test_desktopEntries() {
        const menu = openMenu([])
        compare(menu.entries.map(function(e) { return e.key }),
                ["library_import", "library_export", "run_data_export", "language", "version"])
        compare(menu.entries[4].text, "Version " + Qt.application.version + ":" + PCRConst.applicationVersion)
        compare(menu.contentItem.currentIndex, PCRConst.nullValue, "nothing selected on opening")
    }

    function test_disabledSetsPerPage_data() {
        return [
            { tag: "library, empty", keys: PageMenuKeys.libraryDisabledKeys(true),
              enabled: ["library_import", "language", "version"] },
            { tag: "library, not empty", keys: PageMenuKeys.libraryDisabledKeys(false),
              enabled: ["library_import", "library_export", "language", "version"] },
            { tag: "devices", keys: PageMenuKeys.devicesDisabledKeys(),
              enabled: ["language", "version"] },
            { tag: "running, a tab", keys: PageMenuKeys.runningDisabledKeys(true),
              enabled: ["run_data_export", "language", "version"] },
            { tag: "running, no tab", keys: PageMenuKeys.runningDisabledKeys(false),
              enabled: ["language", "version"] }
        ]
    }

    function test_disabledSetsPerPage(data) {
        const menu = openMenu(data.keys)
        for (let i = 0; i < menu.entries.length; ++i) {
            const key = menu.entries[i].key
            const item = entry(menu, key)
            verify(item, key)
            const shouldBeEnabled = data.enabled.indexOf(key) >= 0
            compare(item.enabled, shouldBeEnabled, key)
            compare(Qt.colorEqual(item.contentItem.color, AppStyle.textDisabledColor), !shouldBeEnabled,
                    key + " colour")
        }
    }

    function test_choosing_data() {
        return [
            { tag: "enabled entry", key: "language", emitted: true },
            { tag: "disabled entry", key: "library_export", emitted: false }
        ]
    }

    function test_choosing(data) {
        const menu = openMenu(PageMenuKeys.libraryDisabledKeys(true))
        mouseClick(entry(menu, data.key))
        compare(selectedSpy.count, data.emitted ? 1 : 0)
        if (data.emitted) {
            compare(selectedSpy.signalArguments[0][0], data.key)
            tryVerify(function() { return !menu.visible })
        } else {
            verify(menu.visible)
        }
    }

    function test_keyboardChoice() {
        const menu = openMenu([])
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Return)
        compare(selectedSpy.count, 1)
        compare(selectedSpy.signalArguments[0][0], "library_export")
    }
}
