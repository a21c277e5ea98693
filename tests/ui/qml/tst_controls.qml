import QtQuick
import QtTest
import Tessaly.Ui

// The buttons every view uses show their focus and take Return, Enter and
// Space.
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
}
