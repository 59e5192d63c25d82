import QtQuick 2.15
import QtTest 1.15
import Common.AppStyle 1.0
import Desktop.AppControls 1.0

// The main menu: the current entry's marks and the running-count badge.
TestCase {
    id: testCase
    name: "MainMenu"
    width: 300
    height: 400
    visible: true
    when: windowShown

    Component {
        id: menuComponent
        MainMenu {
            width: 224
        }
    }

    SignalSpy {
        id: selectedSpy
        signalName: "entrySelected"
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

    function createMenu(properties) {
        const menu = createTemporaryObject(menuComponent, testCase, properties)
        verify(menu)
        selectedSpy.clear()
        selectedSpy.target = menu
        return menu
    }

    function test_badge_data() {
        return [
            { tag: "nothing runs", count: 0, colour: AppStyle.badgeIdleColor },
            { tag: "two run", count: 2, colour: AppStyle.redButtonColor }
        ]
    }

    function test_badge(data) {
        const menu = createMenu({ runningCount: data.count })
        const badge = findNamed(findNamed(menu, "mainMenu_running"), "runningBadge")
        verify(badge.visible)
        compare(badge.count, data.count)
        verify(Qt.colorEqual(badge.color, data.colour))
        verify(!findNamed(findNamed(menu, "mainMenu_library"), "runningBadge").visible,
               "only the running entry has a badge")
    }

    function test_currentEntry() {
        const menu = createMenu({ currentKey: "devices" })
        const current = findNamed(menu, "mainMenu_devices")
        const other = findNamed(menu, "mainMenu_library")
        verify(current.current)
        verify(Qt.colorEqual(current.textColor, AppStyle.linkActiveColor))
        verify(Qt.colorEqual(current.background.color, AppStyle.currentMenuEntryColor))
        verify(!other.current)
        verify(Qt.colorEqual(other.textColor, AppStyle.textActiveColor))
    }

    function test_clickAndKeyboardSelect() {
        const menu = createMenu({ currentKey: "library" })
        mouseClick(findNamed(menu, "mainMenu_running"))
        compare(selectedSpy.count, 1)
        compare(selectedSpy.signalArguments[0][0], "running")

        findNamed(menu, "mainMenu_devices").forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Return)
        compare(selectedSpy.count, 2)
        compare(selectedSpy.signalArguments[1][0], "devices")
    }
}
