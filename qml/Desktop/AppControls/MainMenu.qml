import QtQuick 2.15

// The three pages of the window; the "Now running" entry carries the count
// of running machines.
Column {
    id: menu

    property string currentKey: "library"
    property int runningCount: 0

    signal entrySelected(string key)

    readonly property var entries: [
        { key: "library", text: qsTr("Library") },
        { key: "running", text: qsTr("Now running") },
        { key: "devices", text: qsTr("Devices") }
    ]

    Repeater {
        model: menu.entries

        MainMenuEntry {
            objectName: "mainMenu_" + modelData.key
            width: menu.width
            text: modelData.text
            iconName: modelData.key
            current: menu.currentKey === modelData.key
            showBadge: modelData.key === "running"
            badgeCount: menu.runningCount
            onClicked: menu.entrySelected(modelData.key)
        }
    }
}
