import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import PCR.Running 1.0

// What a tab shows of one machine: its controls, step and protocol on the
// left, the charts and the PCR animation on the right. Scrolls both ways
// when the page is smaller than the content.
Flickable {
    id: body

    // One NowRunningModel row; the roles are read by name.
    property var row: ({})
    property bool active: true

    readonly property alias status: statusBox
    readonly property alias stepInfo: stepBox
    readonly property alias tempChart: tempChartBox
    readonly property alias dnaChart: dnaChartBox
    readonly property alias animationBox: animation

    readonly property int margin: 20
    readonly property int leftWidth: 300
    readonly property int rightWidth: Math.max(570, width - leftWidth - 3 * margin)
    readonly property bool wideRow: rightWidth >= 2 * 391
    readonly property int contentMinHeight: 2 * 270 + margin + 2 * margin

    clip: true
    boundsBehavior: Flickable.StopAtBounds
    contentWidth: leftWidth + rightWidth + 3 * margin
    contentHeight: Math.max(height, contentMinHeight, leftColumn.implicitHeight + 2 * margin + 150)

    ScrollBar.horizontal: ScrollBar { height: 20; policy: body.contentWidth > body.width ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff }
    ScrollBar.vertical: ScrollBar { width: 20; policy: body.contentHeight > body.height ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff }

    ColumnLayout {
        id: leftColumn
        x: body.margin
        y: body.margin
        width: body.leftWidth
        height: body.contentHeight - 2 * body.margin
        spacing: 20

        RunningStatus {
            id: statusBox
            Layout.fillWidth: true
            deviceStatus: body.row.deviceStatus
            deviceStatusName: body.row.deviceStatusName
            deviceObject: body.row.deviceObject
            protocolTime: body.row.protocolTime
            protocolRemainingTime: body.row.protocolRemainingTime
        }
        RunningStepInfo {
            id: stepBox
            Layout.fillWidth: true
            deviceStatus: body.row.deviceStatus
            protocolIsFlex: body.row.protocolIsFlex
            protocolIsFinished: body.row.protocolIsFinished
            protocolIsPCRStyleStep: body.row.protocolIsPCRStyleStep
            protocolHadPCRStyleStep: body.row.protocolHadPCRStyleStep
            protocolFlexStepNumber: body.row.protocolFlexStepNumber
            protocolFlexStepName: body.row.protocolFlexStepName
            protocolStepType: body.row.protocolStepType
            protocolStepName: body.row.protocolStepName
            protocolStepTime: body.row.protocolStepTime
            protocolTime: body.row.protocolTime
            protocolCurrentStepCurrentCycle: body.row.protocolCurrentStepCurrentCycle
            protocolCurrentStepTotalCycle: body.row.protocolCurrentStepTotalCycle
        }
        RunningInfo {
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.minimumHeight: 120
            protocolName: body.row.protocolName
            propertyModel: body.row.protocolPropertyModel
        }
    }

    ColumnLayout {
        x: 2 * body.margin + body.leftWidth
        y: body.margin
        width: body.rightWidth
        spacing: 20

        RunTempChart {
            id: tempChartBox
            Layout.fillWidth: true
            Layout.preferredHeight: 270
            sampleTemperature: body.row.sampleTemperature
            lidTemperature: body.row.lidTemperature
            tempChartData: body.row.tempChartData || null
            tempChartDataTotalTime: body.row.tempChartDataTotalTime
            active: body.active
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 20

            PcrAnimationBox {
                id: animation
                Layout.preferredWidth: body.wideRow ? 391 : 300
                Layout.preferredHeight: body.wideRow ? 270 : 207
                Layout.alignment: Qt.AlignTop
                shown: RunningViewRules.showsAnimation(body.row.protocolIsPCRStyleStep, body.row.deviceStatus,
                                                       body.row.powerIsConnected, body.row.isConnected,
                                                       body.row.protocolStepType)
                protocolStepType: body.row.protocolStepType
                protocolStepName: body.row.protocolStepName
                animating: body.active
            }
            RunDnaChart {
                id: dnaChartBox
                Layout.fillWidth: true
                Layout.minimumWidth: 50
                Layout.preferredHeight: 270
                Layout.alignment: Qt.AlignTop
                visible: RunningViewRules.showsDnaChart(body.row.protocolIsPCRStyleStep, body.row.protocolIsFlex,
                                                        body.row.protocolHadPCRStyleStep)
                dnaChartData: body.row.dnaChartData || null
                protocolCurrentCycle: body.row.protocolCurrentCycle
                protocolTotalCycle: body.row.protocolTotalCycle
                active: body.active
            }
        }
    }
}
