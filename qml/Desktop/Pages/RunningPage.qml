import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import Common.AppStyle 1.0
import Desktop.AppViews 1.0

// The "Now running" page: a tab per machine holding a protocol. Only the
// current tab builds its charts; the others are cheap heads.
Rectangle {
    id: page

    property var runningModel: NowRunningModel
    property var core: PcrCore
    // Bell and option buttons of the page head, placed in the bar's corner.
    property alias cornerItems: corner.data
    readonly property int currentDeviceId: tabBar.currentIndex >= 0 && tabBar.currentItem
                                           ? tabBar.currentItem.deviceId : PCRConst.nullID
    readonly property alias currentIndex: tabBar.currentIndex
    readonly property alias count: tabBar.count
    readonly property var currentBody: bodies.currentBody

    function selectTab(index) {
        tabBar.currentIndex = index
    }
    // Keeps a tab current whenever there is one, so the page is never empty.
    function reselect() {
        if (tabBar.count === 0)
            tabBar.currentIndex = -1
        else if (tabBar.currentIndex < 0 || tabBar.currentIndex >= tabBar.count)
            tabBar.currentIndex = Math.max(0, Math.min(tabBar.currentIndex, tabBar.count - 1))
    }
    function closeTab(index, deviceId) {
        if (!core.canRemoveNowRunning(deviceId))
            return
        // Out of the view first, then out of the core's list.
        var item = tabBar.itemAtIndex(index)
        if (item)
            item.closing = true
        if (index === tabBar.currentIndex)
            tabBar.currentIndex = index + 1 < tabBar.count ? index + 1 : index - 1
        core.removeNowRunning(deviceId)
    }

    color: AppStyle.pageBackgroundColor
    Component.onDestruction: core.setLastActiveTab(currentDeviceId)

    Rectangle {
        id: bar
        anchors { left: parent.left; right: parent.right; top: parent.top }
        height: 70
        color: AppStyle.windowBackgroundColor

        ListView {
            id: tabBar
            objectName: "tabBar"
            anchors { left: parent.left; right: corner.left; top: parent.top; bottom: parent.bottom }
            orientation: ListView.Horizontal
            clip: true
            spacing: 1
            boundsBehavior: Flickable.StopAtBounds
            model: page.runningModel
            currentIndex: -1
            highlightFollowsCurrentItem: false
            // Shown for good while tabs are hidden, so a user sees there are more.
            ScrollBar.horizontal: ScrollBar {
                objectName: "tabScrollBar"
                height: 6
                policy: tabBar.contentWidth > tabBar.width ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded
            }
            onCountChanged: page.reselect()
            // The current tab is shown whole, its close cross included, also
            // when the window narrows.
            function showCurrent() {
                if (currentIndex >= 0)
                    positionViewAtIndex(currentIndex, ListView.Contain)
            }
            onCurrentIndexChanged: showCurrent()
            onWidthChanged: showCurrent()

            delegate: RunningTabHead {
                readonly property int deviceId: model.deviceId
                property bool closing: false

                width: closing ? 0 : 190
                visible: !closing
                protocolName: model.protocolName
                deviceName: model.deviceName
                deviceStatusName: model.deviceStatusName
                selected: ListView.isCurrentItem
                onClicked: tabBar.currentIndex = index
                onCloseClicked: page.closeTab(index, deviceId)
                // The bar is still placing its new tab here: select it afterwards.
                function activate() {
                    tabBar.currentIndex = index
                }
                Component.onCompleted: {
                    if (page.core.checkTabActivation(deviceId))
                        Qt.callLater(activate)
                }
            }
        }

        Row {
            id: corner
            anchors { right: parent.right; verticalCenter: parent.verticalCenter; rightMargin: 10 }
            spacing: 8
        }
    }

    Item {
        id: bodies
        anchors { left: parent.left; right: parent.right; top: bar.bottom; bottom: parent.bottom }
        property var currentBody: null

        Repeater {
            model: page.runningModel
            delegate: Loader {
                readonly property bool current: index === tabBar.currentIndex
                anchors.fill: parent
                active: current
                visible: current
                sourceComponent: RunningTabBody {
                    row: model
                    active: true
                }
                onLoaded: bodies.currentBody = item
                onCurrentChanged: if (!current && bodies.currentBody === item) bodies.currentBody = null
            }
        }
    }
}
