import QtQuick 2.15
import Common.AppStyle 1.0

// A one-pixel rule between parts of a panel.
Rectangle {
    implicitHeight: 1
    implicitWidth: 1
    color: AppStyle.separatorColor
}
