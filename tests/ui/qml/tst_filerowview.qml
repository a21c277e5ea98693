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
            errorMessage: ""
            beforeCount: 80
            afterCount: 25
            nothingToRemove: false
            index: 0
        }
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

    function test_readsAsNameStatusAndCounts_data() {
        return [
            { tag: "waiting", status: FileListModel.Pending, error: "",
              name: "a.jpg, Waiting", counts: false, opens: false },
            { tag: "stopped", status: FileListModel.Stopped, error: "",
              name: "a.jpg, Stopped", counts: false, opens: false },
            { tag: "processing", status: FileListModel.Processing, error: "",
              name: "a.jpg, Cleaning…", counts: false, opens: false },
            { tag: "done", status: FileListModel.Done, error: "",
              name: "a.jpg, Cleaned, 80 tags before, 25 after", counts: true, opens: true },
            { tag: "error", status: FileListModel.Error, error: "The file is locked",
              name: "a.jpg, Failed, The file is locked", counts: false, opens: true },
        ]
    }
    function test_readsAsNameStatusAndCounts(data) {
        const row = createRow({ status: data.status, errorMessage: data.error })
        compare(row.Accessible.name, data.name)
        compare(row.Accessible.role, Accessible.ListItem)
        compare(row.Accessible.description, "/home/jane/Pictures/a.jpg")
        compare(findChild(row, "statusText").text, data.name.split(", ")[1])
        compare(findChild(row, "keyCounts").visible, data.counts)
        compare(findChild(row, "chevron").visible, data.opens)
        // Nothing spins while a file is cleaned: a run of thousands of rows
        // must not keep the window redrawing.
        verify(findChild(row, "statusSymbol").visible
               === (data.status !== FileListModel.Pending && data.status !== FileListModel.Stopped))
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
