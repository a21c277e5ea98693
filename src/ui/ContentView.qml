import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Ui

// The main window's content: the drop zone or the file list with its
// controls bar, the progress panel of a clean-all run, the drop highlight,
// the passing message and the question before many files from folders are
// listed. The whole view is the drop target and owns the file picker. It
// only reads the model and calls it.
Item {
    id: root

    required property TessalyViewModel viewModel

    readonly property bool isTargeted: dropArea.containsDrag
    readonly property string unsupportedMessage: intake.unsupportedMessage
    readonly property bool hasFiles: viewModel.hasFiles
    // How long a passing message stays, in milliseconds.
    property alias messageDuration: intake.clearDelay
    // Files from folders beyond this many wait for the user's answer.
    property alias confirmationLimit: intake.confirmationLimit
    // Intakes of files named outside the window (a command line, a file
    // manager): their large additions ask here too.
    property var otherIntakes: []
    // Whether a clean saves a copy beside the original: the empty state says so.
    property bool savesCopies: false

    readonly property string counterText: Presentation.counterText(viewModel.totalCount, viewModel.doneCount,
                                                                   viewModel.errorCount)
    // The passing message: a drop's unsupported files, or a reveal that
    // found no file manager.
    readonly property string message: intake.unsupportedMessage !== "" ? intake.unsupportedMessage : revealMessage
    property string revealMessage

    // What the last run came to, until dismissed or the next run starts;
    // with it, the list may show only the files that were not cleaned.
    property string runSummary
    property bool runLeftFiles: false
    property bool showOnlyNotCleaned: false

    // Where a panel floating over the list's bottom sits: above the progress
    // panel while it shows.
    readonly property real aboveProgress: 16 + (progressPanel.shown ? progressPanel.height + 8 : 0)
    // How far the panels floating over the list's bottom reach up.
    readonly property real floatingInset: Math.max(
        progressPanel.shown ? 16 + progressPanel.height : 0,
        reviewPanel.visible ? aboveProgress + reviewPanel.height : 0,
        summaryBar.shown ? summaryBar.anchors.bottomMargin + summaryBar.height : 0,
        banner.shown ? aboveProgress + banner.height : 0)

    function dismissSummary() {
        runSummary = ""
        showOnlyNotCleaned = false
    }

    // Something takes the keys from the start: the Add Files button of the
    // empty list, else the list. Again when either is hidden under the focus.
    function focusStart() {
        if (hasFiles)
            fileListView.forceActiveFocus()
        else
            emptyStateView.addButton.forceActiveFocus()
    }
    function refocus() {
        const window = root.Window.window
        const focused = window ? window.activeFocusItem : null
        if (focused === null || focused === window.contentItem || !focused.visible)
            focusStart()
    }
    Component.onCompleted: focusStart()
    onHasFilesChanged: Qt.callLater(refocus)

    Connections {
        target: root.viewModel
        function onRunEnded(cleaned, notCleaned, milliseconds) {
            root.runSummary = Presentation.runSummary(cleaned, notCleaned)
            root.runLeftFiles = notCleaned > 0
        }
        function onIsProcessingChanged() {
            if (root.viewModel.isProcessing)
                root.dismissSummary()
        }
        function onFilesChanged() {
            if (!root.viewModel.hasFiles)
                root.dismissSummary()
        }
    }

    // The drop path, for the DropArea and for tests that cannot drag.
    function handleDrop(urls) {
        intake.handleDrop(urls)
    }

    // One picker that is already open stays open.
    function openFilePicker() {
        picker.open()
    }

    implicitWidth: 700
    implicitHeight: 500

    // The view's own, under a name the question below can reach.
    readonly property alias windowIntake: intake
    DropIntake {
        id: intake
        viewModel: root.viewModel
    }

    FilePicker {
        id: picker
        onChosen: (urls) => intake.addPicked(urls)
    }

    // What the rows show, and which of them are open.
    FileRows {
        id: fileRows
        sourceModel: root.showOnlyNotCleaned ? root.viewModel.notCleanedFiles : root.viewModel.files
    }

    Connections {
        target: FileRevealer
        function onRevealFailed(message) {
            root.revealMessage = message
            revealMessageTimer.restart()
        }
    }
    Timer {
        id: revealMessageTimer
        interval: root.messageDuration
        onTriggered: root.revealMessage = ""
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.ultraThinMaterial
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        ControlsBar {
            id: controlsBar
            objectName: "inlineControlsBar"

            visible: root.hasFiles
            viewModel: root.viewModel
            counterText: root.counterText
            onAddRequested: root.openFilePicker()
            Layout.fillWidth: true
            Layout.leftMargin: 16
            Layout.rightMargin: 16
            Layout.topMargin: 10
            Layout.bottomMargin: 10
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

            EmptyStateView {
                id: emptyStateView
                objectName: "emptyStateView"

                visible: !root.hasFiles
                message: root.hasFiles ? "" : root.message
                savesCopies: root.savesCopies
                anchors.centerIn: parent
                width: Math.min(parent.width - 32, 460)
                onAddRequested: root.openFilePicker()
            }

            ListView {
                id: fileListView
                objectName: "fileListView"

                // Whether new rows are to be scrolled into view: the list
                // showed its end (and was not empty) when they came.
                property bool followEnd: false
                // The last row shows in full, whether or not the bottom
                // margin is scrolled into view too (positionViewAtEnd leaves
                // it out, a flick takes it in). Rows not laid out yet show no
                // end: a list filled at once starts at its first row.
                readonly property bool showsEnd: contentHeight > 0 && contentY + height >= originY + contentHeight - 1

                // All the way down, bottom margin included, so that the list
                // still counts as at its end when the next rows come.
                function scrollToEnd() {
                    positionViewAtEnd()
                    const end = originY + contentHeight + bottomMargin - height
                    if (end > contentY)
                        contentY = end
                }

                visible: root.hasFiles
                anchors.fill: parent
                clip: true
                boundsBehavior: Flickable.StopAtBounds
                topMargin: 12
                // Room to scroll the last row out from under the panels
                // that float over the list's bottom.
                bottomMargin: 12 + root.floatingInset
                spacing: 8
                model: fileRows
                activeFocusOnTab: true
                keyNavigationEnabled: true
                highlightFollowsCurrentItem: false
                currentIndex: -1

                Accessible.role: Accessible.List
                Accessible.name: root.counterText
                Accessible.ignored: !visible

                // A panel coming up over the end of the list does not hide
                // the last row: the list follows the end it showed.
                onBottomMarginChanged: if (showsEnd) scrollToEnd()

                // Tab into the list lands on a row.
                onActiveFocusChanged: if (activeFocus && currentIndex < 0 && count > 0) currentIndex = 0
                ListKeyboard {
                    id: listKeyboard
                    list: fileListView
                }
                Keys.onPressed: (event) => { event.accepted = listKeyboard.handleKey(event) }

                ScrollBar.vertical: ScrollBar {
                    objectName: "listScrollBar"
                    policy: ScrollBar.AsNeeded
                    //% "Scroll the file list"
                    Accessible.name: qsTrId("a11y_list_scroll_bar")
                    Accessible.ignored: !visible
                }

                Connections {
                    target: root.viewModel.files
                    function onRowsAboutToBeInserted() {
                        fileListView.followEnd = fileListView.count > 0 && fileListView.showsEnd
                    }
                    function onRowsInserted() {
                        if (fileListView.followEnd)
                            Qt.callLater(fileListView.scrollToEnd)
                    }
                }

                delegate: FileRowView {
                    id: fileRow

                    x: 16
                    width: ListView.view.width - 32
                    cleanOffered: status === FileListModel.Pending
                    onRemoveRequested: root.viewModel.removeFile(fileId)
                    onCleanRequested: root.viewModel.cleanSingleFile(fileId)
                    onRetryRequested: root.viewModel.retryFile(fileId)

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

    ProgressPanel {
        id: progressPanel
        objectName: "progressPanel"

        shown: root.viewModel.isProcessing
        progress: root.viewModel.progress
        canStop: root.viewModel.canStop
        onStopRequested: root.viewModel.stop()
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: shown ? 16 : -height

        Behavior on anchors.bottomMargin {
            NumberAnimation { duration: 300; easing.type: Easing.OutCubic }
        }
    }

    // Files listed for review wait for this button; it takes the keyboard
    // when they come, so that Return cleans them and nothing else does.
    Rectangle {
        id: reviewPanel
        objectName: "reviewPanel"

        visible: root.viewModel.readyCount > 0
        onVisibleChanged: if (visible) cleanReadyButton.forceActiveFocus()
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: root.aboveProgress
        implicitWidth: cleanReadyButton.implicitWidth + 24
        implicitHeight: cleanReadyButton.implicitHeight + 16
        radius: 12
        color: Theme.floatingMaterial
        border.color: Theme.divider

        SymbolButton {
            id: cleanReadyButton
            objectName: "cleanReadyButton"

            anchors.centerIn: parent
            large: true
            symbol: "wand.and.stars"
            //% "Clean %Ln Files"
            text: qsTrId("clean_ready", root.viewModel.readyCount)
            onClicked: root.viewModel.cleanReady()
        }
    }

    RunSummaryBar {
        id: summaryBar
        objectName: "runSummaryBar"

        shown: root.runSummary !== "" && !progressPanel.shown && !reviewPanel.visible
        text: root.runSummary
        offersFilter: root.runLeftFiles
        showsOnlyNotCleaned: root.showOnlyNotCleaned
        onFilterToggled: root.showOnlyNotCleaned = !root.showOnlyNotCleaned
        onDismissed: root.dismissSummary()
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 16
        width: Math.min(implicitWidth, parent.width - 32)
    }

    DropHighlight {
        objectName: "dropHighlight"
        anchors.fill: parent
        shown: root.isTargeted
    }

    MessageBanner {
        id: banner
        objectName: "unsupportedBanner"

        message: root.message
        active: root.hasFiles
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: shown ? root.aboveProgress : -height
        width: Math.min(implicitWidth, parent.width - 32)

        Behavior on anchors.bottomMargin {
            NumberAnimation { duration: 300; easing.type: Easing.OutCubic }
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

    // Many files from folders wait for an answer before they are listed.
    ManyFilesQuestion {
        objectName: "confirmationDialog"
        intake: windowIntake
        otherIntakes: root.otherIntakes
    }
}
