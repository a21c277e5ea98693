import QtQuick
import QtQuick.Layouts
import Tessaly.Ui

// The status of a row: a symbol and a word in the status's colour. Nothing
// in it moves, so a run of thousands of rows redraws only what changes.
Rectangle {
    id: badge

    // The row's look for its status (FileRows): a symbol, empty for the
    // statuses shown as a plain word, a theme tint name and the word.
    required property string symbol
    required property string tint
    required property string text
    readonly property bool pill: symbol === ""
    readonly property color tintColor: Theme.tint(tint)

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
            symbol: badge.symbol
            color: badge.tintColor
            Layout.preferredWidth: 13
            Layout.preferredHeight: 13
        }
        Text {
            objectName: "statusText"
            text: badge.text
            font.pixelSize: Theme.captionSize
            color: badge.tintColor
        }
    }
}
