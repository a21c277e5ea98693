import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Ui

// A bordered button with a symbol before its label, drawn in `tint`.
// Return and Enter press it as Space does.
Button {
    id: control

    property string symbol
    property color tint: palette.buttonText
    property bool large: false
    property string toolTipText

    font.pixelSize: large ? Theme.bodySize : Theme.calloutSize
    leftPadding: large ? 16 : 10
    rightPadding: large ? 16 : 10
    topPadding: large ? 8 : 4
    bottomPadding: large ? 8 : 4
    focusPolicy: Qt.StrongFocus

    Accessible.role: Accessible.Button
    Accessible.name: text
    // Hidden, it is not in the screen reader's tree either.
    Accessible.ignored: !visible
    Accessible.onPressAction: clicked()

    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()

    ToolTip.visible: toolTipText !== "" && (hovered || visualFocus)
    ToolTip.text: toolTipText
    ToolTip.delay: 600

    contentItem: RowLayout {
        spacing: 6
        opacity: control.enabled ? 1 : 0.45

        TintedIcon {
            visible: control.symbol !== ""
            symbol: control.symbol
            color: control.tint
            Layout.preferredWidth: control.font.pixelSize + 3
            Layout.preferredHeight: control.font.pixelSize + 3
        }
        Text {
            text: control.text
            font: control.font
            color: control.tint
        }
    }

    FocusRing {
        control: control
        z: 1
    }
}
