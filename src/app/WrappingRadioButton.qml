import QtQuick
import QtQuick.Controls
import Tessaly.Ui

// A RadioButton whose text wraps instead of being cut, with the focus ring
// of the other controls.
RadioButton {
    id: control

    contentItem: Text {
        leftPadding: control.indicator && !control.mirrored ? control.indicator.width + control.spacing : 0
        rightPadding: control.indicator && control.mirrored ? control.indicator.width + control.spacing : 0
        text: control.text
        font: control.font
        color: control.palette.windowText
        wrapMode: Text.Wrap
        verticalAlignment: Text.AlignVCenter
    }

    FocusRing {
        control: control
        anchors.margins: -1
        radius: 4
    }
}
