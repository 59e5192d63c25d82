import QtQuick 2.15
import Common.AppStyle 1.0
import Utils 1.0

// One stage of a PCR step: its name above a temperature and a time.
Column {
    id: column

    property alias title: heading.text
    property StepList steps: null
    property int row: 0
    property alias tempKey: temp.key
    property alias timeKey: time.key
    readonly property alias tempField: temp
    readonly property alias timeField: time
    // Where Tab leaves the time and Backtab leaves the temperature, when not
    // simply to the neighbouring field.
    property Item timeTabItem: null
    property Item tempBacktabItem: null

    spacing: 8

    Text {
        id: heading
        width: column.width
        height: 34
        verticalAlignment: Text.AlignBottom
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.WordWrap
        color: AppStyle.textActiveColor
        font.family: AppStyle.fontFamily
        font.pixelSize: 13
    }
    DialogTempTextField {
        id: temp
        anchors.horizontalCenter: parent.horizontalCenter
        width: 84
        steps: column.steps
        row: column.row
        KeyNavigation.backtab: column.tempBacktabItem
    }
    DialogTimeTextField {
        id: time
        anchors.horizontalCenter: parent.horizontalCenter
        width: 84
        hint: "   s"
        steps: column.steps
        row: column.row
        KeyNavigation.tab: column.timeTabItem
    }
}
