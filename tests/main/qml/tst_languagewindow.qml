import QtQuick 2.15
import QtTest 1.15
import Desktop.AppDialogs.Windows 1.0

// The language window over a stand-in of the language list that records
// what the window asks of it.
TestCase {
    id: testCase
    name: "LanguageWindow"
    width: 800
    height: 600
    visible: true
    when: windowShown

    Component {
        id: modelComponent
        ListModel {
            property int highlighted: 1
            property var calls: []
            function getCurrentLanguageIndex() { return highlighted }
            function setCurrentLanguage(row) { highlighted = row; calls.push("set " + row) }
            function saveLanguage() { calls.push("save") }
            ListElement { display: "Auto" }
            ListElement { display: "English" }
            ListElement { display: "French" }
        }
    }

    Component {
        id: windowComponent
        LanguageSelectWindow {}
    }

    function openWindow(model) {
        const window = createTemporaryObject(windowComponent, testCase, { model: model })
        verify(window)
        window.open()
        tryVerify(function() { return window.opened })
        return window
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

    function test_startsAtTheHighlightedLanguageAndFollowsTheChoice() {
        const model = createTemporaryObject(modelComponent, testCase)
        const window = openWindow(model)
        compare(window.highlightedRow, 1)
        compare(model.calls, [], "opening changes nothing")

        tryVerify(function() { return findNamed(window.contentItem, "languageRow2") !== null })
        mouseClick(findNamed(window.contentItem, "languageRow2"))
        compare(model.highlighted, 2)
        keyClick(Qt.Key_Up)
        compare(model.highlighted, 1)
        compare(model.calls.indexOf("save"), -1)
    }

    function test_closing_data() {
        return [
            { tag: "Ok", button: "languageOkButton", saved: true },
            { tag: "Return", key: Qt.Key_Return, saved: true },
            { tag: "Cancel", button: "languageCancelButton", saved: false },
            { tag: "Escape", key: Qt.Key_Escape, saved: false }
        ]
    }

    function test_closing(data) {
        const model = createTemporaryObject(modelComponent, testCase)
        const window = openWindow(model)
        if (data.button)
            mouseClick(findNamed(window.contentItem, data.button))
        else
            keyClick(data.key)
        compare(model.calls.indexOf("save") >= 0, data.saved)
        tryVerify(function() { return !window.visible })
    }
}
