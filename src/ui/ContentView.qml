import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts
import QtQuick.Shapes
import Tessaly.Ui

// The main window's content: the drop zone or the file list with its
// controls bar, the progress panel of a clean-all run, the drop highlight
// and the unsupported-files message. The whole view is the drop target and
// hosts the open-file dialog. It only reads the model and calls it.
Item {
    id: root

    required property TessalyViewModel viewModel

    readonly property bool isTargeted: dropArea.containsDrag
    readonly property string unsupportedMessage: intake.unsupportedMessage
    readonly property bool hasFiles: viewModel.hasFiles
    // How long the unsupported-files message stays, in milliseconds.
    property alias messageDuration: intake.clearDelay

    readonly property string counterText: Presentation.counterText(viewModel.totalCount, viewModel.doneCount,
                                                                   viewModel.errorCount)

    // The drop path, for the DropArea and for tests that cannot drag.
    function handleDrop(urls) {
        intake.handleDrop(urls)
    }

    // The open-file dialog; one that is already open stays open.
    function openFilePicker() {
        filePicker.open()
    }

    implicitWidth: 700
    implicitHeight: 500

    DropIntake {
        id: intake
        viewModel: root.viewModel
    }

    ExpansionState {
        id: expansionState
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.ultraThinMaterial
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RowLayout {
            id: inlineControlsBar
            objectName: "inlineControlsBar"

            visible: root.hasFiles
            spacing: 8
            Layout.fillWidth: true
            Layout.leftMargin: 16
            Layout.rightMargin: 16
            Layout.topMargin: 10
            Layout.bottomMargin: 10

            SymbolButton {
                objectName: "clearButton"
                text: qsTrId("clear_list")
                toolTipText: qsTrId("clear_list")
                symbol: "xmark.bin"
                tint: Theme.withAlpha(palette.buttonText, 0.65)
                enabled: !root.viewModel.isProcessing
                onClicked: root.viewModel.clearList()
            }
            Item { Layout.fillWidth: true }
            Text {
                objectName: "counter"
                text: root.counterText
                font.pixelSize: Theme.calloutSize
                color: Theme.secondaryLabel
            }
            Item { Layout.fillWidth: true }
            SymbolButton {
                objectName: "addButton"
                text: qsTrId("file_picker_button")
                toolTipText: qsTrId("file_picker_button")
                symbol: "folder"
                onClicked: root.openFilePicker()
            }
        }

        Rectangle {
            objectName: "divider"
            visible: root.hasFiles
            color: Theme.divider
            Layout.fillWidth: true
            Layout.preferredHeight: 1
        }

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            ColumnLayout {
                id: emptyStateView
                objectName: "emptyStateView"

                visible: !root.hasFiles
                anchors.centerIn: parent
                width: Math.min(parent.width - 32, 460)
                spacing: 16

                TintedIcon {
                    symbol: "square.and.arrow.down.on.square"
                    color: Theme.secondaryLabel
                    Layout.alignment: Qt.AlignHCenter
                    Layout.preferredWidth: 60
                    Layout.preferredHeight: 60
                }
                Text {
                    text: qsTrId("drop_zone_title")
                    font.pixelSize: Theme.title2Size
                    color: Theme.secondaryLabel
                    Layout.alignment: Qt.AlignHCenter
                }
                Text {
                    text: qsTrId("drop_zone_description")
                    font.pixelSize: Theme.calloutSize
                    color: Theme.tertiaryLabel
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.Wrap
                    Layout.alignment: Qt.AlignHCenter
                    Layout.maximumWidth: 400
                    Layout.preferredWidth: Math.min(implicitWidth, 400)
                }
                SymbolButton {
                    objectName: "emptyAddButton"
                    large: true
                    text: qsTrId("file_picker_button")
                    symbol: "folder"
                    onClicked: root.openFilePicker()
                    Layout.alignment: Qt.AlignHCenter
                    Layout.topMargin: 8
                }
                RowLayout {
                    id: emptyStateMessage
                    objectName: "emptyStateMessage"

                    property string shownText
                    readonly property bool shown: root.unsupportedMessage !== ""
                    onShownChanged: if (shown) shownText = root.unsupportedMessage

                    opacity: shown ? 1 : 0
                    visible: opacity > 0
                    spacing: 6
                    Layout.alignment: Qt.AlignHCenter
                    Layout.topMargin: 12

                    Behavior on opacity {
                        NumberAnimation { duration: 300; easing.type: Easing.OutCubic }
                    }

                    TintedIcon {
                        symbol: "exclamationmark.triangle.fill"
                        color: Theme.yellow
                        Layout.preferredWidth: 14
                        Layout.preferredHeight: 14
                    }
                    Text {
                        objectName: "emptyStateMessageText"
                        text: emptyStateMessage.shown ? root.unsupportedMessage : emptyStateMessage.shownText
                        textFormat: Text.PlainText
                        font.pixelSize: Theme.calloutSize
                        color: Theme.secondaryLabel
                    }
                }
            }

            ListView {
                id: fileListView
                objectName: "fileListView"

                visible: root.hasFiles
                anchors.fill: parent
                clip: true
                boundsBehavior: Flickable.StopAtBounds
                topMargin: 12
                bottomMargin: 12
                spacing: 8
                model: root.viewModel.files

                delegate: FileRowView {
                    id: fileRow

                    x: 16
                    width: ListView.view.width - 32
                    expansion: expansionState
                    files: root.viewModel.files
                    cleanOffered: status === FileListModel.Pending
                    onRemoveRequested: root.viewModel.removeRow(index)
                    onCleanRequested: root.viewModel.cleanRow(index)

                    transform: Translate { id: slide }

                    // Rows fade in and out while sliding from the top edge.
                    ListView.onAdd: appearing.start()
                    ListView.onRemove: disappearing.start()

                    ParallelAnimation {
                        id: appearing
                        NumberAnimation { target: fileRow; property: "opacity"; from: 0; to: 1; duration: 200 }
                        NumberAnimation { target: slide; property: "y"; from: -12; to: 0; duration: 200; easing.type: Easing.OutCubic }
                    }
                    SequentialAnimation {
                        id: disappearing
                        PropertyAction { target: fileRow; property: "ListView.delayRemove"; value: true }
                        ParallelAnimation {
                            NumberAnimation { target: fileRow; property: "opacity"; to: 0; duration: 200 }
                            NumberAnimation { target: slide; property: "y"; to: -12; duration: 200; easing.type: Easing.InCubic }
                        }
                        PropertyAction { target: fileRow; property: "ListView.delayRemove"; value: false }
                    }
                }

                displaced: Transition {
                    NumberAnimation { properties: "y"; duration: 200; easing.type: Easing.OutCubic }
                }
            }
        }
    }

    Rectangle {
        id: progressPanel
        objectName: "progressPanel"

        readonly property bool shown: root.viewModel.isProcessing
        readonly property real progress: root.viewModel.progress
        // Counts up to the new value instead of jumping.
        property real shownPercentage: Presentation.percentage(progress)

        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: shown ? 16 : -height
        opacity: shown ? 1 : 0
        visible: opacity > 0
        width: panelColumn.implicitWidth + 40
        height: panelColumn.implicitHeight + 20
        radius: 12
        color: Theme.thickMaterial
        border.color: Theme.divider

        Behavior on anchors.bottomMargin {
            NumberAnimation { duration: 300; easing.type: Easing.OutCubic }
        }
        Behavior on opacity {
            NumberAnimation { duration: 300; easing.type: Easing.OutCubic }
        }
        Behavior on shownPercentage {
            NumberAnimation { duration: 300; easing.type: Easing.InOutQuad }
        }

        Column {
            id: panelColumn

            anchors.centerIn: parent
            spacing: 6

            Item {
                width: 200
                height: 6

                Rectangle {
                    anchors.fill: parent
                    radius: 3
                    color: Theme.tertiaryLabel
                }
                Rectangle {
                    objectName: "progressFill"
                    height: 6
                    radius: 3
                    width: 200 * Math.max(0, Math.min(1, progressPanel.progress))
                    color: Presentation.isProgressComplete(progressPanel.progress) ? Theme.green : Theme.accent

                    Behavior on width {
                        NumberAnimation { duration: 400; easing.type: Easing.InOutQuad }
                    }
                }
            }
            Text {
                objectName: "percentageText"
                anchors.horizontalCenter: parent.horizontalCenter
                text: Presentation.percentageText(Math.floor(progressPanel.shownPercentage))
                font.pixelSize: Theme.caption2Size
                font.family: Theme.monospaceFamily
                color: Theme.secondaryLabel
            }
        }
    }

    Shape {
        id: dropHighlight
        objectName: "dropHighlight"

        readonly property real inset: 8
        readonly property real lineWidth: 3

        anchors.fill: parent
        opacity: root.isTargeted ? 1 : 0
        visible: opacity > 0
        // Shapes are not antialiased without multisampling.
        layer.enabled: visible
        layer.samples: 4

        Behavior on opacity {
            NumberAnimation { duration: 300; easing.type: Easing.InOutQuad }
        }

        ShapePath {
            id: outline

            // Drawn inside the inset rectangle: the stroke is centred on the path.
            readonly property real l: dropHighlight.inset + dropHighlight.lineWidth / 2
            readonly property real t: l
            readonly property real r: dropHighlight.width - l
            readonly property real b: dropHighlight.height - l
            readonly property real radius: 12 - dropHighlight.lineWidth / 2

            strokeColor: Theme.blue
            strokeWidth: dropHighlight.lineWidth
            fillColor: "transparent"
            strokeStyle: ShapePath.DashLine
            // In units of the stroke width: 10 drawn, 5 apart.
            dashPattern: [10 / dropHighlight.lineWidth, 5 / dropHighlight.lineWidth]
            dashOffset: 0
            capStyle: ShapePath.FlatCap
            joinStyle: ShapePath.MiterJoin
            miterLimit: 10

            startX: outline.l + outline.radius
            startY: outline.t
            PathLine { x: outline.r - outline.radius; y: outline.t }
            PathArc { x: outline.r; y: outline.t + outline.radius; radiusX: outline.radius; radiusY: outline.radius }
            PathLine { x: outline.r; y: outline.b - outline.radius }
            PathArc { x: outline.r - outline.radius; y: outline.b; radiusX: outline.radius; radiusY: outline.radius }
            PathLine { x: outline.l + outline.radius; y: outline.b }
            PathArc { x: outline.l; y: outline.b - outline.radius; radiusX: outline.radius; radiusY: outline.radius }
            PathLine { x: outline.l; y: outline.t + outline.radius }
            PathArc { x: outline.l + outline.radius; y: outline.t; radiusX: outline.radius; radiusY: outline.radius }
        }
    }

    Rectangle {
        id: banner
        objectName: "unsupportedBanner"

        property string shownText
        readonly property bool shown: root.unsupportedMessage !== "" && root.hasFiles
        onShownChanged: if (shown) shownText = root.unsupportedMessage

        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: shown ? 16 : -height
        opacity: shown ? 1 : 0
        visible: opacity > 0
        width: bannerRow.implicitWidth + 32
        height: bannerRow.implicitHeight + 20
        radius: height / 2
        color: Theme.thickMaterial
        border.color: Theme.divider

        Behavior on anchors.bottomMargin {
            NumberAnimation { duration: 300; easing.type: Easing.OutCubic }
        }
        Behavior on opacity {
            NumberAnimation { duration: 300; easing.type: Easing.OutCubic }
        }

        RowLayout {
            id: bannerRow

            anchors.centerIn: parent
            spacing: 8

            TintedIcon {
                symbol: "exclamationmark.triangle.fill"
                color: Theme.yellow
                Layout.preferredWidth: 14
                Layout.preferredHeight: 14
            }
            Text {
                objectName: "bannerText"
                text: banner.shown ? root.unsupportedMessage : banner.shownText
                textFormat: Text.PlainText
                font.pixelSize: Theme.calloutSize
                color: Theme.primaryLabel
            }
        }
    }

    DropArea {
        id: dropArea

        anchors.fill: parent
        keys: ["text/uri-list"]
        onDropped: (drop) => {
            drop.acceptProposedAction()
            intake.handleDrop(drop.urls)
        }
    }

    FileDialog {
        id: filePicker
        objectName: "filePicker"

        fileMode: FileDialog.OpenFiles
        nameFilters: Presentation.nameFilters
        onAccepted: root.viewModel.addFiles(selectedFiles)
    }
}
