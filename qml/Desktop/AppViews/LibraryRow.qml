import QtQuick 2.15
import QtQuick.Layouts 1.15
import Common.AppStyle 1.0
import Common.AppControls 1.0
import Desktop.AppControls 1.0

// One protocol of the library list. The current row shows the actions.
Rectangle {
    id: row

    property int programId: -1
    property string protocolName
    property bool favorite: false
    property bool running: false
    property bool flex: false
    // Only the larger model can run it.
    property bool largeModelOnly: false
    property bool current: false
    // Room kept free at the right, under the list's add button.
    property real actionsShift: 0
    property int sideMargin: 12

    signal selected()
    signal favoriteToggled()
    signal runClicked()
    signal editClicked()
    signal copyClicked()
    signal deleteClicked()

    readonly property color textColor: current ? AppStyle.currentRowTextColor : "white"
    readonly property int lineHeight: 60
    // The name keeps at least this much room beside the actions; in a narrow
    // window or with longer captions the actions go under it instead.
    readonly property int minimumNameWidth: 120
    readonly property real roomBesideStar: width - 2 * sideMargin - actionsShift - star.width - 2 * line.spacing
    readonly property bool actionsBelow: current && actions.implicitWidth + minimumNameWidth > roomBesideStar

    implicitHeight: actionsBelow ? lineHeight + actions.height + 6 : lineHeight
    color: current ? AppStyle.selectedRowColor : running ? AppStyle.runningRowColor : "transparent"

    MouseArea {
        anchors.fill: parent
        onClicked: row.selected()
    }

    RowLayout {
        id: line
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: row.lineHeight
        anchors.leftMargin: row.sideMargin
        anchors.rightMargin: row.sideMargin + row.actionsShift
        spacing: 10

        StarButton {
            id: star
            objectName: "favoriteStar"
            starred: row.favorite
            onClicked: row.favoriteToggled()
        }

        Column {
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignVCenter

            Row {
                width: parent.width
                spacing: 6
                Text {
                    id: nameText
                    objectName: "protocolName"
                    width: Math.min(implicitWidth, parent.width - (flexTag.visible ? flexTag.width + parent.spacing : 0))
                    text: row.protocolName + (row.running ? " (" + qsTr("Running") + "...)" : "")
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    color: row.textColor
                    font.family: AppStyle.fontFamily
                    font.pixelSize: 16
                    font.underline: row.current
                }
                Text {
                    id: flexTag
                    objectName: "flexTag"
                    visible: row.flex
                    text: "[" + qsTr("FLEX") + "]"
                    textFormat: Text.PlainText
                    color: row.textColor
                    font.family: AppStyle.fontFamily
                    font.pixelSize: 16
                }
            }
            Text {
                objectName: "largeModelLabel"
                visible: row.largeModelOnly
                text: qsTr("vela16")
                textFormat: Text.PlainText
                color: row.textColor
                opacity: row.current ? 1 : AppStyle.secondaryLabelOpacity
                font.family: AppStyle.fontFamily
                font.pixelSize: 12
            }
        }

        // The actions' room on the line, when they sit beside the name.
        Item {
            visible: row.current && !row.actionsBelow
            Layout.preferredWidth: actions.implicitWidth
        }
    }

    Row {
        id: actions
        objectName: "rowActions"
        visible: row.current
        anchors.right: parent.right
        anchors.rightMargin: row.sideMargin + row.actionsShift
        y: row.actionsBelow ? row.lineHeight - 6 : (row.lineHeight - height) / 2
        spacing: 8
        RowActionButton {
            objectName: "runButton"
            text: qsTr("RUN")
            onClicked: row.runClicked()
        }
        RowActionButton {
            objectName: "editButton"
            text: qsTr("EDIT")
            onClicked: row.editClicked()
        }
        RowActionButton {
            objectName: "copyButton"
            text: qsTr("COPY")
            onClicked: row.copyClicked()
        }
        RowActionButton {
            objectName: "deleteButton"
            text: qsTr("DELETE")
            onClicked: row.deleteClicked()
        }
    }
}
