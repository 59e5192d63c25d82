import QtQuick 2.15
import QtTest 1.15
import PCR 1.0
import PCR.Program 1.0
import RunningProtocolsModel 1.0
import PCR.Running 1.0
import Common.AppStyle 1.0

TestCase {
    name: "Registration"

    function test_enumerations() {
        compare(DeviceStatus.DS_RUNNING, 1)
        compare(DeviceStatus.DS_LOADING, 8)
        compare(PcrEnums.SN_CYCLE, 5)
        compare(PcrEnums.HT_COOLING, 2)
        compare(ConnectionType.CT_Bluetooth_Firmware_V3, 2)
        compare(ProgramType.PT_FLEX, 4)
        compare(ProgramType.PT_TOUCHDOWN, 5)
        compare(RunResult.RPR_EEPROM_BUSY, 5)
        compare(ActiveFirmware.AF_ver_1_AND_ver_3, 3)
        compare(SortRoles.RecentRole, 3)
    }

    function test_coreAndItsObjects() {
        compare(PcrCore.manualScan, 1)
        compare(PcrCore.isDesktop, true)
        compare(PcrCore.isChromebook, false)
        compare(PcrCore.activeFirmware, ActiveFirmware.AF_none)
        var objects = [BleDevicesProvider, LanguageModel, DevicesModel, DevicesProxyModel,
                       ProtocolsModel, NowRunningModel, RunningProtocolsModel,
                       OnlineDevicesModel, Bell]
        for (var i = 0; i < objects.length; ++i)
            verify(objects[i], "context property " + i)
    }

    function test_constants() {
        compare(PCRConst.protocolNameMaxLength, 24)
        compare(PCRConst.denaturationTemp, "denaturationTemp")
        compare(PCRConst.objectTypeHeatBlock, "Heat Block")
        compare(PCRConst.byteLength("\u00e9a"), 3)
        compare(PCRConst.trimToByteLength("abcdef", 4), "abcd")
    }

    function test_styleModule() {
        compare(AppStyle.maxProtocolTimeInSec, 599940)
        compare(AppStyle.degreeSymbol, "\u00BAC")
        compare(AppStyle.sortTypeUsed, "used")
    }

    function test_runningViewTypes() {
        compare(RunningViewMath.secondsToString(25 * 3600 + 600), "25:10:00")
        compare(RunningViewMath.maxAllowedCycles, 40)
        verify(RunningViewRules.isFinished(DeviceStatus.DS_FINISHED))
        compare(RunningViewRules.animationFor(PcrEnums.SN_ANNEALING),
                RunningViewRules.AnnealingAnimation)
        var feeder = Qt.createQmlObject("import PCR.Running 1.0; ChartSeriesFeeder {}", this)
        compare(feeder.shownCount, 0)
        feeder.destroy()
    }

    function test_enumTypesAreUncreatable() {
        var component = Qt.createComponent("data:text/plain,import PCR.Program 1.0; DeviceStatus {}")
        verify(component.status === Component.Error)
        verify(component.errorString().indexOf("Contain enum with device statuses.") >= 0)
    }

    function test_mainWindow() {
        var component = Qt.createComponent("qrc:/main")
        compare(component.status, Component.Ready, component.errorString())
        var window = component.createObject(null, {visible: false})
        verify(window)
        compare(window.title, "Thermox")
        compare(window.width, 1280)
        compare(window.height, 768)
        compare(window.minimumWidth, 640)
        compare(window.minimumHeight, 480)
        window.destroy()
    }
}
