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

    signal filterToggled()
    signal dismissed()

    implicitWidth: summaryRow.implicitWidth + 24
    implicitHeight: summaryRow.implicitHeight + 12
    radius: 10
    color: Theme.floatingMaterial
    border.color: Theme.divider

    Accessible.role: Accessible.AlertMessage
    Accessible.name: text

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
        SymbolButton {
            objectName: "summaryDismissButton"
            symbol: "xmark.circle.fill"
            tint: Theme.secondaryLabel
            //% "Dismiss"
            toolTipText: qsTrId("summary_dismiss")
            Accessible.name: toolTipText
            onClicked: bar.dismissed()
        }
    }
}
