import QtQuick
import Tessaly.Ui

// The ring around a control that has the keyboard focus. Put it in the
// control, give it the control's shape.
Rectangle {
    required property Item control

    objectName: "focusRing"
    property bool shown: control.activeFocus && (control.visualFocus === undefined || control.visualFocus)

    anchors.fill: parent
    anchors.margins: -3
    radius: 6
    color: "transparent"
    border.width: 2
    border.color: Theme.focusRing
    visible: shown
}
