import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Ui

// What the last run came to, until dismissed: "1,498 cleaned, 2 not cleaned"
// and, when some were not, a button that shows only those files.
Rectangle {
    id: bar

    property string text
    property bool showsOnlyNotCleaned: false
    property bool offersFilter: false

    // Whether the bar is to show. It joins the reader's tree a moment before
    // it turns visible: Qt tells a reader of an item that shows only when the
    // item is in the tree by then, and a reader speaks a notification that
    // shows.
    property bool shown: false
    property bool showing: false
    onShownChanged: {
        if (shown)
            Qt.callLater(() => { bar.showing = bar.shown })
        else
            showing = false
    }
    Component.onCompleted: showing = shown
    visible: showing

    signal filterToggled()
    signal dismissed()

    implicitWidth: summaryRow.implicitWidth + 24
    implicitHeight: summaryRow.implicitHeight + 12
    radius: 10
    color: Theme.floatingMaterial
    border.color: Theme.divider

    // Shown as a run ends, so a screen reader says how it went.
    Accessible.role: Accessible.Notification
    Accessible.name: text
    Accessible.ignored: !shown

    RowLayout {
        id: summaryRow

        anchors.centerIn: parent
        spacing: 8

        Text {
            objectName: "summaryText"
            text: bar.text
            textFormat: Text.PlainText
            font.pixelSize: Theme.calloutSize
            color: Theme.primaryLabel
        }
        SymbolButton {
            objectName: "summaryFilterButton"
            visible: bar.offersFilter
            text: bar.showsOnlyNotCleaned
                  //% "Show All"
                  ? qsTrId("summary_show_all")
                  //% "Show"
                  : qsTrId("summary_show")
            onClicked: bar.filterToggled()
        }
        AbstractButton {
            id: dismissButton
            objectName: "summaryDismissButton"

            //% "Dismiss"
            text: qsTrId("summary_dismiss")
            Accessible.role: Accessible.Button
            Accessible.name: text
            Accessible.ignored: !visible
            implicitWidth: 18
            implicitHeight: 18
            onClicked: bar.dismissed()

            ToolTip.visible: hovered
            ToolTip.text: text
            ToolTip.delay: 600

            contentItem: TintedIcon {
                symbol: "xmark.circle.fill"
                color: dismissButton.pressed || dismissButton.hovered ? Theme.secondaryLabel : Theme.quaternaryLabel
            }
        }
    }
}
