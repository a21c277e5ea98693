import QtQuick
import QtQuick.Layouts
import Tessaly.Ui

// A passing message with a warning sign: fades in while `message` is set and
// keeps showing the last one while it fades out. Floating, it is a pill
// over the list that slides in from the bottom edge; inline, plain text.
Rectangle {
    id: banner

    property string message
    property bool active: true
    property bool floating: true

    readonly property bool shown: message !== "" && active
    // The latch: what stays on screen while the banner fades out. Only a
    // message sets it; `shown` may not have caught up yet when the message
    // is cleared, and an empty latch would blank the fading text.
    property string shownText
    onMessageChanged: if (message !== "" && active) shownText = message
    onActiveChanged: if (shown) shownText = message
    readonly property string text: shown ? message : shownText

    opacity: shown ? 1 : 0
    visible: opacity > 0
    implicitWidth: bannerRow.implicitWidth + (floating ? 32 : 0)
    implicitHeight: bannerRow.implicitHeight + (floating ? 20 : 0)
    radius: height / 2
    color: floating ? Theme.floatingMaterial : "transparent"
    border.color: floating ? Theme.divider : "transparent"

    // In the reader's tree from the moment it is shown, before it fades in:
    // Qt tells a reader of an item that shows only when the item is in the
    // tree by then, and a reader speaks a notification that shows.
    Accessible.role: Accessible.Notification
    Accessible.name: text
    Accessible.ignored: !shown && !visible

    Behavior on opacity {
        NumberAnimation { duration: 300; easing.type: Easing.OutCubic }
    }

    RowLayout {
        id: bannerRow

        anchors.centerIn: parent
        spacing: banner.floating ? 8 : 6

        TintedIcon {
            symbol: "exclamationmark.triangle.fill"
            color: Theme.yellow
            Layout.preferredWidth: 14
            Layout.preferredHeight: 14
        }
        Text {
            objectName: "messageText"
            text: banner.text
            textFormat: Text.PlainText
            font.pixelSize: Theme.calloutSize
            color: banner.floating ? Theme.primaryLabel : Theme.secondaryLabel
        }
    }
}
