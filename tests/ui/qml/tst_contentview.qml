import QtQuick
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

    readonly property string answer: '[{"SourceFile":"x","Artist":"Jane Marker","ImageSize":"64x48"}]'

    Component {
        id: viewComponent

        ContentView {
            width: 700
            height: 500
        }
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

    function init() {
        TestSupport.closeGate()
    }

    // Empty: only the drop zone. The first file brings the controls and a row
    // that opens when done; removing the last file takes them away again.
    function test_listComesAndGoesWithItsFiles() {
        const model = TestSupport.createModel(answer)
        const view = createView(model)
        compare(visibleParts(view), ["emptyStateView"])

        model.addFiles([TestSupport.makeFile("a.jpg")])
        tryCompare(part(view, "counter"), "text", "1 file · 1 cleaned · 0 failed")
        tryCompare(part(view, "progressPanel"), "visible", false) // the run over
        compare(visibleParts(view), ["inlineControlsBar", "divider", "counter", "fileListView"])
        const done = row(view, 0)
        tryCompare(done, "status", "done")
        verify(findChild(done, "chevron").visible)
        verify(findChild(done, "keyCounts").visible)
        mouseClick(findChild(done, "header"))
        tryVerify(() => findChild(done, "beforeColumn") !== null && findChild(done, "beforeColumn").visible)

        mouseClick(findChild(done, "removeButton"))
        compare(model.totalCount, 0)
        tryCompare(part(view, "emptyStateView"), "visible", true)
        verify(!part(view, "inlineControlsBar").visible)
    }

    function test_runShowsProgressAndLocksOnlyClear() {
        const model = TestSupport.createModel(answer, true)
        const view = createView(model)
        const panel = part(view, "progressPanel")
        const clear = part(view, "clearButton")

        model.addFiles([TestSupport.makeFile("a.jpg"), TestSupport.makeFile("b.pdf")])
        tryCompare(model, "isProcessing", true)
        tryCompare(panel, "visible", true)
        compare(findChild(panel, "percentageText").text, "0%")
        verify(!clear.enabled)
        verify(part(view, "addButton").enabled)

        TestSupport.openGate()
        tryCompare(findChild(panel, "percentageText"), "text", "100%")
        verify(Qt.colorEqual(findChild(panel, "progressFill").color, Theme.green))
        tryCompare(model, "isProcessing", false)
        tryCompare(panel, "visible", false)
        verify(clear.enabled)
        mouseClick(clear)
        compare(model.totalCount, 0)
    }

    // While the list is empty the message sits in the drop zone, else in a
    // banner over the list, until its time runs out.
    function test_unsupportedMessage() {
        const model = TestSupport.createModel(answer)
        const view = createView(model)
        view.messageDuration = 300
        view.handleDrop([TestSupport.makeFile("notes.txt")])
        compare(model.totalCount, 0)
        tryCompare(part(view, "emptyStateMessage"), "visible", true)
        compare(part(view, "emptyStateMessageText").text, "This file type is not supported")
        verify(!part(view, "unsupportedBanner").visible)
        tryCompare(part(view, "emptyStateMessage"), "visible", false)

        model.addFiles([TestSupport.makeFile("a.jpg")])
        view.handleDrop([TestSupport.makeFile("a.doc"), TestSupport.makeFile("b.zip"), TestSupport.makeFile("c.png")])
        compare(model.totalCount, 2)
        const banner = part(view, "unsupportedBanner")
        tryCompare(banner, "visible", true)
        compare(part(view, "bannerText").text, "2 files are of an unsupported type")
        verify(!part(view, "emptyStateMessage").visible)
        tryCompare(banner, "visible", false)
    }

    // A pending row offers a clean; taken, the row runs, and offers it no more.
    function test_pendingRowIsCleanedOnItsOwn() {
        const model = TestSupport.createModel(answer, true)
        const view = createView(model)
        model.addFiles([TestSupport.makeFile("running.jpg")])
        tryCompare(model, "isProcessing", true)
        TestSupport.appendPending(model, TestSupport.makeFile("waiting.mov"))

        const pending = row(view, 1)
        compare(pending.status, "pending")
        verify(pending.cleanOffered)
        findChild(pending, "cleanMenuItem").triggered()
        tryCompare(pending, "status", "processing")
        verify(!pending.cleanOffered)
        TestSupport.openGate()
        tryCompare(pending, "status", "done")
    }

    function test_errorRowOpensOnItsMessage() {
        const model = TestSupport.createModel()
        const view = createView(model)
        model.addFiles([TestSupport.makeFile("b.pdf")])
        const failed = row(view, 0)
        tryCompare(failed, "status", "error")
        verify(findChild(failed, "chevron").visible)
        verify(!findChild(failed, "keyCounts").visible)
        mouseClick(findChild(failed, "header"))
        tryVerify(() => findChild(failed, "errorText") !== null)
        compare(findChild(failed, "errorText").text, failed.errorMessage)
        verify(failed.errorMessage.length > 0)
    }

    function test_closingThePickerWritesShowFilePickerBack() {
        const model = TestSupport.createModel(answer)
        const view = createView(model)
        const picker = part(view, "filePicker")
        mouseClick(part(view, "emptyAddButton"))
        compare(model.showFilePicker, true)
        tryCompare(picker, "visible", true)
        picker.reject()
        tryCompare(model, "showFilePicker", false)
        compare(model.totalCount, 0)
    }
}
