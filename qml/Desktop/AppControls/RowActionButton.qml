import QtQuick 2.15
import Common.AppStyle 1.0
import Common.AppControls 1.0

// The compact caption button of a list row ("RUN", "EDIT", "CONNECT"...);
// half opaque while disabled.
AppButton {
    implicitWidth: Math.max(64, contentItem.implicitWidth + leftPadding + rightPadding)
    implicitHeight: 28
    leftPadding: 10
    rightPadding: 10
    opacity: enabled ? (visualFocus ? AppStyle.activeFocusOpacity : 1) : AppStyle.disabledOpacity
}
