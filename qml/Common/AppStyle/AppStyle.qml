pragma Singleton
import QtQuick 2.15

// Limits, colours and durations that carry meaning; every view reads them
// from here so a rule changes in one place.
QtObject {
    // Protocol limits the editors enforce
    readonly property real minProtocolTemperature: 25.0
    readonly property real maxProtocolTemperature: 99.0
    readonly property int minProtocolTime: 1
    readonly property int maxProtocolTime: 9999
    readonly property int maxProtocolTimeInSec: 599940
    readonly property int protocolMaxStepCount: 20
    readonly property int minPcrCycle: 1
    readonly property int maxPcrCycle: 99

    // Charts
    readonly property int tempChartMinY: 20
    readonly property int tempChartMaxY: 100
    readonly property int tempChartTickCountY: 9
    readonly property int tempChartTickCountX: 6
    readonly property real dnaChartMinY: 0
    readonly property real dnaChartMaxY: 1073741824
    readonly property int lidHotIndicator: 60
    readonly property string degreeSymbol: "\u00BAC"

    // Library sort keys
    readonly property string sortTypeAZ: "az"
    readonly property string sortTypeFavorite: "favorite"
    readonly property string sortTypeRecent: "recent"
    readonly property string sortTypeUsed: "used"

    // Animations and opacities
    readonly property int animationTextfieldColorDuration: 250
    readonly property int animationStepHeightDuration: 250
    readonly property int animationTempChartDuration: 250
    readonly property real activeFocusOpacity: 0.7
    readonly property real disabledOpacity: 0.5

    // Notices
    readonly property string deviceBusyTitle: qsTr("Device is busy")
    readonly property string deviceBusyMessage: qsTr("The device is busy, try again in a moment.")
    readonly property string openedSessionMessage: qsTr("The device is connected via a different communication channel or with other Thermox application.")

    // Colours that carry state
    readonly property color windowBackgroundColor: "#1F2127"
    readonly property color pageBackgroundColor: "#2a2d34"
    readonly property color selectedRowColor: "#169FD9"
    readonly property color runningRowColor: "#186482"
    readonly property color buttonColor: "#24ABE4"
    readonly property color buttonHoverColor: "#1790CF"
    readonly property color buttonPressedColor: "#2B99C9"
    readonly property color buttonDisabledColor: "#686B76"
    readonly property color redButtonColor: "#DC2F58"
    readonly property color redButtonHoverColor: "#D12E56"
    readonly property color redButtonPressedColor: "#BF2B50"
    readonly property color textGreenColor: "#4EE371"
    readonly property color textRedColor: "#E34E71"
    readonly property color textActiveColor: "#CDCDCD"
    readonly property color linkActiveColor: "#28ACE2"
    readonly property color linkHoveredColor: "#1790CF"
    readonly property color textDisabledColor: "#686B76"
    readonly property color currentMenuEntryColor: "#22242B"
    readonly property color badgeIdleColor: "#33363D"
    readonly property color pageTitleColor: "#B0AFB0"
    readonly property color currentRowTextColor: "#343741"
    readonly property color emptyListTextColor: "#5D616B"
    readonly property real secondaryLabelOpacity: 0.4
    readonly property int statusColorFadeDuration: 500
    readonly property color presetSelectedColor: selectedRowColor

    readonly property color titleBarColor: selectedRowColor
    readonly property color warningTitleBarColor: redButtonColor
    readonly property color detailsTitleBarColor: "#24ABE4"
    readonly property color titleTextColor: "#FFFFFF"
    readonly property color coverColor: "#80000000"
    readonly property color separatorColor: "#3A3D45"
    readonly property color focusFrameColor: "#FFFFFF"

    // Frame geometry shared by the window, its dialogs and message windows
    readonly property int leftColumnWidth: 224
    readonly property int logoBandHeight: 70
    readonly property int topBarHeight: 70
    readonly property int menuEntryHeight: 56
    readonly property int menuCurrentBarWidth: 4
    readonly property int titleBarHeight: 48
    readonly property int buttonHeight: 36
    readonly property int defaultDialogWidth: 480
    readonly property int defaultDialogHeight: 260
    readonly property int cornerRadius: 6
    readonly property int messagePixelSize: 16
    readonly property int textPixelSize: 14
    readonly property int titlePixelSize: 18

    readonly property string fontFamily: "Lato"
}
