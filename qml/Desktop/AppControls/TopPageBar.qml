import QtQuick 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0

// The head of the library and devices pages: the title and an optional sort
// selector after it. The bell and option buttons at its right come from the
// main window (PageBarButtons over the page head), so the bar leaves room
// for them.
Rectangle {
    id: bar

    property string title
    property Component sortSelector: null
    readonly property Item sortSelectorItem: sortSlot.item
    // Room kept free at the right for the window's bell and option buttons.
    property real buttonsReserve: 100

    implicitHeight: AppStyle.topBarHeight
    color: AppStyle.pageBackgroundColor

    AppLabel {
        id: titleText
        objectName: "pageTitle"
        anchors { left: parent.left; leftMargin: 24; verticalCenter: parent.verticalCenter }
        width: Math.min(implicitWidth, parent.width / 3)
        text: bar.title
        color: AppStyle.pageTitleColor
        font.pixelSize: 24
    }

    Loader {
        id: sortSlot
        objectName: "sortSelectorSlot"
        anchors {
            left: titleText.right
            leftMargin: 32
            right: parent.right
            rightMargin: bar.buttonsReserve
            verticalCenter: parent.verticalCenter
        }
        sourceComponent: bar.sortSelector
    }
}
