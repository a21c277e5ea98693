import QtQuick
import QtQuick.Layouts
import Tessaly.Ui

// Above the list: Clear, the counter, Add Files.
RowLayout {
    id: bar

    required property TessalyViewModel viewModel
    required property string counterText
    readonly property alias clearButton: clearButton
    readonly property alias addButton: addButton

    signal addRequested()

    spacing: 8

    SymbolButton {
        id: clearButton
        objectName: "clearButton"
        text: qsTrId("clear_list")
        toolTipText: qsTrId("clear_list")
        symbol: "xmark.bin"
        tint: Theme.secondaryLabel
        // During a run too: clearing stops it first.
        onClicked: bar.viewModel.clearList()
    }
    Item { Layout.fillWidth: true }
    Text {
        objectName: "counter"
        text: bar.counterText
        font.pixelSize: Theme.calloutSize
        color: Theme.secondaryLabel
        elide: Text.ElideRight
        horizontalAlignment: Text.AlignHCenter
        // Its full width while there is room (the spacers beside it give
        // way first), elided only when there is none.
        Layout.preferredWidth: implicitWidth
        Layout.minimumWidth: 0
        Accessible.role: Accessible.StaticText
        Accessible.name: text
        Accessible.ignored: !visible
    }
    Item { Layout.fillWidth: true }
    SymbolButton {
        id: addButton
        objectName: "addButton"
        text: qsTrId("file_picker_button")
        toolTipText: qsTrId("file_picker_button")
        symbol: "folder"
        onClicked: bar.addRequested()
    }
}
