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

    // One width for every key of the column, so that keys line up on their
    // right ends: the widest key, at least 100, at most 45% of the column
    // (longer keys wrap).
    readonly property real keyWidth: {
        let widest = 0
        for (let i = 0; i < entries.length; ++i)
            widest = Math.max(widest, keyMetrics.advanceWidth(entries[i].key))
        return Math.max(100, Math.min(Math.ceil(widest) + 2, width * 0.45))
    }

    FontMetrics {
        id: keyMetrics
        font.family: Theme.monospaceFamily
        font.pixelSize: Theme.captionSize
    }

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
                wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                Layout.alignment: Qt.AlignTop
                Layout.preferredWidth: column.keyWidth
                Layout.minimumWidth: column.keyWidth
                Layout.maximumWidth: column.keyWidth
            }
            Text {
                objectName: "value"
                text: entryRow.modelData.value
                textFormat: Text.PlainText
                font.family: Theme.monospaceFamily
                font.pixelSize: Theme.captionSize
                color: entryRow.removed ? Theme.red : Theme.primaryLabel
                wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                maximumLineCount: 2
                elide: Text.ElideRight
                Layout.alignment: Qt.AlignTop
                Layout.fillWidth: true
                Layout.preferredWidth: 0
            }
        }
    }
}
