import QtQuick
import QtQuick.Layouts
import Tessaly.Ui

// The panel under an opened row: the error of a failed clean and the tags
// before and after, with the removed ones in red. Read-only.
Rectangle {
    id: panel

    // The row's metadataLog (FileRows).
    required property var log

    radius: 6
    color: Theme.withAlpha(Theme.window, 0.4)
    implicitHeight: content.implicitHeight + 24

    ColumnLayout {
        id: content

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 12
        spacing: 12

        RowLayout {
            objectName: "errorLine"
            visible: panel.log.errorMessage !== ""
            spacing: 6
            Layout.fillWidth: true

            TintedIcon {
                symbol: "exclamationmark.triangle"
                color: Theme.red
                Layout.preferredWidth: 14
                Layout.preferredHeight: 14
                Layout.alignment: Qt.AlignTop
            }
            Text {
                objectName: "errorText"
                text: panel.log.errorMessage
                textFormat: Text.PlainText
                font.pixelSize: Theme.calloutSize
                color: Theme.red
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }
        }

        // A clean that kept something by choice says so first.
        Text {
            objectName: "keptNote"
            visible: text !== ""
            text: panel.log.keptNote !== undefined ? panel.log.keptNote : ""
            textFormat: Text.PlainText
            font.pixelSize: Theme.calloutSize
            color: Theme.secondaryLabel
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }

        Text {
            objectName: "errorDetail"
            visible: text !== ""
            text: panel.log.errorDetail !== undefined ? panel.log.errorDetail : ""
            textFormat: Text.PlainText
            font.pixelSize: Theme.calloutSize
            color: Theme.secondaryLabel
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }

        RowLayout {
            objectName: "comparison"
            visible: panel.log.hasComparison
            spacing: 16
            Layout.fillWidth: true

            MetadataColumn {
                objectName: "beforeColumn"
                title: qsTrId("before")
                entries: panel.log.before
                Layout.alignment: Qt.AlignTop
                Layout.fillWidth: true
                Layout.preferredWidth: 1 // equal shares of the width
            }
            Rectangle {
                color: Theme.divider
                Layout.preferredWidth: 1
                Layout.fillHeight: true
            }
            MetadataColumn {
                objectName: "afterColumn"
                title: qsTrId("after")
                entries: panel.log.after
                Layout.alignment: Qt.AlignTop
                Layout.fillWidth: true
                Layout.preferredWidth: 1
            }
        }

        // What stays in the file, each with its reason.
        ColumnLayout {
            objectName: "stillInFile"
            visible: panel.log.stillInFile.length > 0
            spacing: 4
            Layout.fillWidth: true

            Text {
                //% "Still in the file"
                text: qsTrId("still_in_file")
                font.pixelSize: Theme.calloutSize
                font.bold: true
                color: Theme.primaryLabel
                Accessible.role: Accessible.Heading
            }
            Repeater {
                model: panel.log.stillInFile
                delegate: Text {
                    required property string modelData
                    text: modelData
                    textFormat: Text.PlainText
                    font.pixelSize: Theme.captionSize
                    color: Theme.secondaryLabel
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }
            }
        }
    }
}
