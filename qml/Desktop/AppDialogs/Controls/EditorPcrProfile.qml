import QtQuick 2.15
import QtQuick.Shapes 1.15
import Common.AppStyle 1.0

// A fixed picture of a PCR temperature profile; it does not follow the values.
Shape {
    id: profile

    implicitWidth: 500
    implicitHeight: 60

    ShapePath {
        strokeColor: AppStyle.linkActiveColor
        strokeWidth: 2
        fillColor: "transparent"
        startX: 0
        startY: profile.height * 0.15
        PathLine { x: profile.width * 0.28; y: profile.height * 0.15 }
        PathLine { x: profile.width * 0.34; y: profile.height * 0.85 }
        PathLine { x: profile.width * 0.52; y: profile.height * 0.85 }
        PathLine { x: profile.width * 0.58; y: profile.height * 0.5 }
        PathLine { x: profile.width; y: profile.height * 0.5 }
    }
    ShapePath {
        strokeColor: AppStyle.textDisabledColor
        strokeWidth: 1
        strokeStyle: ShapePath.DashLine
        fillColor: "transparent"
        startX: profile.width * 0.2
        startY: 0
        PathLine { x: profile.width * 0.2; y: profile.height }
        PathMove { x: profile.width * 0.8; y: 0 }
        PathLine { x: profile.width * 0.8; y: profile.height }
    }
}
