import QtQuick
import QtQuick.Controls
import QtTest
import Tessaly.Ui
import Tessaly.Test

// The main window's content with a real model whose tool is a fake.
TestCase {
    id: testCase

    name: "ContentView"
    when: windowShown
    visible: true
    width: 700
    height: 500

    readonly property string answer: '[{"SourceFile":"x","IFD0:Artist":"Jane Marker","File:ImageWidth":64}]'
    readonly property string answerAfter: '[{"SourceFile":"x","File:ImageWidth":64}]'

    Component {
        id: viewComponent

        ContentView {
            width: 700
            height: 500
        }
    }

    Component {
        id: intakeComponent
        DropIntake { }
    }

    function createView(model) {
        const view = createTemporaryObject(viewComponent, testCase, { viewModel: model })
        verify(view)
        return view
    }

    function part(view, name) {
        const item = findChild(view, name)
        verify(item, name)
        return item
    }

    function row(view, index) {
        const list = part(view, "fileListView")
        tryVerify(() => list.itemAtIndex(index) !== null)
        return list.itemAtIndex(index)
    }

    function visibleParts(view) {
        return ["emptyStateView", "inlineControlsBar", "divider", "counter", "fileListView", "progressPanel",
                "unsupportedBanner", "emptyStateMessage"].filter(name => part(view, name).visible)
    }

    function entries(item) { // the "entry" items under `item`, in order
        let found = []
        for (let i = 0; i < item.children.length; ++i) {
            const child = item.children[i]
            found = found.concat(child.objectName === "entry" ? [child] : entries(child))
        }
        return found
    }

    // Empty: only the drop zone. The first file brings the controls and a row
    // that opens when done; removing the last file takes them away again.
    function test_listComesAndGoesWithItsFiles() {
        const model = TestSupport.createModel(answer, false, answerAfter)
        const view = createView(model)
        compare(visibleParts(view), ["emptyStateView"])

        model.addFiles([TestSupport.makeFile("a.jpg")])
        tryCompare(part(view, "counter"), "text", "1 file · 1 cleaned · 0 failed")
        compare(part(view, "counter").Accessible.name, "1 file · 1 cleaned · 0 failed")
        tryCompare(part(view, "progressPanel"), "visible", false) // the run over
        compare(visibleParts(view), ["inlineControlsBar", "divider", "counter", "fileListView"])
        const done = row(view, 0)
        tryCompare(done, "status", FileListModel.Done)
        mouseClick(findChild(done, "header"))
        tryVerify(() => findChild(done, "beforeColumn") !== null && findChild(done, "beforeColumn").visible)

        mouseClick(findChild(done, "removeButton"))
        compare(model.totalCount, 0)
        tryCompare(part(view, "emptyStateView"), "visible", true)
        verify(!part(view, "inlineControlsBar").visible)
    }

    // The empty list says where cleaned files go.
    function test_emptyStateFollowsTheCopySetting() {
        const view = createView(TestSupport.createModel(answer, false, answerAfter))
        const description = part(view, "dropZoneDescription")
        verify(description.text.indexOf("right where they are") >= 0, description.text)
        view.savesCopies = true
        verify(description.text.indexOf("cleaned copy beside them") >= 0, description.text)
    }

    // Removed tags are red, struck through, marked with a sign and said to be
    // removed; the keys take their full width on a wide window.
    function test_logMarksRemovedTagsBeyondColour() {
        const model = TestSupport.createModel(answer, false, answerAfter)
        const view = createView(model)
        model.addFiles([TestSupport.makeFile("a.jpg")])
        const done = row(view, 0)
        tryCompare(done, "status", FileListModel.Done)
        done.forceActiveFocus()
        keyClick(Qt.Key_Return)
        tryVerify(() => findChild(done, "beforeColumn") !== null)

        const before = entries(findChild(done, "beforeColumn"))
        const keys = before.map(e => findChild(e, "key"))
        // People come before the picture's own numbers.
        compare(keys.map(k => k.text), ["IFD0:Artist", "File:ImageWidth"])
        compare(keys.map(k => k.font.strikeout), [true, false])
        compare(before.map(e => findChild(e, "removedMark").text !== ""), [true, false])
        compare(before.map(e => e.Accessible.name), ["IFD0:Artist: Jane Marker, removed", "File:ImageWidth: 64"])
        verify(Qt.colorEqual(keys[0].color, Theme.red))
        const column = findChild(done, "beforeColumn")
        verify(keys.every(k => !k.truncated), "keyWidth " + column.keyWidth + " column " + column.width + " key " + keys.map(k => k.width + "/" + k.implicitWidth))
        const after = entries(findChild(done, "afterColumn"))
        compare(after.map(e => findChild(e, "key").font.strikeout), [false])
    }

    function test_runShowsProgressAndLocksNothing() {
        const model = TestSupport.createModel(answer, true, answerAfter)
        const view = createView(model)
        const panel = part(view, "progressPanel")
        const clear = part(view, "clearButton")

        model.addFiles([TestSupport.makeFile("a.jpg"), TestSupport.makeFile("b.pdf")])
        tryCompare(model, "isProcessing", true)
        tryCompare(panel, "visible", true)
        compare(findChild(panel, "percentageText").text, "0%")
        const bar = findChild(panel, "progressBar")
        compare(bar.Accessible.role, Accessible.ProgressBar)
        compare(bar.Accessible.name, "Cleaning progress")
        verify(clear.enabled)
        verify(part(view, "addButton").enabled)
        verify(findChild(panel, "stopButton").enabled)

        TestSupport.openGate()
        tryCompare(findChild(panel, "percentageText"), "text", "100%")
        compare(bar.value, 1)
        verify(Qt.colorEqual(findChild(panel, "progressFill").color, Theme.green))
        tryCompare(model, "isProcessing", false)
        tryCompare(panel, "visible", false)
        verify(clear.enabled)
        clear.forceActiveFocus()
        keyClick(Qt.Key_Return)
        compare(model.totalCount, 0)
    }

    // Stop: the files waiting are spared at once and say so; the run ends
    // when the files being cleaned are back, and the button is spent.
    function test_stopButtonEndsTheRun() {
        const model = TestSupport.createModel(answer, true)
        const view = createView(model)
        const panel = part(view, "progressPanel")
        const names = [...Array(12).keys()].map(n => "s" + n + ".jpg")
        model.addFiles(names.map(n => TestSupport.makeFile(n)))
        tryCompare(panel, "visible", true)
        const stop = findChild(panel, "stopButton")
        tryCompare(stop, "enabled", true)
        // Only as many files as the workers hold are being cleaned.
        tryCompare(findChild(row(view, 0), "statusText"), "text", "Cleaning…")
        compare(findChild(row(view, 5), "statusText").text, "Waiting")

        mouseClick(stop)
        compare(findChild(row(view, 5), "statusText").text, "Stopped")
        TestSupport.openGate()
        tryCompare(model, "stoppedCount", 12)
        compare(findChild(row(view, 0), "statusText").text, "Stopped")
        tryCompare(model, "isProcessing", false)
        verify(!stop.enabled)
    }

    // A run that leaves files behind ends with a summary that stays until
    // dismissed; "Show" lists only those files, and the next run takes the
    // summary away.
    function test_summaryShowsWhatWasNotCleaned() {
        const model = TestSupport.createModel()
        const view = createView(model)
        const list = part(view, "fileListView")
        model.addFiles(["a.pdf", "b.pdf", "c.pdf"].map(n => TestSupport.makeFile(n)))
        const bar = part(view, "runSummaryBar")
        tryCompare(bar, "visible", true)
        compare(findChild(bar, "summaryText").text, "0 cleaned, 3 not cleaned")
        const filter = findChild(bar, "summaryFilterButton")
        compare(filter.text, "Show")
        mouseClick(filter)
        verify(list.model.sourceModel === model.notCleanedFiles)
        compare(filter.text, "Show All")
        // Remove from the filtered list: the file shown goes.
        const second = row(view, 1)
        compare(second.fileName, "b.pdf")
        mouseClick(findChild(second, "removeButton"))
        compare(model.files.count, 2)
        compare(model.files.count, 2)
        verify(model.files.data(model.files.index(1, 0), FileListModel.FileNameRole) === "c.pdf")
        tryCompare(list, "count", 2)

        mouseClick(findChild(bar, "summaryDismissButton"))
        verify(!bar.visible)
        verify(list.model.sourceModel === model.files)

        model.addFiles([TestSupport.makeFile("d.pdf")])
        tryCompare(bar, "visible", true)
        compare(findChild(bar, "summaryText").text, "0 cleaned, 1 not cleaned")
        verify(list.model.sourceModel === model.files)
    }

    // The summary floats over the end of a long list; scrolled all the way
    // down, the last row comes out from under it.
    function test_lastRowScrollsClearOfTheSummary() {
        const model = TestSupport.createModel()
        const view = createView(model)
        const list = part(view, "fileListView")
        model.addFiles([...Array(12).keys()].map(n => TestSupport.makeFile("p" + n + ".pdf")))
        const bar = part(view, "runSummaryBar")
        tryCompare(bar, "visible", true)
        list.scrollToEnd()
        const last = row(view, 11)
        const bottom = () => last.mapToItem(view, 0, last.height).y
        tryVerify(() => bottom() <= bar.y, 5000, "last row ends at " + bottom() + ", the summary starts at " + bar.y)
    }

    // Many files at once into an empty list, in slices as a drop's come: it
    // shows the first of them, not the end, though its rows are not laid out
    // when the next slice and the panels come.
    function test_aListFilledAtOnceStartsAtItsFirstRow() {
        const model = TestSupport.createModel()
        const view = createView(model)
        const list = part(view, "fileListView")
        for (const slice of [0, 1])
            model.addFiles([...Array(20).keys()].map(n => TestSupport.makeFile("p" + slice + "-" + n + ".pdf")))
        tryCompare(part(view, "runSummaryBar"), "visible", true)
        wait(50)
        const first = row(view, 0)
        verify(first !== null, "the first row is not in view; the list shows from " + list.contentY)
        verify(first.mapToItem(list, 0, 0).y >= 0)
    }

    // While the list is empty the message sits in the drop zone, else in a
    // banner over the list, and keeps its text while it fades out.
    function test_unsupportedMessage() {
        const model = TestSupport.createModel(answer, false, answerAfter)
        const view = createView(model)
        view.messageDuration = 300
        const inline = part(view, "emptyStateMessage"), banner = part(view, "unsupportedBanner")
        view.handleDrop([TestSupport.makeFile("notes.txt")])
        tryCompare(inline, "visible", true)
        verify(!banner.visible)
        const text = findChild(inline, "messageText").text
        compare(text, "This file type is not supported")
        tryCompare(inline, "shown", false)
        compare(findChild(inline, "messageText").text, text)
        tryCompare(inline, "visible", false)

        model.addFiles([TestSupport.makeFile("a.jpg")])
        view.handleDrop([TestSupport.makeFile("a.doc"), TestSupport.makeFile("b.zip")])
        tryCompare(banner, "visible", true)
        compare(banner.Accessible.name, "2 files are of an unsupported type")
        verify(!inline.visible)
        tryCompare(banner, "visible", false)
    }

    function test_errorRowOpensOnItsMessage() {
        const model = TestSupport.createModel()
        const view = createView(model)
        model.addFiles([TestSupport.makeFile("b.pdf")])
        const failed = row(view, 0)
        tryCompare(failed, "status", FileListModel.Error)
        mouseClick(findChild(failed, "header"))
        tryVerify(() => findChild(failed, "errorText") !== null)
        const message = model.files.data(model.files.index(0, 0), FileListModel.ErrorMessageRole)
        compare(findChild(failed, "errorText").text, message)
        verify(message.length > 0)
        verify(failed.Accessible.name.endsWith(message))
    }

    // Tab: Clear, Add Files, the list; the arrows move between rows and
    // Delete removes the focused one.
    function test_keyboardWalksControlsAndRows() {
        const model = TestSupport.createModel(answer, false, answerAfter)
        const view = createView(model)
        model.addFiles(["r0.jpg", "r1.jpg", "r2.jpg"].map(n => TestSupport.makeFile(n)))
        tryCompare(model, "doneCount", 3)
        const list = part(view, "fileListView")

        part(view, "clearButton").forceActiveFocus()
        keyClick(Qt.Key_Tab)
        verify(part(view, "addButton").activeFocus)
        keyClick(Qt.Key_Tab)
        verify(list.activeFocus)
        compare(list.currentIndex, 0)
        verify(row(view, 0).activeFocus)
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Down)
        verify(row(view, 2).activeFocus)
        keyClick(Qt.Key_Up)
        const second = row(view, 1)
        verify(second.activeFocus)
        compare(second.fileName, "r1.jpg")
        keyClick(Qt.Key_Delete)
        compare(model.totalCount, 2)
        tryVerify(() => list.currentItem !== null && list.currentItem.activeFocus)
    }

    // A folder with more files than the limit asks first; Escape adds none,
    // Return on "Clean 3 Files" adds them all.
    function test_manyFilesFromAFolderAskFirst() {
        const model = TestSupport.createModel(answer, false, answerAfter)
        const view = createView(model)
        view.confirmationLimit = 2
        const first = TestSupport.makeFile("a.jpg")
        const folder = first.toString().substring(0, first.toString().lastIndexOf("/"))
        TestSupport.makeFileIn(folder, "b.jpg")
        TestSupport.makeFileIn(folder, "c.png")
        const dialog = part(view, "confirmationDialog")

        view.handleDrop([folder])
        tryCompare(dialog, "opened", true)
        verify(findChild(dialog.contentItem, "confirmationText").text.indexOf("3") >= 0)
        keyClick(Qt.Key_Escape)
        tryCompare(dialog, "visible", false)
        // Nothing waits to be added any more: none can arrive later.
        tryCompare(view.windowIntake, "confirmationText", "")
        compare(model.totalCount, 0)

        view.handleDrop([folder])
        tryCompare(dialog, "opened", true)
        const clean = findChild(dialog.footer, "confirmCleanButton")
        compare(clean.text, "Clean 3 Files")
        verify(clean.activeFocus)
        keyClick(Qt.Key_Return)
        tryCompare(model, "totalCount", 3)
        tryCompare(dialog, "visible", false)
    }

    // Files named outside the window (a command line, a file manager) ask
    // the same question in the window, and Return answers it.
    function test_filesFromOutsideAskInTheWindow() {
        const model = TestSupport.createModel(answer, false, answerAfter)
        const outside = createTemporaryObject(intakeComponent, testCase, { viewModel: model, confirmationLimit: 2 })
        const view = createView(model)
        view.otherIntakes = [outside]
        const first = TestSupport.makeFile("a.jpg")
        const folder = first.toString().substring(0, first.toString().lastIndexOf("/"))
        TestSupport.makeFileIn(folder, "b.jpg")
        TestSupport.makeFileIn(folder, "c.png")
        const dialog = part(view, "confirmationDialog")

        outside.addPicked([folder])
        tryCompare(dialog, "opened", true)
        compare(model.totalCount, 0)
        compare(findChild(dialog.footer, "confirmCleanButton").text, "Clean 3 Files")
        keyClick(Qt.Key_Return)
        tryCompare(model, "totalCount", 3)
        tryCompare(dialog, "visible", false)
        compare(outside.confirmationText, "")
    }
}
