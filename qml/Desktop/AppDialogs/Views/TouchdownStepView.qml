import QtQuick 2.15
import Desktop.AppDialogs.Controls 1.0
import Utils 1.0

// A touchdown step of a flex protocol: annealing temperature and extension
// time move from a start to an end value over the cycles.
Item {
    id: view

    property StepList steps: null
    property int row: 0
    property bool flexMode: true
    readonly property Item firstField: denaturationTemp

    implicitWidth: 520
    implicitHeight: grid.height + 8

    Grid {
        id: grid
        anchors.horizontalCenter: parent.horizontalCenter
        columns: 5
        columnSpacing: 10
        rowSpacing: 8
        verticalItemAlignment: Grid.AlignVCenter

        Item { width: 1; height: 1 }
        EditorLabel { text: qsTr("Temperature") }
        Item { width: 1; height: 1 }
        EditorLabel { text: qsTr("Time") }
        Item { width: 1; height: 1 }

        EditorLabel { text: qsTr("Denaturation") }
        DialogTempTextField {
            id: denaturationTemp
            width: 84
            steps: view.steps
            row: view.row
            key: PCRConst.denaturationTemp
        }
        Item { width: 1; height: 1 }
        DialogTimeTextField {
            width: 84
            steps: view.steps
            row: view.row
            key: PCRConst.denaturationTime
        }
        Item { width: 1; height: 1 }

        EditorLabel { text: qsTr("Annealing") }
        Column {
            EditorLabel { text: qsTr("Start") }
            DialogTempTextField {
                width: 84
                wholeDegrees: true
                steps: view.steps
                row: view.row
                key: PCRConst.annealingTemp
            }
        }
        Column {
            EditorLabel { text: qsTr("End") }
            DialogTempTextField {
                width: 84
                steps: view.steps
                row: view.row
                key: PCRConst.annealingEndTemp
            }
        }
        DialogTimeTextField {
            width: 84
            steps: view.steps
            row: view.row
            key: PCRConst.annealingTime
        }
        Item { width: 1; height: 1 }

        EditorLabel { text: qsTr("Extension") }
        DialogTempTextField {
            width: 84
            steps: view.steps
            row: view.row
            key: PCRConst.extensionTemp
        }
        Item { width: 1; height: 1 }
        Column {
            EditorLabel { text: qsTr("Start") }
            DialogTimeTextField {
                width: 84
                steps: view.steps
                row: view.row
                key: PCRConst.extensionTime
            }
        }
        Column {
            EditorLabel { text: qsTr("End") }
            DialogTimeTextField {
                width: 84
                steps: view.steps
                row: view.row
                key: PCRConst.extensionEndTime
            }
        }

        EditorLabel { text: qsTr("Number of cycles ") }
        DialogIntTextField {
            minimum: 2
            steps: view.steps
            row: view.row
            key: PCRConst.cyclesNum
        }
    }
}
