import QtQuick
import QtQuick.Controls
import QtTest
import Tessaly.Ui
import Tessaly.Test

// The list by keyboard alone: where the focus starts, Home and End, the
// focused row kept in view, and a long log read page by page.
TestCase {
    id: testCase

    name: "Keyboard"
    when: windowShown
    visible: true
    width: 600
    height: 320

    // Sixty tags: an opened log far taller than the list.
    readonly property string longAnswer: {
        let tags = { "SourceFile": "x", "IFD0:Artist": "Jane Marker" }
        for (let i = 0; i < 60; ++i)
            tags["XMP:Note" + i] = "line " + i
        return JSON.stringify([tags])
    }
    readonly property string answerAfter: '[{"SourceFile":"x","File:ImageWidth":64}]'

    Component {
        id: viewComponent
        ContentView {
            width: 600
            height: 320
        }
    }

    function createView(files) {
        const model = TestSupport.createModel(longAnswer, false, answerAfter)
        const view = createTemporaryObject(viewComponent, testCase, { viewModel: model })
        verify(view)
        if (files > 0) {
            let urls = []
            for (let i = 0; i < files; ++i)
                urls.push(TestSupport.makeFile("r" + i + ".jpg"))
            model.addFiles(urls)
            tryCompare(model, "doneCount", files)
        }
        return { model: model, view: view, list: findChild(view, "fileListView") }
    }

    // The row's header (its name and status) lies inside the list's view.
    function headerShown(list, index) {
        const item = list.itemAtIndex(index)
        if (!item)
            return false
        const header = findChild(item, "header")
        return item.y >= list.contentY - 1 && item.y + header.height <= list.contentY + list.height + 1
    }

    function test_focusStartsOnSomethingToDo() {
        const t = createView(0)
        const add = findChild(t.view, "emptyAddButton")
        tryVerify(() => add.activeFocus)

        t.model.addFiles([TestSupport.makeFile("a.jpg")])
        tryVerify(() => t.list.activeFocus)
        compare(t.list.currentIndex, 0)

        keyClick(Qt.Key_Delete)
        tryVerify(() => add.activeFocus)
    }

    // End then Delete removes the last row, the one shown with the focus.
    function test_homeAndEnd() {
        const t = createView(12)
        t.list.forceActiveFocus()
        keyClick(Qt.Key_End)
        compare(t.list.currentIndex, 11)
        tryVerify(() => headerShown(t.list, 11))
        verify(t.list.currentItem.activeFocus)
        compare(t.list.currentItem.fileName, "r11.jpg")
        keyClick(Qt.Key_Delete)
        compare(t.model.totalCount, 11)
        keyClick(Qt.Key_End)
        tryCompare(t.list.currentItem, "fileName", "r10.jpg")

        keyClick(Qt.Key_Home)
        compare(t.list.currentIndex, 0)
        tryVerify(() => headerShown(t.list, 0))
        verify(t.list.currentItem.activeFocus)
    }

    // With a long log open above it, Down still brings the next row into view.
    function test_focusedRowScrollsIntoView() {
        const t = createView(3)
        t.list.forceActiveFocus()
        keyClick(Qt.Key_Return)
        const first = t.list.itemAtIndex(0)
        tryVerify(() => first.height > 2 * t.list.height)
        wait(400) // the panel opens in an animation
        keyClick(Qt.Key_Down)
        compare(t.list.currentIndex, 1)
        tryVerify(() => headerShown(t.list, 1))
    }

    // PageDown scrolls through an open log to its last line and on to the
    // next row, which then has the focus; PageUp goes back.
    function test_pagesThroughALongLog() {
        const t = createView(2)
        t.list.forceActiveFocus()
        keyClick(Qt.Key_Return)
        const first = t.list.itemAtIndex(0)
        tryVerify(() => first.height > 2 * t.list.height)
        wait(400)
        verify(headerShown(t.list, 0))

        let pages = 0
        while (t.list.currentIndex === 0 && pages < 20) {
            const before = t.list.contentY
            keyClick(Qt.Key_PageDown)
            verify(t.list.contentY > before || t.list.currentIndex === 1, "PageDown did nothing")
            ++pages
        }
        verify(pages >= 3, pages)
        const entries = findChild(first, "beforeColumn")
        verify(entries.mapToItem(t.list.contentItem, 0, entries.height).y <= t.list.contentY + t.list.height)
        compare(t.list.currentIndex, 1)
        verify(t.list.currentItem.activeFocus)

        keyClick(Qt.Key_PageUp)
        compare(t.list.currentIndex, 0)
        while (t.list.contentY > t.list.originY - t.list.topMargin)
            keyClick(Qt.Key_PageUp)
        verify(headerShown(t.list, 0))
    }
}
