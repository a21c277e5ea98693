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

    Component {
        id: progressComponent
        ProgressPanel { shown: true }
    }

    // A fast run moves the progress in large steps several times a second:
    // the bar and its percentage keep up with it instead of easing behind.
    function test_progressKeepsUpWithAFastRun() {
        const panel = createTemporaryObject(progressComponent, testCase)
        for (let step = 1; step <= 10; ++step) {
            panel.progress = step * 0.08
            wait(60)
        }
        verify(panel.shownPercentage >= 70, "shows " + panel.shownPercentage + "% of 80%")
        const fill = findChild(panel, "progressFill")
        verify(fill.width >= 0.7 * fill.parent.width, "fills " + fill.width + " of " + fill.parent.width)
        tryCompare(panel, "percentageText", "80%")
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
