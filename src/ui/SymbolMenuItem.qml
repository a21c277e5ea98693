import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Ui

// A context-menu command with a symbol. Hidden items take no room.
MenuItem {
    id: item

    property string symbol
    property color tint: Theme.primaryLabel

    height: visible ? implicitHeight : 0
    font.pixelSize: Theme.bodySize

    contentItem: RowLayout {
        spacing: 8

        TintedIcon {
            symbol: item.symbol
            color: item.highlighted ? item.palette.highlightedText : item.tint
            Layout.preferredWidth: 16
            Layout.preferredHeight: 16
        }
        Text {
            text: item.text
            font: item.font
            color: item.highlighted ? item.palette.highlightedText : item.tint
            Layout.fillWidth: true
        }
    }
}
