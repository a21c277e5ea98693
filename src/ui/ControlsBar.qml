import QtQuick
import QtQuick.Layouts
import Tessaly.Ui

// Above the list: Clear, the counter, Add Files. Where the three do not fit
// on one line (a narrow window, a long language), the counter goes under the
// buttons.
GridLayout {
    id: bar

    required property TessalyViewModel viewModel
    required property string counterText
    readonly property alias clearButton: clearButton
    readonly property alias addButton: addButton

    signal addRequested()

    readonly property bool counterFits: width >= clearButton.implicitWidth + addButton.implicitWidth
                                                 + counter.implicitWidth + 4 * columnSpacing + 16
    columns: 5
    columnSpacing: 8
    rowSpacing: 6

    SymbolButton {
        id: clearButton
        objectName: "clearButton"
        text: qsTrId("clear_list")
        toolTipText: qsTrId("clear_list")
        symbol: "xmark.bin"
        Layout.row: 0
        Layout.column: 0
        tint: Theme.secondaryLabel
        // During a run too: clearing stops it first.
        onClicked: bar.viewModel.clearList()
    }
    Item { Layout.fillWidth: true; Layout.row: 0; Layout.column: 1 }
    Text {
        id: counter
        objectName: "counter"
        text: bar.counterText
        font.pixelSize: Theme.calloutSize
        color: Theme.secondaryLabel
        elide: Text.ElideRight
        horizontalAlignment: Text.AlignHCenter
        // Its full width while there is room (the spacers beside it give
        // way first), elided only when there is none even on a line of its own.
        Layout.row: bar.counterFits ? 0 : 1
        Layout.column: bar.counterFits ? 2 : 0
        Layout.columnSpan: bar.counterFits ? 1 : 5
        Layout.alignment: Qt.AlignHCenter
        Layout.fillWidth: true
        Layout.maximumWidth: implicitWidth
        // The spacers share the room with it: on the buttons' line it must
        // not be squeezed below its text.
        Layout.minimumWidth: bar.counterFits ? implicitWidth : 0
        Accessible.role: Accessible.StaticText
        Accessible.name: text
        Accessible.ignored: !visible
    }
    Item { Layout.fillWidth: true; Layout.row: 0; Layout.column: 3 }
    SymbolButton {
        id: addButton
        objectName: "addButton"
        text: qsTrId("file_picker_button")
        toolTipText: qsTrId("file_picker_button")
        symbol: "folder"
        onClicked: bar.addRequested()
        Layout.row: 0
        Layout.column: 4
    }
}
