import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Shapes 1.15
import Common.AppStyle 1.0

// "Sort by: " and a drop-down of the sort keys; the chosen entry is drawn
// in the link colour.
Row {
    id: selector

    // Entries { key, text }, in the order shown.
    property var entries: []
    property string currentKey

    signal keyChosen(string key)

    spacing: 6
    // Wide enough for the longest entry without eliding it.
    readonly property int roomyBoxWidth: 110

    function indexOfKey(key) {
        for (var i = 0; i < entries.length; ++i) {
            if (entries[i].key === key)
                return i
        }
        return 0
    }

    Text {
        id: label
        objectName: "sortLabel"
        anchors.verticalCenter: parent.verticalCenter
        // Left out where the box would have to cut its entry short.
        visible: selector.width >= implicitWidth + selector.spacing + selector.roomyBoxWidth
        text: qsTr("Sort by: ")
        color: AppStyle.textActiveColor
        font.family: AppStyle.fontFamily
        font.pixelSize: 14
    }

    ComboBox {
        id: box
        objectName: "sortBox"
        // Narrower where a long title leaves less room before the window's
        // buttons (the smallest window in French).
        width: Math.max(80, Math.min(130, selector.width
                                          - (label.visible ? label.width + selector.spacing : 0)))
        height: 32
        model: selector.entries
        textRole: "text"
        currentIndex: selector.indexOfKey(selector.currentKey)
        font.family: AppStyle.fontFamily
        font.pixelSize: 14
        onActivated: selector.keyChosen(selector.entries[index].key)

        contentItem: Text {
            leftPadding: 10
            text: box.displayText
            font: box.font
            color: AppStyle.linkActiveColor
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }

        // Drawn here: the style's picture of it is cached by Qt for good.
        indicator: Shape {
            x: box.width - width - 10
            y: (box.height - height) / 2
            width: 10
            height: 6
            ShapePath {
                strokeColor: AppStyle.textActiveColor
                strokeWidth: 1.5
                fillColor: "transparent"
                startX: 0; startY: 0
                PathLine { x: 5; y: 6 }
                PathLine { x: 10; y: 0 }
            }
        }

        background: Rectangle {
            color: AppStyle.windowBackgroundColor
            radius: 3
            border.width: box.visualFocus ? 2 : 1
            border.color: box.visualFocus ? "white" : AppStyle.buttonDisabledColor
        }

        delegate: ItemDelegate {
            width: box.width
            highlighted: box.highlightedIndex === index
            contentItem: Text {
                text: modelData.text
                color: index === box.currentIndex ? AppStyle.linkActiveColor : "black"
                font: box.font
                verticalAlignment: Text.AlignVCenter
            }
        }
    }
}
