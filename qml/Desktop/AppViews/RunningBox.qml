import QtQuick 2.15
import Common.AppStyle 1.0

// The dark panel behind each box of a running tab.
Rectangle {
    color: "#343741"
    radius: 4
}
