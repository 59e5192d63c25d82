import QtQuick 2.15
import QtQuick.Window 2.15

Window {
    id: mainWindow

    readonly property var fontFaces: ["Regular", "Black", "BlackItalic", "Bold", "BoldItalic",
        "Hairline", "HairlineItalic", "Italic", "Light", "LightItalic"]

    title: "Thermox"
    width: 1280
    height: 768
    minimumWidth: 640
    minimumHeight: 480
    visible: true
    color: "#2a2d34"

    Repeater {
        model: mainWindow.fontFaces
        delegate: Item {
            FontLoader { source: "qrc:/Resources/fonts/Lato-" + modelData + ".ttf" }
        }
    }

    Text {
        anchors.centerIn: parent
        text: "Thermox"
        textFormat: Text.PlainText
        color: "#CDCDCD"
        font.family: "Lato"
        font.pixelSize: 32
    }
}
