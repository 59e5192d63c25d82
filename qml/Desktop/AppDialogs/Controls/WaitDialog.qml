import QtQuick 2.15
import QtQuick.Controls 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0

// A small busy box that reports itself finished after `interval` ms, so the
// dialog host can show what was queued behind it.
Rectangle {
    id: dialog

    property int dialogId: -1
    property int interval: 2000

    signal finished(int senderDialogId)

    width: 200
    height: 120
    radius: AppStyle.cornerRadius
    color: AppStyle.pageBackgroundColor

    Column {
        anchors.centerIn: parent
        spacing: 8

        BusyIndicator {
            anchors.horizontalCenter: parent.horizontalCenter
            running: true
        }
        AppLabel {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Loading...")
        }
    }

    Timer {
        interval: dialog.interval
        running: true
        onTriggered: dialog.finished(dialog.dialogId)
    }
}
