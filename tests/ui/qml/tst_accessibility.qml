import QtQuick
import QtQuick.Controls
import QtTest
import Tessaly.Ui
import Tessaly.Test

// What a screen reader finds in the window: every control and row has a
// role and a name of its own, and the counter and the progress are there.
TestCase {
    id: testCase

    name: "Accessibility"
    when: windowShown
    visible: true
    width: 700
    height: 500

    readonly property string answer: '[{"SourceFile":"x","Artist":"Jane Marker"}]'

    Component {
        id: viewComponent

        ContentView {
            width: 700
            height: 500
        }
    }

    // Visible items that a screen reader would list, with their role.
    function exposed(item, found) {
        if (!item.visible || item.Accessible.ignored)
            return found
        const role = item.Accessible.role
        if ([Accessible.Button, Accessible.ListItem, Accessible.List, Accessible.StaticText,
             Accessible.ProgressBar, Accessible.Heading].indexOf(role) >= 0)
            found.push({ role: role, name: item.Accessible.name, item: item })
        for (let i = 0; i < item.children.length; ++i)
            exposed(item.children[i], found)
        return found
    }

    function test_everyControlAndRowIsNamed_data() {
        return [ { tag: "empty", files: [] }, { tag: "two of one name", files: ["a/photo.jpg", "b/photo.jpg"] } ]
    }
    function test_everyControlAndRowIsNamed(data) {
        const model = TestSupport.createModel(answer)
        const view = createTemporaryObject(viewComponent, testCase, { viewModel: model })
        model.addFiles(data.files.map(f => TestSupport.makeFile(f.split("/")[1])))
        tryCompare(model, "doneCount", data.files.length)
        wait(300) // the rows' appearing animation
        const items = exposed(view, [])
        verify(items.length > 0)
        for (const entry of items)
            verify(entry.name !== "", "unnamed item of role " + entry.role)

        // Two rows of one name: their remove buttons differ by the path.
        const buttons = items.filter(e => e.role === Accessible.Button)
                             .map(e => e.name + "|" + e.item.Accessible.description)
        compare(new Set(buttons).size, buttons.length, "buttons share a name: " + buttons)
        const rows = items.filter(e => e.role === Accessible.ListItem)
        compare(rows.length, data.files.length)
        for (const row of rows) {
            compare(row.name, "photo.jpg, Cleaned, 1 tag before, 1 after")
            verify(row.item.Accessible.description.endsWith("/photo.jpg"))
        }
        if (rows.length === 2)
            verify(rows[0].item.Accessible.description !== rows[1].item.Accessible.description)
        if (data.files.length > 0) {
            const texts = items.filter(e => e.role === Accessible.StaticText).map(e => e.name)
            verify(texts.indexOf("2 files · 2 cleaned · 0 failed") >= 0, texts)
        }
    }
}
