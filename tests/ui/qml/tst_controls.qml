import QtQuick
import QtQuick.Controls
import QtTest
import Tessaly.Ui

// The small controls every view uses: buttons that show their focus and
// take Return, menu items that show their shortcut and their state.
TestCase {
    id: testCase

    name: "Controls"
    when: windowShown
    visible: true
    width: 400
    height: 300

    Component {
        id: buttonComponent
        SymbolButton { text: "Add Files…"; symbol: "folder" }
    }

    Component {
        id: menuComponent

        Menu {
            SymbolMenuItem {
                action: Action { text: "Open Files…"; shortcut: "Ctrl+O" }
            }
            SymbolMenuItem {
                action: Action { text: "Clear List"; shortcut: "Ctrl+Backspace"; enabled: false }
            }
            SymbolMenuItem { text: "Reveal"; symbol: "folder" }
        }
    }

    SignalSpy {
        id: clickSpy
        signalName: "clicked"
    }

    function test_buttonTakesKeysAndShowsFocus_data() {
        return [ { tag: "Return", key: Qt.Key_Return }, { tag: "Enter", key: Qt.Key_Enter },
                 { tag: "Space", key: Qt.Key_Space } ]
    }
    function test_buttonTakesKeysAndShowsFocus(data) {
        const button = createTemporaryObject(buttonComponent, testCase)
        clickSpy.target = button
        clickSpy.clear()
        const ring = findChild(button, "focusRing")
        verify(ring)
        verify(!ring.visible)
        button.forceActiveFocus(Qt.TabFocusReason)
        verify(ring.visible)
        compare(button.Accessible.name, "Add Files…")
        keyClick(data.key)
        compare(clickSpy.count, 1)
    }

    function test_menuItemsShowShortcutsAndState() {
        const menu = createTemporaryObject(menuComponent, testCase)
        menu.open()
        tryCompare(menu, "opened", true)
        const hints = [0, 1, 2].map(i => findChild(menu.itemAt(i), "shortcutHint"))
        compare(hints.map(h => h.visible), [true, true, false])
        compare(hints[0].text, "Ctrl+O")
        compare(hints[1].text, "Ctrl+Backspace")
        verify(!menu.itemAt(1).enabled)
        verify(menu.itemAt(1).contentItem.opacity < 0.5)
        compare(menu.itemAt(0).contentItem.opacity, 1)
        menu.close()
    }
}
