import QtQuick
import QtQuick.Layouts
import Tessaly.Ui

// The drop zone of an empty list, with the button that opens the picker and
// the message of a drop that brought nothing to clean.
ColumnLayout {
    id: view

    property string message
    property bool savesCopies: false
    readonly property alias addButton: addButton

    signal addRequested()

    spacing: 16

    TintedIcon {
        symbol: "square.and.arrow.down.on.square"
        color: Theme.secondaryLabel
        Accessible.ignored: true
        Layout.alignment: Qt.AlignHCenter
        Layout.preferredWidth: 60
        Layout.preferredHeight: 60
    }
    Text {
        objectName: "dropZoneTitle"
        text: qsTrId("drop_zone_title")
        font.pixelSize: Theme.title2Size
        color: Theme.secondaryLabel
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
        Accessible.role: Accessible.Heading
        Accessible.name: text
        Accessible.ignored: !visible
        Layout.alignment: Qt.AlignHCenter
        Layout.maximumWidth: view.width
    }
    Text {
        objectName: "dropZoneDescription"
        text: view.savesCopies
              //% "Photos, camera raws, videos, audio, office documents, e-books, drawings and PDFs get a cleaned copy beside them, without their hidden metadata (GPS position, camera serial numbers, author names). The originals stay as they are."
              ? qsTrId("drop_zone_description_copy")
              //% "Photos, camera raws, videos, audio, office documents, e-books, drawings and PDFs lose their hidden metadata (GPS position, camera serial numbers, author names) right where they are."
              : qsTrId("drop_zone_description")
        font.pixelSize: Theme.calloutSize
        color: Theme.secondaryLabel
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
        Accessible.role: Accessible.StaticText
        Accessible.name: text
        Accessible.ignored: !visible
        Layout.alignment: Qt.AlignHCenter
        Layout.maximumWidth: 400
        Layout.preferredWidth: Math.min(implicitWidth, 400, view.width)
    }
    SymbolButton {
        id: addButton
        objectName: "emptyAddButton"
        large: true
        text: qsTrId("file_picker_button")
        symbol: "folder"
        onClicked: view.addRequested()
        Layout.alignment: Qt.AlignHCenter
        Layout.topMargin: 8
    }
    MessageBanner {
        objectName: "emptyStateMessage"
        floating: false
        message: view.message
        Layout.alignment: Qt.AlignHCenter
        Layout.topMargin: 12
    }
}
