import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Ui

// One file of the list: kind, name, folder, status, and for a processed file
// the tag counts and a panel with the before/after log. The row never
// changes the model; it asks its owner through removeRequested,
// cleanRequested and retryRequested.
//
// The list moves the keyboard focus between rows with the arrow keys; the
// focused row opens and closes on Return or Space, asks for its removal on
// Delete, to be tried again on Ctrl+R when it failed or was stopped, and
// shows its menu on the Menu key or Shift+F10.
FocusScope {
    id: row

    // The roles of the file list the row shows, and its place in it.
    required property var fileId
    required property url url
    required property string path
    required property string fileName
    required property string fileExtension
    required property int status
    required property int index
    // Computed by FileRows.
    required property string folder
    required property string fileSymbol
    required property string fileTint
    required property string statusSymbol
    required property string statusTint
    required property string statusText
    required property string countsText
    required property string accessibleText
    required property bool canExpand
    required property bool expanded
    // The row's model object: the open state is written back to it, and
    // the metadata log read from it only when the panel opens.
    required property var model

    // Given by the owner: whether the context menu offers "clean_file".
    property bool cleanOffered: false

    property bool isExpanded: expanded
    readonly property bool showsPanel: isExpanded && canExpand

    readonly property alias contextMenu: contextMenu

    // What a screen reader says for the row: name, status, counts or error.
    readonly property string accessibleName: accessibleText

    readonly property bool retryOffered: status === FileListModel.Error || status === FileListModel.Stopped

    signal removeRequested()
    signal cleanRequested()
    signal retryRequested()

    function toggle() {
        if (!canExpand)
            return
        isExpanded = !isExpanded
        model.expanded = isExpanded
    }

    function openContextMenu(atKeyboard) {
        if (atKeyboard)
            contextMenu.popup(row, header.width - contextMenu.implicitWidth - 12, header.height - 4)
        else
            contextMenu.popup()
    }

    implicitHeight: header.height + panelHost.height

    Accessible.role: Accessible.ListItem
    Accessible.name: accessibleName
    Accessible.description: path
    Accessible.focusable: true
    Accessible.focused: activeFocus
    Accessible.onPressAction: toggle()
    Accessible.onToggleAction: toggle()

    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter || event.key === Qt.Key_Space) {
            toggle()
        } else if (event.key === Qt.Key_Delete) {
            removeRequested()
        } else if (event.key === Qt.Key_R && (event.modifiers & Qt.ControlModifier) && retryOffered) {
            retryRequested()
        } else if (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier))) {
            openContextMenu(true)
        } else {
            return
        }
        event.accepted = true
    }

    // A soft shadow under the card.
    Rectangle {
        anchors.fill: card
        anchors.topMargin: 2
        anchors.bottomMargin: -2
        radius: card.radius
        color: Qt.rgba(0, 0, 0, 0.08)
    }
    Rectangle {
        id: card
        anchors.fill: parent
        radius: 10
        color: Theme.thickMaterial
    }
    FocusRing {
        control: row
        anchors.margins: -2
        radius: card.radius + 2
    }

    // Secondary click anywhere on the row, panel included.
    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.RightButton
        onClicked: (mouse) => row.openContextMenu(false)
    }

    Item {
        id: header
        objectName: "header"

        width: parent.width
        height: headerRow.implicitHeight + 20

        MouseArea {
            id: headerClickArea
            objectName: "headerClickArea"
            anchors.fill: parent
            acceptedButtons: Qt.LeftButton
            hoverEnabled: true
            cursorShape: row.canExpand ? Qt.PointingHandCursor : Qt.ArrowCursor
            onClicked: row.toggle()
        }

        ToolTip {
            objectName: "pathToolTip"
            parent: header
            visible: headerClickArea.containsMouse && !removeButton.hovered
            delay: 800
            text: row.path
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
                    symbol: row.fileSymbol
                    color: Theme.tint(row.fileTint)
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
                // The folder tells apart two files of one name.
                Text {
                    objectName: "subtitle"
                    text: row.fileExtension.toUpperCase() + "  ·  " + row.folder
                    textFormat: Text.PlainText
                    elide: Text.ElideMiddle
                    maximumLineCount: 1
                    font.pixelSize: Theme.caption2Size
                    color: Theme.tertiaryLabel
                    Layout.fillWidth: true
                }
            }

            StatusBadge {
                id: statusBadge
                objectName: "statusBadge"
                symbol: row.statusSymbol
                tint: row.statusTint
                text: row.statusText
            }

            Text {
                id: keyCounts
                objectName: "keyCounts"
                visible: text !== ""
                text: row.countsText
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                font.family: row.status === FileListModel.Error ? Qt.application.font.family : Theme.monospaceFamily
                font.pixelSize: Theme.captionSize
                color: Theme.secondaryLabel
                Layout.maximumWidth: row.width * 0.4
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

            // Mouse only: the keyboard removes the focused row with Delete.
            AbstractButton {
                id: removeButton
                objectName: "removeButton"

                text: qsTrId("remove_from_list")
                focusPolicy: Qt.NoFocus
                //% "Remove %1 from the list"
                Accessible.name: qsTrId("a11y_remove_named").arg(row.fileName)
                Accessible.description: row.path
                Accessible.role: Accessible.Button
                implicitWidth: 18
                implicitHeight: 18
                onClicked: row.removeRequested()

                ToolTip.visible: hovered
                ToolTip.text: text
                ToolTip.delay: 600

                contentItem: TintedIcon {
                    symbol: "xmark.circle.fill"
                    color: removeButton.pressed || removeButton.hovered ? Theme.secondaryLabel : Theme.quaternaryLabel
                }
            }
        }
    }

    Item {
        id: panelHost

        // Read only while the panel is there.
        readonly property var rowModel: row.model

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
                log: panelHost.rowModel.metadataLog
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
        SymbolMenuItem {
            objectName: "retryMenuItem"
            //% "Try Again"
            text: qsTrId("try_again")
            symbol: "arrow.clockwise"
            visible: row.retryOffered
            onTriggered: row.retryRequested()
        }
        MenuSeparator {}
        SymbolMenuItem {
            objectName: "removeMenuItem"
            text: qsTrId("remove_from_list")
            symbol: "trash"
            tint: Theme.red
            onTriggered: row.removeRequested()
        }
    }
}
