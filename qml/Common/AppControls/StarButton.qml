import QtQuick 2.15

// A favourite mark that the owner toggles on click.
IconButton {
    property bool starred: false

    source: starred ? "qrc:/Resources/images/star_on.svg" : "qrc:/Resources/images/star_off.svg"
    Accessible.name: qsTr("Favourite")
}
