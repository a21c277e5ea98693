import QtQuick
import QtQuick.Layouts
import Tessaly.Ui

// One side of the before/after comparison: a header with the row count,
// then the sorted tags. Keys and values come from the file and the tool, so
// they are always plain text.
ColumnLayout {
    id: column

    required property string title
    // [{key, value, removed}], already sorted and shortened by Presentation.
    required property var entries

    spacing: 6

    RowLayout {
        spacing: 4

        Text {
            text: column.title
            font.pixelSize: Theme.captionSize
            font.weight: Font.DemiBold
            font.capitalization: Font.AllUppercase
            color: Theme.secondaryLabel
        }
        Text {
            objectName: "rowCount"
            text: Presentation.rowCountText(column.entries.length)
            font.family: Theme.monospaceFamily
            font.pixelSize: Theme.captionSize
            color: Theme.tertiaryLabel
        }
    }

    Text {
        visible: column.entries.length === 0
        text: qsTrId("no_metadata")
        font.pixelSize: Theme.captionSize
        font.italic: true
        color: Theme.tertiaryLabel
    }

    Repeater {
        model: column.entries

        RowLayout {
            id: entryRow

            required property var modelData
            readonly property bool removed: modelData.removed

            objectName: "entry"
            spacing: 4
            Layout.fillWidth: true

            Text {
                id: keyText
                objectName: "key"
                text: entryRow.modelData.key
                textFormat: Text.PlainText
                font.family: Theme.monospaceFamily
                font.pixelSize: Theme.captionSize
                color: entryRow.removed ? Theme.red : Theme.secondaryLabel
                horizontalAlignment: Text.AlignRight
                wrapMode: Text.WrapAnywhere
                Layout.alignment: Qt.AlignTop
                Layout.preferredWidth: Math.max(100, Math.min(implicitWidth, column.width * 0.45))
            }
            Text {
                objectName: "value"
                text: entryRow.modelData.value
                textFormat: Text.PlainText
                font.family: Theme.monospaceFamily
                font.pixelSize: Theme.captionSize
                color: entryRow.removed ? Theme.red : Theme.primaryLabel
                wrapMode: Text.WrapAnywhere
                maximumLineCount: 2
                elide: Text.ElideRight
                Layout.alignment: Qt.AlignTop
                Layout.fillWidth: true
            }
        }
    }
}
