import QtQuick
import QtTest
import Tessaly.Ui
import Tessaly.Test

// One row on its own, as the list would build it.
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
            url: "file:///home/jane/Pictures/a.jpg"
            path: "/home/jane/Pictures/a.jpg"
            fileName: "a.jpg"
            fileExtension: "jpg"
            status: FileListModel.Done
            index: 0
            folder: "/home/jane/Pictures"
            fileSymbol: "photo"
            fileTint: "blue"
            statusSymbol: "checkmark.circle.fill"
            statusTint: "green"
            statusText: "Cleaned"
            countsText: "80 → 25"
            accessibleText: "a.jpg, Cleaned, 80 tags before, 25 after"
            canExpand: true
            expanded: false
            model: testCase.rowModel()
        }
    }

    // The row's model object, as the list gives it.
    function rowModel() {
        return { expanded: false, metadataLog: { errorMessage: "", errorDetail: "", hasComparison: false,
                                                 before: [], after: [], stillInFile: [] } }
    }

    SignalSpy {
        id: removeSpy
        signalName: "removeRequested"
    }

    function createRow(properties) {
        const row = createTemporaryObject(rowComponent, testCase, properties)
        verify(row)
        removeSpy.target = row
        removeSpy.clear()
        return row
    }

    // The row shows what its roles say (FileRows computes them): the name
    // a screen reader reads, the status's word and symbol, the counts of a
    // cleaned file, and the chevron of a row that opens.
    function test_showsItsRoles_data() {
        return [
            { tag: "waiting", status: FileListModel.Pending, symbol: "", text: "Waiting",
              name: "a.jpg, Waiting", opens: false, counts: "" },
            { tag: "done", status: FileListModel.Done, symbol: "checkmark.circle.fill", text: "Cleaned",
              name: "a.jpg, Cleaned, 80 tags before, 25 after", opens: true, counts: "80 → 25" },
            { tag: "error", status: FileListModel.Error, symbol: "xmark.circle.fill", text: "Failed",
              name: "a.jpg, Failed, The file is locked", opens: true, counts: "The file is locked." },
        ]
    }
    function test_showsItsRoles(data) {
        const row = createRow({ status: data.status, statusSymbol: data.symbol, statusText: data.text,
                                accessibleText: data.name, canExpand: data.opens, countsText: data.counts })
        compare(row.Accessible.name, data.name)
        compare(row.Accessible.role, Accessible.ListItem)
        compare(row.Accessible.description, "/home/jane/Pictures/a.jpg")
        compare(findChild(row, "statusText").text, data.text)
        // Beside the status: a cleaned row's counts, a failed row's reason.
        compare(findChild(row, "keyCounts").visible, data.counts !== "")
        compare(findChild(row, "keyCounts").text, data.counts)
        compare(findChild(row, "chevron").visible, data.opens)
        compare(findChild(row, "subtitle").text, "JPG  ·  /home/jane/Pictures")
        // Nothing spins while a file is cleaned: a run of thousands of rows
        // must not keep the window redrawing.
        compare(findChild(row, "statusSymbol").visible, data.symbol !== "")
    }

    // Opening a row writes its open state back to the row's model, which
    // keeps it while the row's view is gone.
    function test_openStateGoesToTheModel() {
        const row = createRow({})
        row.forceActiveFocus()
        keyClick(Qt.Key_Return)
        verify(row.model.expanded)
        keyClick(Qt.Key_Return)
        verify(!row.model.expanded)
        compare(createRow({ expanded: true }).isExpanded, true)
    }

    function test_keyboard_data() {
        return [
            { tag: "Return opens", key: Qt.Key_Return, modifiers: Qt.NoModifier, expanded: true, removes: 0, menu: false },
            { tag: "Space opens", key: Qt.Key_Space, modifiers: Qt.NoModifier, expanded: true, removes: 0, menu: false },
            { tag: "Delete removes", key: Qt.Key_Delete, modifiers: Qt.NoModifier, expanded: false, removes: 1, menu: false },
            { tag: "Menu key", key: Qt.Key_Menu, modifiers: Qt.NoModifier, expanded: false, removes: 0, menu: true },
            { tag: "Shift+F10", key: Qt.Key_F10, modifiers: Qt.ShiftModifier, expanded: false, removes: 0, menu: true },
            { tag: "plain F10 is not the menu", key: Qt.Key_F10, modifiers: Qt.NoModifier, expanded: false, removes: 0, menu: false },
        ]
    }
    function test_keyboard(data) {
        const row = createRow({})
        row.forceActiveFocus()
        keyClick(data.key, data.modifiers)
        compare(row.isExpanded, data.expanded)
        compare(removeSpy.count, data.removes)
        if (data.menu) {
            tryCompare(row.contextMenu, "opened", true)
            row.contextMenu.close()
            tryCompare(row.contextMenu, "visible", false)
        } else {
            verify(!row.contextMenu.visible)
        }
    }

    SignalSpy {
        id: retrySpy
        signalName: "retryRequested"
    }

    // Ctrl+R and the menu try a failed or stopped file again, and only such a file.
    function test_tryAgain_data() {
        return [
            { tag: "failed", status: FileListModel.Error, offered: true },
            { tag: "stopped", status: FileListModel.Stopped, offered: true },
            { tag: "cleaned", status: FileListModel.Done, offered: false },
            { tag: "waiting", status: FileListModel.Pending, offered: false },
            { tag: "being cleaned", status: FileListModel.Processing, offered: false },
        ]
    }
    function test_tryAgain(data) {
        const row = createRow({ status: data.status })
        retrySpy.target = row
        retrySpy.clear()
        row.forceActiveFocus()
        keyClick(Qt.Key_R, Qt.ControlModifier)
        compare(retrySpy.count, data.offered ? 1 : 0)
        row.contextMenu.popup()
        compare(findChild(row, "retryMenuItem").visible, data.offered)
        row.contextMenu.close()
    }

    // The remove button is for the mouse; Tab must not stop on it, and a
    // screen reader tells the buttons of two rows apart.
    function test_removeButtonIsNamedAndOutOfTheTabChain() {
        const row = createRow({})
        const button = findChild(row, "removeButton")
        compare(button.focusPolicy, Qt.NoFocus)
        compare(button.Accessible.name, "Remove a.jpg from the list")
        mouseClick(button)
        compare(removeSpy.count, 1)
        row.contextMenu.popup()
        findChild(row, "removeMenuItem").triggered()
        compare(removeSpy.count, 2)
    }
}
