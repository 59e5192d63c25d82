import QtQuick 2.15
import QtTest 1.15
import PCR 1.0
import Common.AppStyle 1.0
import Desktop.AppViews 1.0

// The devices list on a model of its own: status texts and colours, the
// auto-start switch, the connect button, renaming in place, delete and info.
TestCase {
    id: testCase
    name: "DevicesList"
    width: 1000
    height: 400
    visible: true
    when: windowShown

    readonly property var usbInitialised: ({
        deviceId: 7, deviceName: "Bench", modelName: "vela16", connectionType: ConnectionType.CT_USB_Firmware_V3,
        connectionTypeName: "USB", firmware: "3.1", serialNumber: "16001", bleId: "", bleName: "",
        isConnected: true, connectionInitialized: true, isConnecting: false, isDisconnecting: false,
        deviceBusy: false, eepromBusy: false, isAutoStartSupport: true, autoStartOn: false
    })

    Component {
        id: modelComponent
        ListModel {}
    }

    Component {
        id: listComponent
        DevicesList {
            width: testCase.width
            height: testCase.height
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    function device(changes) {
        var roles = Object.assign({}, usbInitialised)
        return Object.assign(roles, changes || {})
    }

    // A list of the given devices; its first row.
    function createList(devices) {
        var model = createTemporaryObject(modelComponent, testCase)
        for (var i = 0; i < devices.length; ++i)
            model.append(devices[i])
        var list = createTemporaryObject(listComponent, testCase, { model: model })
        waitForRendering(list)
        return list
    }

    function rowOf(list, index) {
        return list.itemAtIndex(index)
    }

    function child(item, name) {
        return findChild(item, name)
    }

    function spy(target, signalName) {
        return createTemporaryObject(spyComponent, testCase, { target: target, signalName: signalName })
    }

    function test_statusTextAndColour_data() {
        return [
            { tag: "connected", roles: {}, text: "Connected", color: AppStyle.textGreenColor },
            { tag: "connecting", roles: { connectionInitialized: false, isConnecting: true },
              text: "Connecting...", color: AppStyle.textGreenColor },
            { tag: "usb plugged", roles: { connectionInitialized: false },
              text: "Plugged in", color: AppStyle.textActiveColor },
            { tag: "ble paired", roles: { connectionInitialized: false, connectionType: ConnectionType.CT_Bluetooth_Firmware_V3 },
              text: "Click icon to connect", color: AppStyle.textActiveColor },
            { tag: "offline", roles: { isConnected: false, connectionInitialized: false },
              text: "Offline", color: AppStyle.textRedColor },
            { tag: "busy", roles: { deviceBusy: true }, text: "Busy", color: AppStyle.textGreenColor }
        ]
    }

    function test_statusTextAndColour(data) {
        var list = createList([device(data.roles)])
        var status = child(rowOf(list, 0), "statusText")
        compare(status.text, data.text)
        tryCompare(status, "color", data.color)
        compare(child(rowOf(list, 0), "deviceNameText").color, status.color)
    }

    function test_statusColourFades() {
        var list = createList([device()])
        var status = child(rowOf(list, 0), "statusText")
        tryCompare(status, "color", AppStyle.textGreenColor)
        list.model.setProperty(0, "isConnected", false)
        compare(status.text, "Offline")
        verify(status.color !== AppStyle.textRedColor, "the colour is still on its way")
        tryCompare(status, "color", AppStyle.textRedColor, 2000)
    }

    function test_detailsGrid() {
        var list = createList([device({ connectionType: ConnectionType.CT_Bluetooth_Firmware_V3, connectionTypeName: "BLE",
                                        modelName: "vela8", bleName: "VELA-8-0042", firmware: "" }),
                               device({ modelName: "vela16 with a long model name" })])
        var ble = rowOf(list, 0)
        compare(child(ble, "modelText").text, "vela8 [BLE]")
        verify(findTextIn(ble, "BLE name:"))
        verify(findTextIn(ble, "VELA-8-0042"))
        verify(!findTextIn(rowOf(list, 1), "BLE name:"), "only BLE machines show a BLE name")
        compare(list.modelColumnWidth, child(rowOf(list, 1), "modelText").implicitWidth,
                "the widest model text sets the column")
        compare(rowOf(list, 0).modelColumnWidth, list.modelColumnWidth)
    }

    function findTextIn(item, text) {
        if (item.visible === false)
            return false
        if (item.text === text)
            return true
        for (var i = 0; i < item.children.length; ++i) {
            if (findTextIn(item.children[i], text))
                return true
        }
        return false
    }

    function test_bleConnectButton() {
        var list = createList([device({ connectionType: ConnectionType.CT_Bluetooth_Firmware_V3, connectionInitialized: false })])
        var row = rowOf(list, 0)
        var connect = child(row, "connectButton")
        var info = child(row, "infoButton")
        verify(connect.visible)
        compare(connect.text, "CONNECT")
        var connects = spy(list, "connectRequested")
        mouseClick(connect)
        compare(connects.signalArguments[0][0], 7)

        list.model.setProperty(0, "isConnecting", true)
        verify(!connect.enabled)
        verify(!info.enabled)
        compare(connect.opacity, AppStyle.disabledOpacity)

        list.model.setProperty(0, "isConnecting", false)
        list.model.setProperty(0, "connectionInitialized", true)
        compare(connect.text, "DISCONNECT")
        waitForRendering(list)
        var disconnects = spy(list, "disconnectRequested")
        mouseClick(connect)
        compare(disconnects.count, 1)
        verify(!child(rowOf(createList([device()]), 0), "connectButton").visible, "USB machines have none")
    }

    function test_buttonsKeepTheirColumns_data() {
        return [
            { tag: "USB", type: ConnectionType.CT_USB_Firmware_V3, infoRow: 0 },
            { tag: "BLE with its connect button", type: ConnectionType.CT_Bluetooth_Firmware_V3, infoRow: 1 }
        ]
    }

    function test_buttonsKeepTheirColumns(data) {
        var row = rowOf(createList([device({ connectionType: data.type })]), 0)
        var edit = child(row, "editButton")
        var info = child(row, "infoButton")
        var right = function(item) { return item.mapToItem(row, item.width, 0).x }
        compare(right(info), right(child(row, "statusText")), "INFO ends the right-hand column")
        compare(info.y > edit.y, data.infoRow === 1)
        if (data.infoRow === 1) {
            edit.text = "MODIFIER" // a longer caption, as in French
            waitForRendering(row)
            compare(info.x, edit.x, "INFO sits under EDIT")
            compare(info.width, edit.width)
        }
    }

    function test_autoStartSwitch() {
        var list = createList([device({ isAutoStartSupport: true, autoStartOn: false }),
                               device({ connectionType: ConnectionType.CT_USB_Firmware_V1 })])
        verify(!child(rowOf(list, 1), "autoStart").visible, "firmware 1 has no auto start")
        var toggle = child(rowOf(list, 0), "autoStartSwitch")
        verify(toggle.enabled)
        compare(toggle.text, "Auto start\nOFF")
        mouseClick(toggle)
        compare(list.model.get(0).autoStartOn, true)
        compare(toggle.text, "Auto start\n ON")
        list.model.setProperty(0, "autoStartOn", false)
        compare(toggle.checked, false, "the switch follows the model after a click")
    }

    function test_autoStartWhileMemoryBusy() {
        var list = createList([device({ eepromBusy: true })])
        var notices = spy(list, "busyNoticeRequested")
        var toggle = child(rowOf(list, 0), "autoStartSwitch")
        verify(!toggle.enabled)
        mouseClick(toggle)
        compare(notices.count, 1)
        compare(list.model.get(0).autoStartOn, false)
    }

    function typeText(text) {
        for (var i = 0; i < text.length; ++i)
            keyClick(text[i])
    }

    function firstEmission(signalSpy) {
        return Array.prototype.slice.call(signalSpy.signalArguments[0])
    }

    function startEditing(list) {
        mouseClick(child(rowOf(list, 0), "editButton"))
        var editor = child(rowOf(list, 0), "nameEditor")
        verify(editor.visible)
        verify(editor.activeFocus)
        return editor
    }

    function test_renameAppliesOnEnter() {
        var list = createList([device()])
        var editor = startEditing(list)
        compare(list.currentIndex, 0)
        compare(editor.text, "Bench")
        compare(editor.maximumLength, PCRConst.machineNameMaxLength)
        editor.selectAll()
        keyClick(Qt.Key_Delete)
        keyClick(Qt.Key_Return)
        compare(list.model.get(0).deviceName, "Bench", "an empty name is refused")
        verify(editor.visible, "still editing")
        verify(!child(rowOf(list, 0), "applyNameButton").enabled)
        typeText("Bench 2")
        keyClick(Qt.Key_Enter)
        compare(list.model.get(0).deviceName, "Bench 2")
        verify(!editor.visible)
    }

    function test_escapeKeepsTheName() {
        var list = createList([device()])
        var editor = startEditing(list)
        typeText("X")
        keyClick(Qt.Key_Escape)
        verify(!editor.visible)
        compare(list.model.get(0).deviceName, "Bench")
        compare(child(rowOf(list, 0), "deviceNameText").text, "Bench")
    }

    function test_applyButtonAndOtherRowEndEditing() {
        var list = createList([device(), device({ deviceId: 8, deviceName: "Other" })])
        var editor = startEditing(list)
        editor.text = "Renamed"
        mouseClick(child(rowOf(list, 0), "applyNameButton"))
        compare(list.model.get(0).deviceName, "Renamed")

        startEditing(list)
        mouseClick(rowOf(list, 1), 100, 10)
        compare(list.currentIndex, 1)
        verify(!editor.visible, "selecting another row leaves editing")
    }

    function test_editWhileMemoryBusyShowsTheNotice() {
        var list = createList([device({ eepromBusy: true })])
        var notices = spy(list, "busyNoticeRequested")
        mouseClick(child(rowOf(list, 0), "editButton"))
        compare(notices.count, 1)
        compare(list.currentIndex, 0)
        verify(!child(rowOf(list, 0), "nameEditor").visible)
    }

    function test_deleteAndInfo() {
        var list = createList([device({ connectionType: ConnectionType.CT_Bluetooth_Firmware_V3, isConnected: false,
                                        connectionInitialized: false, bleId: "AA:BB" })])
        var row = rowOf(list, 0)
        verify(!child(row, "editButton").visible)
        var deletes = spy(list, "deleteRequested")
        mouseClick(child(row, "deleteButton"))
        compare(firstEmission(deletes), [7, "Bench"])
        var infos = spy(list, "infoRequested")
        mouseClick(child(row, "infoButton"))
        compare(firstEmission(infos), ["16001", "AA:BB", true])

        list.model.setProperty(0, "isConnected", true)
        list.model.setProperty(0, "connectionInitialized", true)
        verify(!child(row, "deleteButton").visible, "an active machine is edited, not deleted")
        verify(child(row, "editButton").visible)
    }

    function test_turningBusyWhileConnecting() {
        var list = createList([device({ connectionInitialized: false, isConnecting: true })])
        var notices = spy(list, "busyWhileConnecting")
        list.model.setProperty(0, "deviceBusy", true)
        compare(notices.count, 1)
    }
}
