import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import Common.AppStyle 1.0
import Common.AppControls 1.0
import Desktop.AppDialogs.Controls 1.0

// The choice of the user interface language, applied at the next start.
// The model remembers the highlighted row, so the window shows it again on
// every opening.
AbstractWindowFrame {
    id: window

    // The language list; a test may give a stand-in.
    property var model: LanguageModel
    readonly property int rowHeight: 60
    // The row shown as chosen; kept apart from the list's own current item,
    // which the list resets while it fills.
    property int highlightedRow: -1

    function highlight(row) {
        if (row < 0 || row >= languages.count)
            return
        highlightedRow = row
        languages.positionViewAtIndex(row, ListView.Contain)
        model.setCurrentLanguage(row)
    }

    title: qsTr("Language")
    frameHeight: AppStyle.titleBarHeight + 48 + (model ? Math.min(model.count, 4) : 0) * rowHeight + 90

    onAboutToShow: highlightedRow = model.getCurrentLanguageIndex()
    onAccepted: model.saveLanguage()

    ColumnLayout {
        anchors.fill: parent
        spacing: 8

        AppLabel {
            text: qsTr("Select your language:")
            font.pixelSize: AppStyle.messagePixelSize
        }

        ListView {
            id: languages
            objectName: "languageList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.maximumHeight: 4 * window.rowHeight
            clip: true
            focus: true
            keyNavigationEnabled: false
            boundsBehavior: Flickable.StopAtBounds
            model: window.model
            ScrollBar.vertical: ScrollBar {}

            Keys.onUpPressed: window.highlight(Math.max(0, window.highlightedRow - 1))
            Keys.onDownPressed: window.highlight(window.highlightedRow + 1)

            delegate: ItemDelegate {
                objectName: "languageRow" + index
                width: ListView.view.width
                height: window.rowHeight
                focusPolicy: Qt.NoFocus
                onClicked: window.highlight(index)

                contentItem: RowLayout {
                    spacing: 12
                    CheckMark {
                        checked: index === window.highlightedRow
                    }
                    AppLabel {
                        Layout.fillWidth: true
                        text: model.display
                        font.pixelSize: AppStyle.messagePixelSize
                    }
                }
                background: Rectangle {
                    color: parent.hovered ? AppStyle.currentMenuEntryColor : "transparent"
                    border.width: languages.activeFocus && index === window.highlightedRow ? 1 : 0
                    border.color: AppStyle.linkActiveColor
                }
            }
        }
    }

    buttons: [
        AppButton {
            objectName: "languageCancelButton"
            text: qsTr("Cancel")
            onClicked: window.reject()
        },
        Item {
            Layout.fillWidth: true
        },
        AppButton {
            objectName: "languageOkButton"
            text: qsTr("Ok")
            onClicked: window.accept()
        }
    ]
}
