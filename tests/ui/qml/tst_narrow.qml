import QtQuick
import QtQuick.Controls
import QtTest
import Tessaly.Ui
import Tessaly.App
import Tessaly.Test

// Narrower than the narrowest window, so that English texts need what German
// ones need at 560 px: nothing is cut or pushed past the edge.
TestCase {
    id: testCase

    name: "Narrow"
    when: windowShown
    visible: true
    width: 380
    height: 400

    Component {
        id: contentComponent
        ContentView {
            width: 380
            height: 400
        }
    }
    Component {
        id: settingsComponent
        SettingsView {
            width: 300
        }
    }

    // Every Text under `item` that is shown.
    function texts(item) {
        let found = []
        for (let i = 0; i < item.children.length; ++i) {
            const child = item.children[i]
            if (!child.visible)
                continue
            if (child instanceof Text)
                found.push(child)
            found = found.concat(texts(child))
        }
        return found
    }

    function rightEdge(item, within) {
        return item.mapToItem(within, item.width, 0).x
    }

    // The counter takes a line of its own under the buttons; the buttons and
    // the rows' remove buttons stay inside.
    function test_listHeaderAndRowsReflow() {
        const model = TestSupport.createModel('[{"SourceFile":"x","IFD0:Artist":"Jane Marker"}]', false,
                                              '[{"SourceFile":"x","File:ImageWidth":64}]')
        const view = createTemporaryObject(contentComponent, testCase, { viewModel: model })
        model.addFiles([TestSupport.makeFile("a.jpg"), TestSupport.makeFile("b.jpg"), TestSupport.makeFile("c.jpg")])
        tryCompare(model, "doneCount", 3)
        const bar = findChild(view, "inlineControlsBar")
        const counter = findChild(view, "counter")
        const add = findChild(view, "addButton")
        tryVerify(() => !bar.counterFits)
        tryVerify(() => counter.mapToItem(view, 0, 0).y >= add.mapToItem(view, 0, add.height).y, 1000, "counter beside the buttons")
        verify(!counter.truncated, counter.text)
        verify(rightEdge(add, view) <= view.width - 16 + 0.5, rightEdge(add, view))

        const list = findChild(view, "fileListView")
        verify(list.width <= view.width)
        const row = list.itemAtIndex(0)
        verify(row)
        verify(rightEdge(findChild(row, "removeButton"), row) <= row.width, rightEdge(findChild(row, "removeButton"), row))
    }

    // Settings' long choices wrap onto more lines instead of being cut.
    function test_settingsTextsWrap() {
        const view = createTemporaryObject(settingsComponent, testCase, { info: TestSupport.createSettingsInfo(),
                                                                          preferences: TestSupport.createPreferences() })
        verify(view)
        const keep = findChild(view, "keepOriginal")
        tryVerify(() => keep.contentItem.lineCount > 1)
        for (const text of texts(view)) {
            verify(!text.truncated, text.text)
            verify(rightEdge(text, view) <= view.width + 0.5, text.text + " ends at " + rightEdge(text, view))
        }
    }
}
