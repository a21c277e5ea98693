import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Ui

// A menu command with an optional symbol and, for an item of an Action,
// the Action's shortcut at its right end (Qt Quick Controls 6.4 shows none).
// Hidden items take no room; disabled ones are drawn dimmed.
MenuItem {
    id: item

    property string symbol
    property color tint: palette.windowText
    readonly property color ink: item.highlighted ? item.palette.highlightedText : item.tint
    readonly property string shortcutText: hint.nativeText

    height: visible ? implicitHeight : 0
    font.pixelSize: Theme.bodySize
    Accessible.name: text

    // Only turns the shortcut into its native text; the Action itself
    // owns the key.
    Shortcut {
        id: hint
        enabled: false
        sequence: item.action && item.action.shortcut !== undefined ? item.action.shortcut : ""
    }

    contentItem: RowLayout {
        spacing: 8
        opacity: item.enabled ? 1 : 0.45

        TintedIcon {
            visible: item.symbol !== ""
            symbol: item.symbol
            color: item.ink
            Layout.preferredWidth: 16
            Layout.preferredHeight: 16
        }
        Text {
            text: item.text
            font: item.font
            color: item.ink
            Layout.fillWidth: true
        }
        Text {
            objectName: "shortcutHint"
            visible: text !== ""
            text: item.shortcutText
            font: item.font
            color: item.highlighted ? item.palette.highlightedText : Theme.secondaryLabel
            Layout.leftMargin: 24
        }
    }
}
