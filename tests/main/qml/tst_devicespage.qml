import QtQuick 2.15
import QtTest 1.15
import PCR 1.0
import Common.AppStyle 1.0
import Desktop.Pages 1.0

// The devices page's head and the notices and windows it asks the main
// window for, with a stand-in for the main window that records them.
TestCase {
    id: testCase
    name: "DevicesPage"
    width: 1000
    height: 400
    visible: true
    when: windowShown

    Component {
        id: hostComponent
        QtObject {
            property var calls: []
            function showInfoDialog(title, text) {
                calls.push(["info", title, text])
            }
            function showConfirmationWindow(title, text, acceptText, rejectText, onAccepted) {
                calls.push(["confirmation", title, text, acceptText, rejectText, onAccepted])
            }
            function showDetailsWindow(title, text) {
                calls.push(["details", title, text])
            }
        }
    }

    Component {
        id: pageComponent
        DevicesPage {
            width: testCase.width
            height: testCase.height
        }
    }

    function createPage() {
        var page = createTemporaryObject(pageComponent, testCase)
        page.dialogHost = createTemporaryObject(hostComponent, testCase)
        return page
    }

    function test_scanButton() {
        var page = createPage()
        var scan = findChild(page, "scanButton")
        compare(PcrCore.manualScan, 1)
        // The provider's property, not a method of the same name.
        compare(typeof BleDevicesProvider.scanActive, "boolean")
        compare(BleDevicesProvider.scanActive, false, "no plug-in here, so no scan")
        verify(scan.visible)
        compare(scan.text, "Scan")
        verify(scan.enabled)
    }

    function test_deleteAsksFirst() {
        var page = createPage()
        page.list.deleteRequested(41, "Bench")
        var call = page.dialogHost.calls[0]
        compare(call.slice(0, 5), ["confirmation", "Warning", "Do you want to delete the 'Bench' device?",
                                   "Ok", "Cancel"])
    }

    function test_detailsText_data() {
        return [
            { tag: "ble", ble: true, text: "Serial number: 8001\nBLE id: AA:BB" },
            { tag: "usb", ble: false, text: "Serial number: 8001\nBLE id: -" }
        ]
    }

    function test_detailsText(data) {
        var page = createPage()
        page.list.infoRequested("8001", "AA:BB", data.ble)
        compare(page.dialogHost.calls[0], ["details", "Device details", data.text])
    }

    function test_busyNotices() {
        var page = createPage()
        page.list.busyNoticeRequested()
        page.list.busyWhileConnecting()
        var calls = page.dialogHost.calls
        compare(calls[0], ["info", AppStyle.deviceBusyTitle, AppStyle.deviceBusyMessage])
        compare(calls[1], ["info", AppStyle.deviceBusyTitle, AppStyle.openedSessionMessage])
    }
}
