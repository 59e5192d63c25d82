import QtQuick 2.15
import Common.AppStyle 1.0
import PCR.Running 1.0

// The current PCR phase as a moving picture: strands parting (denaturation),
// primers settling on a strand (annealing), a strand copied behind the
// polymerase (extension). Invisible, but keeping its place, outside those phases.
RunningBox {
    id: root

    property bool shown: false
    property int protocolStepType: 0
    property string protocolStepName: ""
    // Whether anything may move (the tab is on screen).
    property bool animating: true

    readonly property int animation: RunningViewRules.animationFor(protocolStepType)
    readonly property bool playing: shown && animating

    opacity: shown ? 1 : 0

    Text {
        id: title
        anchors { left: parent.left; right: parent.right; top: parent.top; margins: 12 }
        text: root.protocolStepName
        textFormat: Text.PlainText
        color: "white"
        font.family: AppStyle.fontFamily
        font.pixelSize: 16
        font.bold: true
        elide: Text.ElideRight
    }

    Item {
        id: stage
        anchors { left: parent.left; right: parent.right; top: title.bottom; bottom: parent.bottom; margins: 12 }
        clip: true
        readonly property real strandWidth: Math.min(width, 240)
        readonly property real scaleFactor: strandWidth / 240

        Item {
            id: pictures
            width: stage.strandWidth
            height: 120 * stage.scaleFactor
            anchors.centerIn: parent

            Image {
                id: topStrand
                source: "qrc:/Resources/images/running/strand_top.svg"
                width: parent.width
                height: 40 * stage.scaleFactor
                sourceSize: Qt.size(240, 40)
                y: (root.animation === RunningViewRules.DenaturationAnimation ? 40 - parting.offset : 0) * stage.scaleFactor
            }
            Image {
                id: bottomStrand
                source: "qrc:/Resources/images/running/strand_bottom.svg"
                width: parent.width
                height: 40 * stage.scaleFactor
                sourceSize: Qt.size(240, 40)
                y: (root.animation === RunningViewRules.DenaturationAnimation ? 40 + parting.offset : 80) * stage.scaleFactor
                visible: root.animation !== RunningViewRules.ExtensionAnimation
            }
            Image {
                id: heat
                source: "qrc:/Resources/images/running/heat.svg"
                visible: root.animation === RunningViewRules.DenaturationAnimation
                width: 28 * stage.scaleFactor
                height: width
                x: parent.width - width
                y: parent.height / 2 - height / 2
                opacity: 0.4 + parting.offset / 60
            }
            Repeater {
                model: root.animation === RunningViewRules.AnnealingAnimation ? 2 : 0
                Image {
                    source: "qrc:/Resources/images/running/primer.svg"
                    width: 70 * stage.scaleFactor
                    height: 40 * stage.scaleFactor
                    sourceSize: Qt.size(70, 40)
                    x: (index === 0 ? 20 : 150) * stage.scaleFactor
                    y: (40 + settling.distance * (index === 0 ? 1 : 1.4)) * stage.scaleFactor
                }
            }
            Item {
                visible: root.animation === RunningViewRules.ExtensionAnimation
                anchors.fill: parent
                Item {
                    id: copyClip
                    y: 40 * stage.scaleFactor
                    width: extending.progress * parent.width
                    height: 40 * stage.scaleFactor
                    clip: true
                    Image {
                        source: "qrc:/Resources/images/running/strand_bottom.svg"
                        width: pictures.width
                        height: parent.height
                        sourceSize: Qt.size(240, 40)
                    }
                }
                Image {
                    source: "qrc:/Resources/images/running/polymerase.svg"
                    width: 44 * stage.scaleFactor
                    height: width
                    sourceSize: Qt.size(60, 60)
                    x: copyClip.width - width / 2
                    y: copyClip.y - height / 4
                }
            }
        }

        QtObject {
            id: parting
            property real offset: 0
        }
        QtObject {
            id: settling
            property real distance: 0
        }
        QtObject {
            id: extending
            property real progress: 0
        }

        SequentialAnimation {
            running: root.playing && root.animation === RunningViewRules.DenaturationAnimation
            loops: Animation.Infinite
            NumberAnimation { target: parting; property: "offset"; from: 0; to: 40; duration: 1600; easing.type: Easing.InOutQuad }
            PauseAnimation { duration: 500 }
            NumberAnimation { target: parting; property: "offset"; from: 40; to: 0; duration: 900; easing.type: Easing.InOutQuad }
        }
        SequentialAnimation {
            running: root.playing && root.animation === RunningViewRules.AnnealingAnimation
            loops: Animation.Infinite
            NumberAnimation { target: settling; property: "distance"; from: 30; to: 0; duration: 1800; easing.type: Easing.OutBounce }
            PauseAnimation { duration: 700 }
        }
        SequentialAnimation {
            running: root.playing && root.animation === RunningViewRules.ExtensionAnimation
            loops: Animation.Infinite
            NumberAnimation { target: extending; property: "progress"; from: 0; to: 1; duration: 2600 }
            PauseAnimation { duration: 600 }
        }
    }
}
