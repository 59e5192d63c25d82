import QtQuick 2.15
import QtTest 1.15
import Utils 1.0

// FocusNavigator as the views use it: created in QML from "Utils" 1.0,
// sending Tab from a field to a chosen one.
TestCase {
    id: testCase
    name: "FocusNavigatorInQml"
    width: 300
    height: 100
    visible: true
    when: windowShown

    Component {
        id: rowComponent
        Row {
            property alias first: first
            property alias last: last
            TextInput { id: first; width: 50; height: 20; activeFocusOnTab: true }
            FocusNavigator { tabItem: last }
            TextInput { id: middle; width: 50; height: 20; activeFocusOnTab: true }
            TextInput { id: last; width: 50; height: 20; activeFocusOnTab: true }
        }
    }

    function test_tabSkipsToTheChosenField() {
        const row = createTemporaryObject(rowComponent, testCase)
        row.first.forceActiveFocus()
        keyClick(Qt.Key_Tab)
        tryVerify(function() { return row.last.activeFocus })
    }
}
