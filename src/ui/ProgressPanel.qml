import QtQuick
import QtQuick.Controls
import Tessaly.Ui

// The panel of a clean-all run: a bar and the percentage done. Moves only
// when the progress changes; nothing runs while it waits. Only a lone large
// step (a run of a few files) is animated: a run of hundreds advances in
// steps several times a second, where an animation would redraw the window
// at full frame rate for the whole run and look no smoother.
Rectangle {
    id: panel

    property bool shown: false
    property real progress: 0
    property bool canStop: false

    signal stopRequested()
    // Counts up to the new value instead of jumping.
    property real shownPercentage: Presentation.percentage(progress)
    readonly property string percentageText: Presentation.percentageText(Math.floor(shownPercentage))

    opacity: shown ? 1 : 0
    visible: opacity > 0
    implicitWidth: panelColumn.implicitWidth + 40
    implicitHeight: panelColumn.implicitHeight + 20
    radius: 12
    color: Theme.floatingMaterial
    border.color: Theme.divider

    Behavior on opacity {
        NumberAnimation { duration: 300; easing.type: Easing.OutCubic }
    }
    // A step that comes while one is still counting up is shown at once:
    // restarted every time, the easing would fall ever further behind a
    // fast run.
    Behavior on shownPercentage {
        enabled: Math.abs(targetValue - panel.shownPercentage) >= 4 && !stepAnimation.running
        NumberAnimation { id: stepAnimation; duration: 300; easing.type: Easing.InOutQuad }
    }

    Row {
        id: panelColumn

        anchors.centerIn: parent
        spacing: 12

    Column {
        anchors.verticalCenter: parent.verticalCenter
        spacing: 6

        ProgressBar {
            id: bar
            objectName: "progressBar"

            from: 0
            to: 1
            value: Math.max(0, Math.min(1, panel.progress))
            // Its value, bounds and changes through AccessibleItem.
            Accessible.role: Accessible.ProgressBar
            //% "Cleaning progress"
            Accessible.name: qsTrId("a11y_progress")
            Accessible.ignored: !visible

            background: Rectangle {
                implicitWidth: 200
                implicitHeight: 6
                radius: 3
                color: Theme.progressTrack
            }
            contentItem: Item {
                implicitWidth: 200
                implicitHeight: 6

                Rectangle {
                    id: fill
                    objectName: "progressFill"
                    height: parent.height
                    radius: 3
                    width: parent.width * bar.visualPosition
                    color: Presentation.isProgressComplete(panel.progress) ? Theme.green : Theme.progressFill

                    Behavior on width {
                        enabled: Math.abs(targetValue - fill.width) >= 0.04 * fill.parent.width
                                 && !fillAnimation.running
                        NumberAnimation { id: fillAnimation; duration: 400; easing.type: Easing.InOutQuad }
                    }
                }
            }
        }
        Text {
            objectName: "percentageText"
            anchors.horizontalCenter: parent.horizontalCenter
            text: panel.percentageText
            font.pixelSize: Theme.caption2Size
            font.family: Theme.monospaceFamily
            color: Theme.secondaryLabel
            Accessible.ignored: true
        }
    }
    SymbolButton {
        objectName: "stopButton"
        anchors.verticalCenter: parent.verticalCenter
        //% "Stop"
        text: qsTrId("stop")
        symbol: "stop.fill"
        enabled: panel.canStop
        onClicked: panel.stopRequested()
    }
    }
}
