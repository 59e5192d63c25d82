import QtQuick 2.15
import Common.AppControls 1.0

// A run-control button showing qrc:/Resources/images/running/<image>.svg,
// or its "_disabled" picture while disabled.
IconButton {
    property string image: ""

    implicitWidth: 40
    implicitHeight: 40
    iconSize: 26
    source: "qrc:/Resources/images/running/" + image + (enabled ? "" : "_disabled") + ".svg"
}
