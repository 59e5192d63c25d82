import QtQuick 2.15
import Common.AppStyle 1.0

// Red behind a field made of several inputs (the hold time) while its value
// is not valid, fading in and out like a single field's.
Rectangle {
    property bool invalid: false

    radius: 3
    color: invalid ? AppStyle.redButtonColor : AppStyle.windowBackgroundColor
    border.width: 1
    border.color: AppStyle.separatorColor

    Behavior on color {
        ColorAnimation { duration: AppStyle.animationTextfieldColorDuration }
    }
}
