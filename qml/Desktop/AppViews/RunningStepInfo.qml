import QtQuick 2.15
import QtQuick.Layouts 1.15
import PCR.Running 1.0

// Where the run is: flex step, cycle, step, step time and total time.
RunningBox {
    id: root

    property int deviceStatus: -1
    property bool protocolIsFlex: false
    property bool protocolIsFinished: false
    property bool protocolIsPCRStyleStep: false
    property bool protocolHadPCRStyleStep: false
    property int protocolFlexStepNumber: 0
    property string protocolFlexStepName: ""
    property int protocolStepType: 0
    property string protocolStepName: ""
    property real protocolStepTime: 0
    property real protocolTime: 0
    property int protocolCurrentStepCurrentCycle: 0
    property int protocolCurrentStepTotalCycle: 0

    implicitHeight: lines.implicitHeight + 30

    ColumnLayout {
        id: lines
        anchors.fill: parent
        anchors.margins: 15
        spacing: 6

        RunningInfoLine {
            objectName: "flexStepLine"
            visible: RunningViewRules.showsFlexStep(root.protocolIsFlex, root.protocolFlexStepName,
                                                    root.protocolIsFinished, root.protocolStepType)
            label: qsTr("Step %1: %2").arg(root.protocolFlexStepNumber).arg(root.protocolFlexStepName)
            bold: true
        }
        RunningInfoLine {
            objectName: "cycleLine"
            visible: RunningViewRules.showsCycle(root.protocolCurrentStepCurrentCycle,
                                                 root.protocolCurrentStepTotalCycle, root.deviceStatus,
                                                 root.protocolIsPCRStyleStep, root.protocolIsFlex,
                                                 root.protocolHadPCRStyleStep, root.protocolStepType,
                                                 root.protocolIsFinished)
            label: qsTr("Cycle: ")
            value: qsTr("%1 of %2").arg(Math.max(0, root.protocolCurrentStepCurrentCycle))
                                   .arg(Math.max(0, root.protocolCurrentStepTotalCycle))
        }
        RunningInfoLine {
            objectName: "stepLine"
            visible: RunningViewRules.showsStep(root.deviceStatus)
            label: qsTr("Step: ")
            value: root.protocolStepName
        }
        RunningInfoLine {
            objectName: "stepTimeLine"
            visible: RunningViewRules.showsStepTime(root.deviceStatus, root.protocolIsFlex,
                                                    root.protocolIsFinished, root.protocolStepType)
            label: qsTr("Step time: ")
            value: RunningViewMath.secondsToString(
                       RunningViewRules.stepTimeShown(root.protocolStepTime, root.deviceStatus,
                                                      root.protocolStepType, root.protocolStepName))
        }
        RunningInfoLine {
            objectName: "totalTimeLine"
            label: qsTr("Total time: ")
            value: RunningViewMath.secondsToString(root.protocolTime)
        }
    }
}
