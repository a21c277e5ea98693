import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Ui

// One file of the list: kind, name, status, and for a processed file the
// tag counts and a panel with the before/after log. The row never changes
// the model; it asks its owner through removeRequested and cleanRequested.
Item {
    id: row

    // One per role of the file list, and the row's place in it.
    required property var fileId
    required property url url
    required property string path
    required property string fileName
    required property string fileExtension
    required property int formatGroup
    required property int status
    required property string errorMessage
    required property int beforeCount
    required property int afterCount
    required property int index

    // The list the row belongs to: the metadata log asks it for this row's tables.
    property FileListModel files: null

    // Given by the owner: whether the context menu offers "clean_file", and
    // where the open state lives while the row is scrolled out of sight.
    property bool cleanOffered: false
    property ExpansionState expansion: null

    property bool isExpanded: expansion ? expansion.isExpanded(fileId) : false
    readonly property bool canExpand: Presentation.canExpand(status)
    readonly property bool showsPanel: isExpanded && canExpand

    readonly property alias contextMenu: contextMenu

    signal removeRequested()
    signal cleanRequested()

    function toggle() {
        if (!canExpand)
            return
        isExpanded = !isExpanded
        if (expansion)
            expansion.setExpanded(fileId, isExpanded)
    }

    implicitHeight: header.height + panelHost.height

    // A soft shadow under the card: black, 0.15 in all, two steps of blur.
    Rectangle {
        anchors.fill: card
        anchors.topMargin: 2
        anchors.bottomMargin: -2
        radius: card.radius
        color: Qt.rgba(0, 0, 0, 0.08)
    }
    Rectangle {
        anchors.fill: card
        anchors.margins: -1
        anchors.topMargin: 1
        anchors.bottomMargin: -3
        radius: card.radius + 1
        color: Qt.rgba(0, 0, 0, 0.07)
    }
    Rectangle {
        id: card
        anchors.fill: parent
        radius: 10
        color: Theme.thickMaterial
    }

    // Secondary click anywhere on the row, panel included.
    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.RightButton
        onClicked: (mouse) => contextMenu.popup()
    }

    Item {
        id: header
        objectName: "header"

        width: parent.width
        height: headerRow.implicitHeight + 20

        MouseArea {
            objectName: "headerClickArea"
            anchors.fill: parent
            acceptedButtons: Qt.LeftButton
            cursorShape: row.canExpand ? Qt.PointingHandCursor : Qt.ArrowCursor
            onClicked: row.toggle()
        }

        RowLayout {
            id: headerRow

            anchors.fill: parent
            anchors.leftMargin: 12
            anchors.rightMargin: 12
            anchors.topMargin: 10
            anchors.bottomMargin: 10
            spacing: 12

            Item {
                Layout.preferredWidth: 28
                Layout.preferredHeight: 24

                TintedIcon {
                    objectName: "fileIcon"
                    anchors.centerIn: parent
                    width: 22
                    height: 22
                    symbol: Presentation.fileSymbol(row.fileExtension)
                    color: Theme.tint(Presentation.fileTint(row.fileExtension))
                }
            }

            ColumnLayout {
                spacing: 2
                Layout.fillWidth: true

                Text {
                    objectName: "fileName"
                    text: row.fileName
                    textFormat: Text.PlainText
                    elide: Text.ElideMiddle
                    maximumLineCount: 1
                    font.pixelSize: Theme.bodySize
                    color: Theme.primaryLabel
                    Layout.fillWidth: true
                }
                Text {
                    text: row.fileExtension.toUpperCase()
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    font.pixelSize: Theme.caption2Size
                    color: Theme.tertiaryLabel
                    Layout.fillWidth: true
                }
            }

            // statusBadge
            Rectangle {
                objectName: "pendingBadge"
                visible: row.status === FileListModel.Pending
                radius: height / 2
                color: Theme.withAlpha(Theme.secondaryLabel, 0.15)
                implicitWidth: pendingText.implicitWidth + 16
                implicitHeight: pendingText.implicitHeight + 6

                Text {
                    id: pendingText
                    anchors.centerIn: parent
                    text: qsTrId("status_pending")
                    font.pixelSize: Theme.captionSize
                    color: Theme.secondaryLabel
                }
            }
            RowLayout {
                objectName: "processingBadge"
                visible: row.status === FileListModel.Processing
                spacing: 4

                BusyIndicator {
                    running: parent.visible
                    padding: 0
                    Layout.preferredWidth: 14
                    Layout.preferredHeight: 14
                }
                Text {
                    text: qsTrId("status_processing")
                    font.pixelSize: Theme.captionSize
                    color: Theme.blue
                }
            }
            RowLayout {
                objectName: "doneBadge"
                visible: row.status === FileListModel.Done
                spacing: 4

                TintedIcon {
                    symbol: "checkmark.circle.fill"
                    color: Theme.green
                    Layout.preferredWidth: 13
                    Layout.preferredHeight: 13
                }
                Text {
                    text: qsTrId("status_done")
                    font.pixelSize: Theme.captionSize
                    color: Theme.green
                }
            }
            RowLayout {
                objectName: "errorBadge"
                visible: row.status === FileListModel.Error
                spacing: 4

                TintedIcon {
                    symbol: "xmark.circle.fill"
                    color: Theme.red
                    Layout.preferredWidth: 13
                    Layout.preferredHeight: 13
                }
                Text {
                    text: qsTrId("status_error")
                    font.pixelSize: Theme.captionSize
                    color: Theme.red
                }
            }

            Text {
                objectName: "keyCounts"
                visible: row.status === FileListModel.Done
                text: Presentation.keyCountsText(row.beforeCount, row.afterCount)
                font.family: Theme.monospaceFamily
                font.pixelSize: Theme.captionSize
                color: Theme.secondaryLabel
            }

            TintedIcon {
                objectName: "chevron"
                visible: row.canExpand
                symbol: "chevron.right"
                color: Theme.secondaryLabel
                rotation: row.isExpanded ? 90 : 0
                Layout.preferredWidth: 11
                Layout.preferredHeight: 11

                Behavior on rotation {
                    NumberAnimation { duration: 200; easing.type: Easing.OutCubic }
                }
            }

            AbstractButton {
                id: removeButton
                objectName: "removeButton"

                text: qsTrId("remove_from_list")
                Accessible.name: text
                implicitWidth: 18
                implicitHeight: 18
                onClicked: row.removeRequested()

                ToolTip.visible: hovered
                ToolTip.text: text
                ToolTip.delay: 600

                contentItem: TintedIcon {
                    symbol: "xmark.circle.fill"
                    color: removeButton.pressed ? Theme.tertiaryLabel : Theme.quaternaryLabel
                }
            }
        }
    }

    Item {
        id: panelHost

        anchors.top: header.bottom
        width: parent.width
        height: row.showsPanel ? panelLoader.implicitHeight + 10 : 0
        clip: true

        Behavior on height {
            NumberAnimation { duration: 300; easing.type: Easing.OutCubic }
        }

        Loader {
            id: panelLoader
            objectName: "panelLoader"

            active: row.showsPanel || panelHost.height > 0
            x: 12
            width: parent.width - 24
            // Slides down from under the header and fades in with it.
            y: row.showsPanel ? 0 : -implicitHeight / 3
            opacity: row.showsPanel ? 1 : 0

            Behavior on y {
                NumberAnimation { duration: 300; easing.type: Easing.OutCubic }
            }
            Behavior on opacity {
                NumberAnimation { duration: 300; easing.type: Easing.OutCubic }
            }

            sourceComponent: MetadataLogView {
                files: row.files
                row: row.index
            }
        }
    }

    Menu {
        id: contextMenu

        SymbolMenuItem {
            text: qsTrId("reveal_in_finder")
            symbol: "folder"
            onTriggered: FileRevealer.reveal(row.url)
        }
        SymbolMenuItem {
            objectName: "cleanMenuItem"
            text: qsTrId("clean_file")
            symbol: "wand.and.stars"
            visible: row.status === FileListModel.Pending && row.cleanOffered
            onTriggered: row.cleanRequested()
        }
        MenuSeparator {}
        SymbolMenuItem {
            text: qsTrId("remove_from_list")
            symbol: "trash"
            tint: Theme.red
            onTriggered: row.removeRequested()
        }
    }
}
