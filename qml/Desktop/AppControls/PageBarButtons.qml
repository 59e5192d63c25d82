import QtQuick 2.15
import Common.AppControls 1.0

// The right-hand controls of a page head: the alarm bell and the option
// button with its menu. The running page puts them into its tab bar.
Row {
    id: buttons

    property var disabledKeys: []

    signal optionSelected(string key)

    spacing: 4

    BellButton {
        objectName: "bellButton"
        active: Bell.activeForAll
        onClicked: Bell.activeForAll = !Bell.activeForAll
    }

    OptionButton {
        id: optionButton
        objectName: "optionButton"
        onClicked: pageMenu.open()
    }

    PageMenu {
        id: pageMenu
        objectName: "pageMenu"
        x: optionButton.x + optionButton.width - width
        y: optionButton.y + optionButton.height
        disabledKeys: buttons.disabledKeys
        onSelected: buttons.optionSelected(key)
    }
}
