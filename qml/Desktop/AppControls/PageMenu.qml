import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0
import Common.AppDataTypes 1.0

// The option menu of a page. Its entries are fixed when it is built; the
// page gives the keys it disables, which are greyed and cannot be chosen.
Popup {
    id: menu

    property var disabledKeys: []
    readonly property var entries: buildEntries()

    signal selected(string key)

    function buildEntries() {
        const list = []
        if (!PcrCore.isChromebook) {
            list.push({ key: PageMenuKeys.libraryImport, text: qsTr("Import protocol library") })
            list.push({ key: PageMenuKeys.libraryExport, text: qsTr("Export protocol library") })
            if (!PcrCore.isDesktop)
                list.push({ key: PageMenuKeys.libraryShare, text: qsTr("Share protocol library") })
            list.push({ key: PageMenuKeys.runDataExport, text: qsTr("Export run data") })
        }
        list.push({ key: PageMenuKeys.language, text: qsTr("Language") })
        list.push({ key: PageMenuKeys.version,
                    text: qsTr("Version %1:%2").arg(Qt.application.version).arg(PCRConst.applicationVersion) })
        return list
    }

    function isEnabled(key) {
        return disabledKeys.indexOf(key) < 0
    }

    function choose(index) {
        const key = entries[index].key
        if (!isEnabled(key))
            return
        close()
        selected(key)
    }

    padding: 4
    focus: true
    onAboutToShow: entryList.currentIndex = PCRConst.nullValue

    background: Rectangle {
        color: AppStyle.windowBackgroundColor
        border.color: AppStyle.separatorColor
        radius: 3
    }

    contentItem: ListView {
        id: entryList
        implicitWidth: 260
        implicitHeight: contentHeight
        focus: true
        keyNavigationEnabled: true
        interactive: false
        model: menu.entries

        Keys.onReturnPressed: if (currentIndex >= 0) menu.choose(currentIndex)
        Keys.onEnterPressed: if (currentIndex >= 0) menu.choose(currentIndex)

        delegate: ItemDelegate {
            id: entry
            objectName: "pageMenu_" + modelData.key
            width: ListView.view.width
            height: 40
            enabled: menu.isEnabled(modelData.key)
            focusPolicy: Qt.NoFocus
            onClicked: menu.choose(index)

            contentItem: AppLabel {
                text: modelData.text
                color: !entry.enabled ? AppStyle.textDisabledColor
                                      : entry.hovered ? AppStyle.linkHoveredColor
                                                      : AppStyle.textActiveColor
            }
            background: Rectangle {
                color: entry.ListView.isCurrentItem || entry.hovered ? AppStyle.currentMenuEntryColor
                                                                    : "transparent"
            }
        }
    }
}
