import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtCharts 2.15
import Common.AppStyle 1.0
import PCR.Running 1.0
import "categorylabels.js" as CategoryLabels

// The idealised DNA amplification: copies against cycle, labelled by the
// fixed texts of the current cycle's row, frozen beyond the last cycle.
RunningBox {
    id: root

    property var dnaChartData: null
    property int protocolCurrentCycle: 0
    property int protocolTotalCycle: 0
    property bool active: true
    property real copies: 0

    readonly property alias shownCount: feeder.shownCount
    readonly property alias copiesAxis: copiesAxis
    readonly property alias footText: foot.value
    readonly property int cycleAxisMax: RunningViewMath.cycleAxisMax(protocolCurrentCycle, protocolTotalCycle)
    readonly property var copiesLabels: RunningViewMath.dnaAxisLabels(copies, protocolCurrentCycle)

    function lastSample() {
        return dnaChartData && dnaChartData.count > 0 ? dnaChartData.samplesAt(dnaChartData.count - 1) : 0
    }
    function rebuildCopiesLabels() {
        CategoryLabels.replace(copiesAxis, copiesLabels)
        copiesAxis.max = copiesLabels.length > 1 ? RunningViewMath.dnaAxisMax(protocolCurrentCycle)
                                                 : RunningViewMath.dnaAxisDefaultMax
    }

    implicitHeight: 270
    onCopiesLabelsChanged: rebuildCopiesLabels()
    Component.onCompleted: {
        copies = RunningViewRules.initialDnaCopies(lastSample(), protocolCurrentCycle)
        rebuildCopiesLabels()
    }

    Connections {
        target: root.dnaChartData
        function onCountChanged() {
            root.copies = RunningViewRules.nextDnaCopies(root.copies, root.dnaChartData.count,
                                                         root.lastSample(), root.protocolCurrentCycle)
        }
    }

    RunningInfoLine {
        id: head
        anchors { left: parent.left; right: parent.right; top: parent.top; margins: 12 }
        label: qsTr("DNA copies ")
        value: RunningViewMath.dnaCopiesText(root.copies)
    }

    ChartView {
        id: chart
        anchors { left: parent.left; right: parent.right; top: head.bottom; bottom: foot.top }
        backgroundColor: "transparent"
        plotAreaColor: "transparent"
        legend.visible: false
        antialiasing: true
        margins { left: 4; right: 12; top: 4; bottom: 0 }

        ValueAxis {
            id: cycleAxis
            min: 0
            max: root.cycleAxisMax
            tickCount: RunningViewMath.cycleAxisTickCount(root.cycleAxisMax)
            labelFormat: "%.0f"
            labelsColor: AppStyle.textActiveColor
            labelsFont.family: AppStyle.fontFamily
            labelsFont.pixelSize: 11
            gridLineColor: "#4B4F5A"
            color: "#4B4F5A"
        }
        CategoryAxis {
            id: copiesAxis
            min: RunningViewMath.dnaChartMinY
            max: RunningViewMath.dnaAxisDefaultMax
            labelsPosition: CategoryAxis.AxisLabelsPositionOnValue
            labelsColor: AppStyle.textActiveColor
            labelsFont.family: AppStyle.fontFamily
            labelsFont.pixelSize: 11
            gridLineColor: "#4B4F5A"
            color: "#4B4F5A"
        }
        LineSeries {
            id: line
            axisX: cycleAxis
            axisY: copiesAxis
            color: AppStyle.textGreenColor
            width: 3
        }
    }

    RunningInfoLine {
        id: foot
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom; margins: 12 }
        label: qsTr("Cycle No. ")
        value: RunningViewMath.cycleShown(root.protocolCurrentCycle)
    }

    ChartSeriesFeeder {
        id: feeder
        source: root.dnaChartData
        series: line
        appendsAllowed: root.protocolCurrentCycle <= RunningViewMath.maxAllowedCycles
        active: root.active
    }
}
