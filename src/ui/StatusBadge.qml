import QtQuick
import QtQuick.Layouts
import Tessaly.Ui

// The status of a row: a symbol and a word in the status's colour. Nothing
// in it moves, so a run of thousands of rows redraws only what changes.
Rectangle {
    id: badge

    // A FileListModel.Status.
    required property int status

    readonly property var look: {
        switch (status) {
        case FileListModel.Processing:
            return { symbol: "wand.and.stars", color: Theme.blue, text: qsTrId("status_processing") }
        case FileListModel.Done:
            return { symbol: "checkmark.circle.fill", color: Theme.green, text: qsTrId("status_done") }
        case FileListModel.Error:
            return { symbol: "xmark.circle.fill", color: Theme.red, text: qsTrId("status_error") }
        case FileListModel.Ready:
            //% "Not cleaned yet"
            return { symbol: "", color: Theme.secondaryLabel, text: qsTrId("status_ready") }
        case FileListModel.Stopped:
            //% "Stopped"
            return { symbol: "", color: Theme.secondaryLabel, text: qsTrId("status_stopped") }
        default:
            //% "Waiting"
            return { symbol: "", color: Theme.secondaryLabel, text: qsTrId("status_waiting") }
        }
    }
    readonly property string text: look.text
    readonly property bool pill: look.symbol === ""

    radius: height / 2
    color: pill ? Theme.withAlpha(Theme.secondaryLabel, 0.12) : "transparent"
    implicitWidth: content.implicitWidth + (pill ? 16 : 0)
    implicitHeight: content.implicitHeight + (pill ? 6 : 0)
    Accessible.ignored: true

    RowLayout {
        id: content

        anchors.centerIn: parent
        spacing: 4

        TintedIcon {
            objectName: "statusSymbol"
            visible: !badge.pill
            symbol: badge.look.symbol
            color: badge.look.color
            Layout.preferredWidth: 13
            Layout.preferredHeight: 13
        }
        Text {
            objectName: "statusText"
            text: badge.look.text
            font.pixelSize: Theme.captionSize
            color: badge.look.color
        }
    }
}
