import QtQuick 2.15

// Shows whether the alarm bell is on; the owner toggles it on click.
IconButton {
    property bool active: false

    source: active ? "qrc:/Resources/images/bell_on.svg" : "qrc:/Resources/images/bell_off.svg"
    Accessible.name: qsTr("Alarm bell")
}
