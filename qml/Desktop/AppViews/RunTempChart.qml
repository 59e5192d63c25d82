import QtQuick 2.15
import QtQuick.Layouts 1.15
import QtCharts 2.15
import Common.AppStyle 1.0
import PCR.Running 1.0
import "categorylabels.js" as CategoryLabels

// Live block temperature against elapsed time. The line is fed from C++
// (loaded in one call, thinned to the pixel columns); the axis labels come
// from RunningViewMath.
RunningBox {
    id: root

    property real sampleTemperature: 0
    property real lidTemperature: 0
    property var tempChartData: null
    property real tempChartDataTotalTime: 0
    // False on a hidden tab: the line stops following until shown again.
    property bool active: true

    readonly property real axisMax: RunningViewMath.timeAxisMax(tempChartDataTotalTime)
    readonly property alias shownCount: feeder.shownCount
    readonly property alias lineCount: line.count
    readonly property alias timeAxis: timeAxis

    function rebuildTimeLabels() {
        CategoryLabels.replace(timeAxis, RunningViewMath.timeAxisLabels(tempChartDataTotalTime))
    }

    implicitHeight: 270
    onTempChartDataTotalTimeChanged: rebuildTimeLabels()
    Component.onCompleted: rebuildTimeLabels()

    RowLayout {
        id: head
        anchors { left: parent.left; right: parent.right; top: parent.top; margins: 12 }
        height: 24
        spacing: 20

        RunningInfoLine {
            Layout.fillWidth: false
            label: qsTr("Sample temp: ")
            value: RunningViewMath.temperatureText(root.sampleTemperature)
        }
        RunningInfoLine {
            Layout.fillWidth: false
            label: qsTr("Lid temp: ")
            value: RunningViewMath.temperatureText(root.lidTemperature)
        }
        Item { Layout.fillWidth: true }
        Rectangle {
            objectName: "lidHotBadge"
            visible: RunningViewMath.isLidHot(root.lidTemperature)
            color: AppStyle.redButtonColor
            radius: 3
            implicitWidth: lidHotText.implicitWidth + 14
            implicitHeight: 22
            Text {
                id: lidHotText
                anchors.centerIn: parent
                text: qsTr("LID HOT")
                textFormat: Text.PlainText
                color: "white"
                font.family: AppStyle.fontFamily
                font.pixelSize: 12
                font.bold: true
            }
        }
    }

    ChartView {
        id: chart
        anchors { left: parent.left; right: parent.right; top: head.bottom; bottom: parent.bottom }
        backgroundColor: "transparent"
        plotAreaColor: "transparent"
        legend.visible: false
        antialiasing: true
        margins { left: 4; right: 12; top: 4; bottom: 4 }
        animationOptions: ChartView.SeriesAnimations
        animationDuration: AppStyle.animationTempChartDuration

        ValueAxis {
            id: temperatureAxis
            min: RunningViewMath.tempAxisMin
            max: RunningViewMath.tempAxisMax
            tickCount: RunningViewMath.tempAxisTickCount
            labelFormat: "%.0f"
            labelsColor: AppStyle.textActiveColor
            labelsFont.family: AppStyle.fontFamily
            labelsFont.pixelSize: 11
            gridLineColor: "#4B4F5A"
            color: "#4B4F5A"
        }
        CategoryAxis {
            id: timeAxis
            min: 0
            max: root.axisMax
            labelsPosition: CategoryAxis.AxisLabelsPositionOnValue
            labelsColor: AppStyle.textActiveColor
            labelsFont.family: AppStyle.fontFamily
            labelsFont.pixelSize: 11
            gridLineColor: "#4B4F5A"
            color: "#4B4F5A"
        }
        LineSeries {
            id: line
            axisX: timeAxis
            axisY: temperatureAxis
            color: AppStyle.linkActiveColor
            width: 1.5
            useOpenGL: false
        }
    }

    Text {
        anchors { right: parent.right; bottom: parent.bottom; rightMargin: 14; bottomMargin: 4 }
        text: qsTr("Time")
        textFormat: Text.PlainText
        color: AppStyle.pageTitleColor
        font.family: AppStyle.fontFamily
        font.pixelSize: 11
    }

    ChartSeriesFeeder {
        id: feeder
        source: root.tempChartData
        series: line
        xScale: 1000
        xSpan: root.axisMax
        columns: Math.max(0, Math.round(chart.plotArea.width))
        active: root.active
    }
}
