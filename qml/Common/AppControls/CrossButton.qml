import QtQuick 2.15

// The close cross of title bars.
IconButton {
    source: "qrc:/Resources/images/cross.svg"
    iconSize: 18
    Accessible.name: qsTr("Close")
}
