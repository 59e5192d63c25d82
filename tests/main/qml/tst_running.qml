import QtQuick 2.15
import QtQuick.Controls 2.15
import QtTest 1.15
import PCR.Program 1.0
import Desktop.AppViews 1.0
import Desktop.AppDialogs.Views 1.0
import Desktop.Pages 1.0
import Common.Utility 1.0

// The running page's boxes, charts, tab bar and run dialog, given plain
// values and stand-ins for the device, the models and the core.
Item {
    id: root
    width: 1280
    height: 768

    QtObject {
        id: device
        property var calls: []
        function playClicked() { calls.push("play") }
        function pauseClicked() { calls.push("pause") }
        function restartClicked() { calls.push("restart") }
        function cancelClicked() { calls.push("cancel") }
    }

    QtObject {
        id: fakeCore
        property var calls: []
        property var removable: ({})
        property int activate: -1
        function canRemoveNowRunning(id) { calls.push("can " + id); return removable[id] === true }
        function removeNowRunning(id) {
            calls.push("remove " + id)
            for (var i = 0; i < rows.count; ++i) {
                if (rows.get(i).deviceId === id) {
                    rows.remove(i)
                    return
                }
            }
        }
        function checkTabActivation(id) { return id === activate }
        function setLastActiveTab(id) { calls.push("last " + id) }
        function startMultiUpload(id) { calls.push("upload " + id) }
    }

    ListModel {
        id: rows
    }

    // Stands in for the main window's dialog functions.
    QtObject {
        id: windowStandIn
        property var waits: []
        function showWaitDialog(postUrl, postProperties, maxInterval) {
            waits.push([postUrl, postProperties, maxInterval])
        }
    }

    ListModel {
        id: machines
        property int selectedCount: 0
        property int clears: 0
        function clearSelection() {
            ++clears
            for (var i = 0; i < count; ++i)
                setProperty(i, "isSelected", false)
        }
        function recount() {
            var selected = 0
            for (var i = 0; i < count; ++i)
                selected += get(i).isSelected ? 1 : 0
            selectedCount = selected
        }
        onDataChanged: recount()
        onCountChanged: recount()
    }

    Component {
        id: statusComponent
        RunningStatus {
            width: 300
            deviceObject: device
            deviceStatusName: "Running"
        }
    }
    Component {
        id: tempChartComponent
        RunTempChart { width: 600 }
    }
    Component {
        id: dnaChartComponent
        RunDnaChart { width: 400 }
    }
    Component {
        id: dialogComponent
        RunDialog {
            devices: machines
            core: fakeCore
            protocolId: 7
        }
    }
    Component {
        id: pageComponent
        RunningPage {
            anchors.fill: parent
            runningModel: rows
            core: fakeCore
        }
    }

    function row(deviceId, name) {
        return {
            deviceId: deviceId, deviceName: name, protocolName: "Protocol " + deviceId,
            deviceStatusName: "Running", deviceStatus: DeviceStatus.DS_RUNNING,
            protocolTime: 10, protocolRemainingTime: 20, protocolStepTime: 5,
            protocolStepType: PcrEnums.SN_ANNEALING, protocolStepName: "Annealing",
            protocolIsPCRStyleStep: true, protocolIsFlex: false, protocolHadPCRStyleStep: true,
            protocolIsFinished: false, protocolFlexStepNumber: 0, protocolFlexStepName: "",
            protocolCurrentStepCurrentCycle: 3, protocolCurrentStepTotalCycle: 30,
            protocolCurrentCycle: 3, protocolTotalCycle: 30, powerIsConnected: true,
            isConnected: true, sampleTemperature: 55.5, lidTemperature: 105,
            tempChartDataTotalTime: 300
        }
    }

    function findChild(item, name) {
        if (item.objectName === name)
            return item
        var children = item.children
        for (var i = 0; i < children.length; ++i) {
            var found = findChild(children[i], name)
            if (found)
                return found
        }
        return null
    }

    TestCase {
        name: "RunningStatus"
        when: windowShown

        function init() {
            device.calls = []
        }

        function test_pauseDisablesTheControlsUntilTheStatusChanges() {
            var box = createTemporaryObject(statusComponent, root, {deviceStatus: DeviceStatus.DS_RUNNING})
            var play = findChild(box, "playButton")
            verify(play.showsPause)
            verify(box.enabled)
            mouseClick(play)
            compare(device.calls, ["pause"])
            verify(!box.enabled, "every run control waits for the machine")
            mouseClick(findChild(box, "restartButton"))
            compare(device.calls, ["pause"])
            box.deviceStatus = DeviceStatus.DS_PAUSED
            verify(box.enabled)
            verify(!play.showsPause)
            mouseClick(play)
            compare(device.calls, ["pause", "play"])
        }

        function test_controlsOfARun_data() {
            return [
                {tag: "finished", status: DeviceStatus.DS_FINISHED, pause: false, cancel: false, enabled: true, press: "play"},
                {tag: "stopped", status: DeviceStatus.DS_STOPPED, pause: false, cancel: false, enabled: true, press: "play"},
                {tag: "paused", status: DeviceStatus.DS_PAUSED, pause: false, cancel: true, enabled: true, press: "play"},
                {tag: "start-up", status: DeviceStatus.DS_START_UP, pause: true, cancel: true, enabled: true, press: "pause"},
                {tag: "offline", status: DeviceStatus.DS_OFFLINE, pause: false, cancel: false, enabled: false},
                {tag: "no power", status: DeviceStatus.DS_NO_POWER, pause: false, cancel: false, enabled: false},
                {tag: "loading", status: DeviceStatus.DS_LOADING, pause: false, cancel: true, enabled: false},
                {tag: "unknown", status: DeviceStatus.DS_UNKNOWN, pause: false, cancel: false, enabled: false}
            ]
        }

        function test_controlsOfARun(data) {
            var box = createTemporaryObject(statusComponent, root, {deviceStatus: data.status})
            var play = findChild(box, "playButton")
            compare(play.showsPause, data.pause)
            compare(box.enabled, data.enabled)
            compare(findChild(box, "cancelButton").enabled, data.cancel && data.enabled)
            compare(findChild(box, "restartButton").enabled, data.enabled)
            mouseClick(play)
            compare(device.calls, data.enabled ? [data.press] : [])
        }

        function test_restartOfAFinishedRun() {
            var box = createTemporaryObject(statusComponent, root, {deviceStatus: DeviceStatus.DS_FINISHED})
            mouseClick(findChild(box, "restartButton"))
            compare(device.calls, ["restart"])
        }

        function test_times_data() {
            return [
                {tag: "beyond a day", time: 3600, remaining: 25 * 3600 + 600, text: "- 25:10:00", value: 3600, to: 26 * 3600 + 600},
                {tag: "done", time: 120, remaining: 0, text: "00:00:00", value: 120, to: 120},
                {tag: "nothing yet", time: 0, remaining: 0, text: "00:00:00", value: 0, to: 0}
            ]
        }

        function test_times(data) {
            var box = createTemporaryObject(statusComponent, root, {deviceStatus: DeviceStatus.DS_RUNNING,
                                                protocolTime: data.time, protocolRemainingTime: data.remaining})
            compare(findChild(box, "remainingText").text, data.text)
            var progress = findChild(box, "progressBar")
            compare(progress.to, data.to)
            compare(progress.value, data.value)
        }
    }

    TestCase {
        name: "RunCharts"
        when: windowShown

        function labels(axis) {
            return axis.categoriesLabels
        }

        function test_timeAxis_data() {
            return [
                {tag: "no time yet", span: 0, max: 1,
                 texts: ["00:00", " 00:00 ", "  00:00  ", "   00:00   ", "    00:00    ", "     00:00     "]},
                {tag: "beyond a day", span: 25 * 3600 + 600, max: (25 * 3600 + 600) * 1000,
                 texts: ["00:00", "05:02", "10:04", "15:06", "20:08", "25:10"]},
                {tag: "repeated texts stay apart", span: 120, max: 120000,
                 texts: ["00:00", " 00:00 ", "  00:00  ", "00:01", " 00:01 ", "00:02"]}
            ]
        }

        function test_timeAxis(data) {
            var chart = createTemporaryObject(tempChartComponent, root, {tempChartDataTotalTime: data.span})
            compare(chart.timeAxis.max, data.max)
            compare(labels(chart.timeAxis), data.texts)
        }

        function test_lidHotBadge_data() {
            return [{tag: "hot", lid: 60.1, shown: true}, {tag: "at the limit", lid: 60, shown: false}]
        }

        function test_lidHotBadge(data) {
            var chart = createTemporaryObject(tempChartComponent, root, {lidTemperature: data.lid})
            compare(findChild(chart, "lidHotBadge").visible, data.shown)
        }

        function test_copiesAxis_data() {
            return [
                {tag: "cycle 17", copies: 131072, cycle: 17, texts: ["", "75K", "150K"], max: 131072, foot: "17"},
                {tag: "no copies yet", copies: 0, cycle: 3, texts: [""], max: 1073741824, foot: "3"},
                {tag: "before the cycles", copies: 4, cycle: -1, texts: [""], max: 1073741824, foot: "0"},
                {tag: "beyond the cycles", copies: 1099511627776, cycle: 45, texts: ["", "576B", "1T"], max: 1100000000000, foot: "40"}
            ]
        }

        function test_copiesAxis(data) {
            var chart = createTemporaryObject(dnaChartComponent, root, {protocolCurrentCycle: data.cycle,
                                                protocolTotalCycle: 50})
            chart.copies = data.copies
            compare(labels(chart.copiesAxis), data.texts)
            compare(chart.copiesAxis.max, data.max)
            compare(chart.footText, data.foot)
        }
    }

    TestCase {
        name: "RunDialog"
        when: windowShown

        property var window: null

        function init() {
            fakeCore.calls = []
            machines.clear()
            machines.clears = 0
            windowStandIn.waits = []
            window = AppWindow.window
            AppWindow.window = windowStandIn
        }

        function cleanup() {
            AppWindow.window = window
        }

        function test_oneMachineIsListedUnselected() {
            machines.append({deviceName: "vela16 lab", isSelected: true})
            var dialog = createTemporaryObject(dialogComponent, root)
            var finished = signalSpy.createObject(dialog, {target: dialog, signalName: "finished"})
            compare(dialog.title, "Select PCR machine")
            compare(machines.get(0).isSelected, false, "opening clears the selection")
            var upload = findChild(dialog, "runDialogAction")
            compare(upload.text, "Upload")
            verify(!upload.enabled)
            var list = findChild(dialog, "machineList")
            waitForRendering(list)
            mouseClick(list.itemAtIndex(0))
            compare(machines.get(0).isSelected, true)
            verify(upload.enabled)
            mouseClick(upload)
            compare(fakeCore.calls, ["upload 7"])
            compare(finished.count, 1)
        }

        function test_closingClearsTheSelection() {
            machines.append({deviceName: "vela8", isSelected: false})
            var dialog = createTemporaryObject(dialogComponent, root)
            machines.setProperty(0, "isSelected", true)
            var finished = signalSpy.createObject(dialog, {target: dialog, signalName: "finished"})
            mouseClick(findChild(dialog, "closeCross"))
            compare(finished.count, 1)
            compare(machines.get(0).isSelected, false)
            compare(machines.clears, 2)
            compare(fakeCore.calls, [])
        }

        function test_withoutMachinesRunWaitsAndOpensTheDialogAgain() {
            var dialog = createTemporaryObject(dialogComponent, root)
            var finished = signalSpy.createObject(dialog, {target: dialog, signalName: "finished"})
            compare(dialog.title, "No PCR machine connected")
            var run = findChild(dialog, "runDialogAction")
            compare(run.text, "Run")
            verify(run.enabled)
            mouseClick(run)
            compare(windowStandIn.waits.length, 1)
            var wait = windowStandIn.waits[0]
            compare(wait[0], "qrc:/qml/Desktop/AppDialogs/Views/RunDialog.qml")
            compare(wait[1].protocolId, 7)
            compare(wait[2], 2000)
            compare(finished.count, 1)
            // Reopened after a machine came: it is listed.
            machines.append({deviceName: "vela16", isSelected: false})
            var again = createTemporaryObject(Qt.createComponent(wait[0]), root,
                                              {devices: machines, core: fakeCore, protocolId: 7})
            compare(again.title, "Select PCR machine")
            compare(findChild(again, "machineList").count, 1)
        }
    }

    Component {
        id: signalSpy
        SignalSpy {}
    }

    // As wide as the page is in the smallest window.
    Item {
        id: narrowHolder
        width: 416
        height: 480
    }

    TestCase {
        name: "RunningPage"
        when: windowShown

        function init() {
            rows.clear()
            fakeCore.calls = []
            fakeCore.removable = {}
            fakeCore.activate = -1
        }

        function test_tabsFollowTheModelAndTheCore() {
            rows.append(row(1, "First"))
            rows.append(row(2, "Second"))
            var page = createTemporaryObject(pageComponent, root)
            compare(page.count, 2)
            tryCompare(page, "currentIndex", 0)
            compare(page.currentDeviceId, 1)
            fakeCore.activate = 3
            rows.append(row(3, "Third"))
            tryCompare(page, "currentDeviceId", 3, 5000, "the core chose the new tab")
            verify(page.currentBody)
            compare(page.currentBody.row.deviceId, 3)
        }

        function test_closingTheCurrentTabShowsAnother() {
            rows.append(row(1, "First"))
            rows.append(row(2, "Second"))
            rows.append(row(3, "Third"))
            fakeCore.removable = {1: false, 3: true}
            var page = createTemporaryObject(pageComponent, root)
            var bar = findChild(page, "tabBar")
            tryVerify(function() { return bar.itemAtIndex(2) !== null })
            page.selectTab(2)
            mouseClick(findChild(bar.itemAtIndex(0), "tabCloseButton"))
            compare(page.count, 3, "the core refused")
            compare(fakeCore.calls, ["can 1"])
            mouseClick(findChild(bar.itemAtIndex(2), "tabCloseButton"))
            compare(fakeCore.calls, ["can 1", "can 3", "remove 3"])
            compare(page.count, 2)
            compare(page.currentIndex, 1)
            compare(page.currentDeviceId, 2)
            verify(page.currentBody)
            rows.clear()
            tryCompare(page, "currentDeviceId", -1)
        }

        function test_tabsBeyondANarrowBarAreReachable() {
            for (var id = 1; id <= 3; ++id)
                rows.append(row(id, "Machine " + id))
            var page = createTemporaryObject(pageComponent, narrowHolder)
            var bar = findChild(page, "tabBar")
            tryVerify(function() { return bar.itemAtIndex(2) !== null })
            compare(findChild(page, "tabScrollBar").policy, ScrollBar.AlwaysOn, "tabs are hidden")
            page.selectTab(2)
            var last = bar.itemAtIndex(2)
            tryVerify(function() { return last.x + last.width <= bar.contentX + bar.width },
                      5000, "the current tab's close cross is on screen")
            verify(last.x >= bar.contentX)
            narrowHolder.width = 300
            tryVerify(function() { return last.x + last.width <= bar.contentX + bar.width },
                      5000, "still on screen once the window narrows")
            narrowHolder.width = 416
        }

        function test_lastActiveTabIsToldWhenThePageGoes() {
            rows.append(row(4, "Only"))
            var page = pageComponent.createObject(root)
            page.destroy()
            wait(0)
            compare(fakeCore.calls, ["last 4"])
        }
    }
}
