import QtQuick 2.15

// The three dots that open a page's option menu.
IconButton {
    source: "qrc:/Resources/images/option_dots_normal.svg"
    hoveredSource: "qrc:/Resources/images/option_dots_hovered.svg"
    Accessible.name: qsTr("Options")
}
