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

    function init() {
        TestSupport.closeGate()
    }

    function test_emptyListShowsOnlyTheDropZone() {
        const view = createView(TestSupport.createModel(answer))

        verify(part(view, "emptyStateView").visible)
        verify(!part(view, "inlineControlsBar").visible)
        verify(!part(view, "divider").visible)
        verify(!part(view, "counter").visible)
        verify(!part(view, "fileListView").visible)
        verify(!part(view, "progressPanel").visible)
        verify(!part(view, "unsupportedBanner").visible)
        verify(!part(view, "emptyStateMessage").visible)
    }

    function test_firstFileBringsControlsAndListAndLastRemovalTakesThemAway() {
        const model = TestSupport.createModel(answer)
        const view = createView(model)
        model.addFiles([TestSupport.makeFile("a.jpg")])

        verify(part(view, "inlineControlsBar").visible)
        verify(part(view, "divider").visible)
        verify(part(view, "fileListView").visible)
        verify(!part(view, "emptyStateView").visible)
        tryCompare(part(view, "counter"), "text", "1 file · 1 cleaned · 0 failed")

        mouseClick(findChild(row(view, 0), "removeButton"))
        compare(model.totalCount, 0)
        tryCompare(part(view, "emptyStateView"), "visible", true)
        verify(!part(view, "inlineControlsBar").visible)
    }

    function test_runShowsProgressAndLocksOnlyClear() {
        const model = TestSupport.createModel(answer, true)
        const view = createView(model)
        const panel = part(view, "progressPanel")
        const clear = part(view, "clearButton")
        const add = part(view, "addButton")

        model.addFiles([TestSupport.makeFile("a.jpg"), TestSupport.makeFile("b.pdf")])
        tryCompare(model, "isProcessing", true)
        tryCompare(panel, "visible", true)
        compare(findChild(panel, "percentageText").text, "0%")
        verify(!clear.enabled)
        verify(add.enabled)

        TestSupport.openGate()
        tryCompare(findChild(panel, "percentageText"), "text", "100%")
        verify(Qt.colorEqual(findChild(panel, "progressFill").color, Theme.green))
        tryCompare(model, "isProcessing", false)
        tryCompare(panel, "visible", false)
        verify(clear.enabled)

        mouseClick(clear)
        compare(model.totalCount, 0)
    }

    function test_messageInsideTheDropZoneWhileTheListIsEmpty() {
        const model = TestSupport.createModel(answer)
        const view = createView(model)
        view.messageDuration = 60 * 60 * 1000

        view.handleDrop([TestSupport.makeFile("notes.txt")])

        compare(model.totalCount, 0)
        tryCompare(part(view, "emptyStateMessage"), "visible", true)
        compare(part(view, "emptyStateMessageText").text, "This file type is not supported")
        verify(!part(view, "unsupportedBanner").visible)
    }

    function test_messageAsBannerOverTheListAndClearedLater() {
        const model = TestSupport.createModel(answer)
        const view = createView(model)
        model.addFiles([TestSupport.makeFile("a.jpg")])
        view.messageDuration = 300

        view.handleDrop([TestSupport.makeFile("a.doc"), TestSupport.makeFile("b.zip"), TestSupport.makeFile("c.png")])

        compare(model.totalCount, 2)
        const banner = part(view, "unsupportedBanner")
        tryCompare(banner, "visible", true)
        compare(part(view, "bannerText").text, "2 files are of an unsupported type")
        verify(!part(view, "emptyStateMessage").visible)
        tryCompare(banner, "visible", false)
    }

    function test_pendingRowOffersCleanAndDoesNotOpen() {
        const model = TestSupport.createModel(answer, true)
        const view = createView(model)
        model.addFiles([TestSupport.makeFile("running.jpg")])
        tryCompare(model, "isProcessing", true)
        TestSupport.appendPending(model, TestSupport.makeFile("waiting.mov"))

        const pending = row(view, 1)
        compare(pending.status, "pending")
        verify(!findChild(pending, "chevron").visible)
        pending.contextMenu.popup()
        tryCompare(pending.contextMenu, "opened", true)
        verify(findChild(pending, "cleanMenuItem").visible)
        pending.contextMenu.close()
        mouseClick(findChild(pending, "header"))
        verify(!pending.isExpanded)

        findChild(pending, "cleanMenuItem").triggered()
        tryCompare(pending, "status", "processing")
        pending.contextMenu.popup()
        tryCompare(pending.contextMenu, "opened", true)
        verify(!findChild(pending, "cleanMenuItem").visible)
        pending.contextMenu.close()
        TestSupport.openGate()
        tryCompare(pending, "status", "done")
    }

    function test_doneAndErrorRowsOpenOnClick() {
        const doneModel = TestSupport.createModel(answer)
        const doneView = createView(doneModel)
        doneModel.addFiles([TestSupport.makeFile("a.jpg")])
        const done = row(doneView, 0)
        tryCompare(done, "status", "done")
        verify(findChild(done, "chevron").visible)
        verify(findChild(done, "keyCounts").visible)

        mouseClick(findChild(done, "header"))
        tryVerify(() => findChild(done, "beforeColumn") !== null)
        verify(findChild(done, "beforeColumn").visible)

        const failingModel = TestSupport.createModelWithoutTool()
        const errorView = createView(failingModel)
        failingModel.addFiles([TestSupport.makeFile("b.pdf")])
        const failed = row(errorView, 0)
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
        const picker = findChild(view, "filePicker")
        verify(picker)

        mouseClick(part(view, "emptyAddButton"))
        compare(model.showFilePicker, true)
        tryCompare(picker, "visible", true)
        picker.reject()
        tryCompare(model, "showFilePicker", false)
        compare(model.totalCount, 0)
    }
}
