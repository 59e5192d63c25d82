import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0
import PCR.Program 1.0
import Desktop.AppControls 1.0

// The round add button and, while open, the kinds of protocol to create.
// Only clicks inside the circle toggle it; the rest fall through.
Item {
    id: menu

    property bool open: false
    readonly property real buttonSize: addButton.width

    // programType: a ProgramType value
    signal kindChosen(int programType)

    implicitWidth: Math.max(addButton.width, choices.width)
    implicitHeight: addButton.height + (open ? choices.height + 8 : 0)

    function choose(kind) {
        open = false
        kindChosen(kind)
    }

    Rectangle {
        id: addButton
        objectName: "addButton"
        anchors.right: parent.right
        width: 48
        height: 48
        radius: width / 2
        activeFocusOnTab: true
        color: menu.open ? (addArea.pressed ? AppStyle.redButtonPressedColor
                                            : addArea.containsMouse ? AppStyle.redButtonHoverColor
                                                                    : AppStyle.redButtonColor)
                         : (addArea.pressed ? AppStyle.buttonPressedColor
                                            : addArea.containsMouse ? AppStyle.buttonHoverColor
                                                                    : AppStyle.buttonColor)
        border.width: activeFocus ? 2 : 0
        border.color: "white"
        Keys.onSpacePressed: menu.open = !menu.open
        Keys.onReturnPressed: menu.open = !menu.open
        Keys.onEscapePressed: menu.open = false

        // The plus turns into a cross when open.
        Item {
            anchors.centerIn: parent
            width: 20
            height: 20
            rotation: menu.open ? 45 : 0
            Behavior on rotation { NumberAnimation { duration: 150 } }
            Rectangle { anchors.centerIn: parent; width: 20; height: 3; radius: 1; color: "white" }
            Rectangle { anchors.centerIn: parent; width: 3; height: 20; radius: 1; color: "white" }
        }

        MouseArea {
            id: addArea
            anchors.fill: parent
            hoverEnabled: true
            onPressed: mouse.accepted = Qt.vector2d(mouse.x - width / 2, mouse.y - height / 2).length() <= width / 2
            onClicked: menu.open = !menu.open
        }
    }

    Column {
        id: choices
        objectName: "addChoices"
        anchors.top: addButton.bottom
        anchors.topMargin: 8
        anchors.right: parent.right
        spacing: 6
        visible: menu.open

        Repeater {
            model: [
                { kind: ProgramType.PT_PCR, name: "pcr", text: qsTr("PCR") },
                { kind: ProgramType.PT_HEAT_BLOCK, name: "heatBlock", text: qsTr("Heat Block") },
                { kind: ProgramType.PT_LINEAR_RAMP, name: "linearRamp", text: qsTr("Linear Ramp") },
                { kind: ProgramType.PT_FLEX, name: "flex", text: qsTr("Flex") }
            ]
            delegate: RowActionButton {
                objectName: "add_" + modelData.name
                width: 120
                text: modelData.text
                onClicked: menu.choose(modelData.kind)
            }
        }
    }
}
