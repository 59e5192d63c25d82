import QtQuick 2.15
import PCR.Program 1.0
import Common.AppStyle 1.0
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

    // Not the shared round button: only the circle may take clicks, and
    // the controls' buttons cannot narrow their hit area in this Qt.
    Rectangle {
        id: addButton
        objectName: "addButton"
        anchors.right: parent.right
        width: 48
        height: 48
        radius: width / 2
        activeFocusOnTab: true
        readonly property bool red: menu.open
        color: {
            if (addArea.pressed)
                return red ? AppStyle.redButtonPressedColor : AppStyle.buttonPressedColor
            if (addArea.containsMouse)
                return red ? AppStyle.redButtonHoverColor : AppStyle.buttonHoverColor
            return red ? AppStyle.redButtonColor : AppStyle.buttonColor
        }
        border.width: activeFocus ? 2 : 0
        border.color: AppStyle.focusFrameColor
        Accessible.role: Accessible.Button
        Accessible.name: qsTr("Add protocol")
        Keys.onSpacePressed: menu.open = !menu.open
        Keys.onReturnPressed: menu.open = !menu.open
        Keys.onEnterPressed: menu.open = !menu.open
        Keys.onEscapePressed: menu.open = false

        Image {
            anchors.centerIn: parent
            width: 24
            height: 24
            sourceSize: Qt.size(width, height)
            source: menu.open ? "qrc:/Resources/images/cross.svg" : "qrc:/Resources/images/add.svg"
        }

        MouseArea {
            id: addArea
            anchors.fill: parent
            hoverEnabled: true
            onPressed: {
                var fromCentre = Qt.vector2d(mouse.x - width / 2, mouse.y - height / 2)
                mouse.accepted = fromCentre.length() <= width / 2
            }
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
