import QtQuick
import QtTest
import Tessaly.Ui
import Tessaly.Test

// One row built straight from a FileItem, as the list would build it.
TestCase {
    id: testCase

    name: "FileRowView"
    when: windowShown
    visible: true
    width: 700
    height: 500

    Component {
        id: rowComponent

        FileRowView {
            width: 600
            fileId: "6f1c2a4e-0000-4000-8000-000000000001"
            url: "file:///tmp/a.jpg"
            fileName: "a.jpg"
            fileExtension: "jpg"
            status: "done"
            errorMessage: ""
            beforeCount: 0
            afterCount: 0
            fileItem: undefined
        }
    }

    Component {
        id: plainText

        Text {
            textFormat: Text.PlainText
        }
    }

    SignalSpy {
        id: removeSpy
        signalName: "removeRequested"
    }

    function createRow(properties) {
        const row = createTemporaryObject(rowComponent, testCase, properties)
        verify(row)
        return row
    }

    function entries(item) { // the "entry" items under `item`, in order
        let found = []
        for (let i = 0; i < item.children.length; ++i) {
            const child = item.children[i]
            found = found.concat(child.objectName === "entry" ? [child] : entries(child))
        }
        return found
    }

    function menuOffersClean(row) {
        row.contextMenu.popup()
        tryCompare(row.contextMenu, "opened", true)
        const offered = findChild(row, "cleanMenuItem").visible
        row.contextMenu.close()
        tryCompare(row.contextMenu, "visible", false)
        return offered
    }

    function test_doneRowOpensAndMarksRemovedKeys() {
        const item = TestSupport.fileItem("a.jpg",
                                          { "Artist": "Jane Marker", "artist": "kept", "FileSize": "10 kB" },
                                          { "artist": "kept", "FileSize": "8 kB" })
        const row = createRow({ fileItem: item, beforeCount: 3, afterCount: 2 })

        compare(findChild(row, "keyCounts").text, "3 → 2")
        const chevron = findChild(row, "chevron")
        verify(chevron.visible)
        compare(chevron.rotation, 0)
        mouseClick(findChild(row, "header"))
        verify(row.isExpanded)
        tryCompare(chevron, "rotation", 90)
        tryVerify(() => findChild(row, "beforeColumn") !== null)

        const before = entries(findChild(row, "beforeColumn"))
        compare(before.map(e => findChild(e, "key").text), ["Artist", "FileSize", "artist"])
        for (const part of ["key", "value"])
            compare(before.map(e => Qt.colorEqual(findChild(e, part).color, Theme.red)), [true, false, false])
        compare(findChild(findChild(row, "beforeColumn"), "rowCount").text, "(3)")

        const after = entries(findChild(row, "afterColumn"))
        compare(after.map(e => findChild(e, "key").text), ["FileSize", "artist"])
        verify(after.every(e => !Qt.colorEqual(findChild(e, "key").color, Theme.red)))
        mouseClick(findChild(row, "header"))
        verify(!row.isExpanded)
        tryCompare(chevron, "rotation", 0)
    }

    function test_tagValuesThatLookLikeHtmlShowLiterally() {
        const values = ["<b>x</b>", "<img src=http://example.invalid/t.png>", "a &amp; b"]
        const item = TestSupport.fileItem("<i>photo</i>.jpg", { "Comment": values[0], "Title": values[1], "XPSubject": values[2] }, {},
                                          "<font color=red>boom</font>")
        const row = createRow({ fileItem: item, status: "error", fileName: "<i>photo</i>.jpg",
                                errorMessage: "<font color=red>boom</font>" })
        mouseClick(findChild(row, "header"))
        tryVerify(() => findChild(row, "beforeColumn") !== null)

        const shown = entries(findChild(row, "beforeColumn")).map(e => findChild(e, "value"))
        compare(shown.map(t => t.text), values)
        const texts = shown.concat([findChild(row, "errorText"), findChild(row, "fileName")])
        for (const text of texts) {
            // Drawn as plain text, the markup takes its full width.
            const reference = createTemporaryObject(plainText, testCase, { text: text.text, font: text.font })
            fuzzyCompare(text.contentWidth, Math.min(reference.contentWidth, text.width), 1)
        }
    }

    function test_pendingRowNeitherOpensNorShowsCounts() {
        const row = createRow({ status: "pending", cleanOffered: true,
                                fileItem: TestSupport.fileItem("a.jpg", {}, {}) })
        verify(!findChild(row, "chevron").visible)
        verify(!findChild(row, "keyCounts").visible)
        verify(findChild(row, "pendingBadge").visible)
        verify(menuOffersClean(row))
        mouseClick(findChild(row, "header"))
        verify(!row.isExpanded)
        verify(findChild(row, "panelLoader").item === null)

        const notOffered = createRow({ status: "pending", cleanOffered: false,
                                       fileItem: TestSupport.fileItem("b.jpg", {}, {}) })
        verify(!menuOffersClean(notOffered))
    }

    function test_removeByButtonAndByMenuAskOnce() {
        const row = createRow({ status: "processing", fileItem: TestSupport.fileItem("a.jpg", {}, {}) })
        removeSpy.target = row
        removeSpy.clear()
        mouseClick(findChild(row, "removeButton"))
        compare(removeSpy.count, 1)
        verify(!row.isExpanded)

        row.contextMenu.popup()
        row.contextMenu.itemAt(row.contextMenu.count - 1).triggered()
        compare(removeSpy.count, 2)
    }

    function test_longNameIsCutInTheMiddle() {
        const name = "holiday-" + "x".repeat(300) + "-final.jpg"
        const row = createRow({ fileName: name, fileItem: TestSupport.fileItem("a.jpg", {}, {}) })
        const text = findChild(row, "fileName")
        verify(text.truncated)
        compare(text.lineCount, 1)
    }
}
