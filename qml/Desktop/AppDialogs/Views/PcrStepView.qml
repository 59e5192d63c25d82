import QtQuick 2.15
import Common.AppControls 1.0
import Desktop.AppDialogs.Controls 1.0
import Utils 1.0

// A PCR step. On its own (the PCR editor) it shows the heated lid, the
// profile picture and five stages; in a flex protocol only the three cycled
// stages, the others staying in the record as they are.
Item {
    id: view

    property StepList steps: null
    property int row: 0
    property bool flexMode: false
    readonly property Item firstField: flexMode ? denaturation.tempField : initial.tempField

    implicitWidth: 520
    implicitHeight: stages.y + stages.height + cyclesRow.height + 16

    AppSwitch {
        id: heatedLid
        objectName: "heatedLidSwitch"
        visible: !view.flexMode
        anchors.right: parent.right
        text: qsTr("Heated lid")
        checked: view.steps !== null && view.steps.value(view.row, PCRConst.heatedLid) === true
        onToggled: view.steps.setValue(view.row, PCRConst.heatedLid, checked)
    }
    EditorPcrProfile {
        id: profile
        visible: !view.flexMode
        anchors.top: heatedLid.bottom
        anchors.topMargin: 4
        anchors.left: parent.left
        anchors.right: parent.right
        height: 50
    }

    Row {
        id: stages
        y: view.flexMode ? 0 : profile.y + profile.height
        anchors.horizontalCenter: parent.horizontalCenter
        readonly property real columnWidth: (view.width - spacing * 4) / (view.flexMode ? 3 : 5)
        spacing: 4

        EditorStageColumn {
            id: initial
            visible: !view.flexMode
            width: stages.columnWidth
            title: qsTr("Initial denaturation")
            steps: view.steps
            row: view.row
            tempKey: PCRConst.initTemp
            timeKey: PCRConst.initTime
        }
        EditorStageColumn {
            id: denaturation
            width: stages.columnWidth
            title: qsTr("Denaturation")
            steps: view.steps
            row: view.row
            tempKey: PCRConst.denaturationTemp
            timeKey: PCRConst.denaturationTime
        }
        EditorStageColumn {
            id: annealing
            width: stages.columnWidth
            title: qsTr("Annealing")
            steps: view.steps
            row: view.row
            tempKey: PCRConst.annealingTemp
            timeKey: PCRConst.annealingTime
        }
        EditorStageColumn {
            id: extension
            width: stages.columnWidth
            title: qsTr("Extension")
            steps: view.steps
            row: view.row
            tempKey: PCRConst.extensionTemp
            timeKey: PCRConst.extensionTime
            timeTabItem: cycles
        }
        EditorStageColumn {
            id: finalExtension
            visible: !view.flexMode
            width: stages.columnWidth
            title: qsTr("Final extension")
            steps: view.steps
            row: view.row
            tempKey: PCRConst.finalTemp
            timeKey: PCRConst.finalTime
            tempBacktabItem: cycles
            timeTabItem: exit
        }
    }

    Row {
        id: cyclesRow
        anchors.top: stages.bottom
        anchors.topMargin: 12
        anchors.horizontalCenter: stages.horizontalCenter
        spacing: 8

        EditorLabel {
            height: cycles.height
            text: qsTr("Number of cycles ")
        }
        DialogIntTextField {
            id: cycles
            steps: view.steps
            row: view.row
            key: PCRConst.cyclesNum
            KeyNavigation.backtab: extension.timeField
            KeyNavigation.tab: view.flexMode ? null : finalExtension.tempField
        }
    }

    // Lets Tab leave the step after the final extension and Backtab come
    // back into it there.
    FocusNavigator {
        id: exit
        // In a flex protocol the final extension is not shown and Tab simply
        // goes on; an invisible item is no stop of the chain.
        visible: !view.flexMode
        backtabItem: finalExtension.timeField
    }
}
