import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Ui

// One side of the before/after comparison: a header with the row count,
// then the sorted tags. Keys and values come from the file and the tool, so
// they are always plain text.
ColumnLayout {
    id: column

    required property string title
    // [{key, value, removed, heading, warning}], already grouped, sorted and
    // shortened by Presentation; a non-empty heading starts a topic.
    required property var entries
    // exiftool's warnings are listed, not counted as tags.
    readonly property int tagCount: {
        let n = 0
        for (let i = 0; i < entries.length; ++i)
            if (!entries[i].warning)
                ++n
        return n
    }

    spacing: 6

    // One width for every key of the column, so that keys line up on their
    // right ends: the widest key, at most 45% of the column (longer keys are
    // cut at their end; the whole key is in the tooltip and the accessible
    // name).
    readonly property real keyWidth: {
        let widest = 0
        for (let i = 0; i < entries.length; ++i)
            widest = Math.max(widest, keyMetrics.advanceWidth(entries[i].key))
        return Math.max(40, Math.min(Math.ceil(widest) + 2, width * 0.45))
    }

    FontMetrics {
        id: removedMarkMetrics
        font.family: Theme.monospaceFamily
        font.pixelSize: Theme.captionSize
        font.bold: true
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
            text: Presentation.rowCountText(column.tagCount)
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

    // A positioner and plain bindings rather than layouts: a layout keeps
    // the key width and the one-line height it saw first, before the column
    // had the width that wraps long values.
    Column {
        spacing: column.spacing
        Layout.fillWidth: true

        Repeater {
            model: column.entries

            Item {
                id: entryRow

                required property var modelData
                readonly property bool removed: modelData.removed

                objectName: "entry"
                width: parent.width
                implicitHeight: topicHeading.height + Math.max(keyText.implicitHeight, valueText.implicitHeight)

                // Removed tags are struck through and marked, not only red.
                Accessible.role: Accessible.StaticText
                Accessible.name: removed
                                 //% "%1: %2, removed"
                                 ? qsTrId("a11y_removed_tag").arg(modelData.key).arg(modelData.value)
                                 : modelData.key + ": " + modelData.value

                Text {
                    id: topicHeading
                    objectName: "topicHeading"
                    visible: text !== ""
                    height: visible ? implicitHeight + 4 : 0
                    text: entryRow.modelData.heading || ""
                    textFormat: Text.PlainText
                    font.pixelSize: Theme.captionSize
                    font.weight: Font.DemiBold
                    color: Theme.secondaryLabel
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                }
                Text {
                    id: keyText
                    objectName: "key"
                    text: entryRow.modelData.key
                    textFormat: Text.PlainText
                    font.family: Theme.monospaceFamily
                    font.pixelSize: Theme.captionSize
                    font.strikeout: entryRow.removed
                    color: entryRow.removed ? Theme.red : Theme.secondaryLabel
                    horizontalAlignment: Text.AlignRight
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    Accessible.ignored: true
                    y: topicHeading.height
                    width: column.keyWidth

                    HoverHandler { id: keyHover; enabled: keyText.truncated }
                    ToolTip.visible: keyHover.hovered
                    ToolTip.text: keyText.text
                    ToolTip.delay: 600
                }
                Text {
                    id: removedMark
                    objectName: "removedMark"
                    text: entryRow.removed ? "\u2212" : ""
                    font.family: Theme.monospaceFamily
                    font.pixelSize: Theme.captionSize
                    font.bold: true
                    color: Theme.red
                    Accessible.ignored: true
                    x: keyText.width + 4
                    y: topicHeading.height
                    width: removedMarkMetrics.advanceWidth("\u2212")
                }
                Text {
                    id: valueText
                    objectName: "value"
                    text: entryRow.modelData.value
                    textFormat: Text.PlainText
                    font.family: Theme.monospaceFamily
                    font.pixelSize: Theme.captionSize
                    font.strikeout: entryRow.removed
                    color: entryRow.removed ? Theme.red : Theme.primaryLabel
                    wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                    maximumLineCount: 2
                    elide: Text.ElideRight
                    Accessible.ignored: true
                    x: removedMark.x + removedMark.width + 4
                    y: topicHeading.height
                    width: entryRow.width - x
                }
            }
        }
    }
}
