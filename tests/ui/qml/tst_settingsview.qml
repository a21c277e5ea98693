import QtQuick
import QtQuick.Controls
import QtTest
import Tessaly.Ui
import Tessaly.App
import Tessaly.Test

// The settings panel writes the user's choices through and shows them again
// on the next launch.
TestCase {
    id: testCase

    name: "SettingsView"
    when: windowShown
    visible: true
    width: 500
    height: 400

    Component {
        id: viewComponent

        SettingsView { }
    }

    readonly property SettingsInfo info: TestSupport.createSettingsInfo()

    function createView(preferences) {
        const view = createTemporaryObject(viewComponent, testCase, { info: info, preferences: preferences })
        verify(view)
        return view
    }

    // By default the file is replaced and its date not kept.
    function test_choicesRoundTrip() {
        const preferences = TestSupport.createPreferences()
        const view = createView(preferences)
        const keep = findChild(view, "keepOriginal")
        const replace = findChild(view, "replaceOriginal")
        const date = findChild(view, "keepModificationDate")
        verify(replace.checked && !keep.checked && !date.checked)

        mouseClick(keep)
        verify(preferences.keepOriginal)
        verify(!replace.checked)
        mouseClick(date)
        verify(preferences.keepModificationDate)

        // The next launch reads them back.
        const again = createView(TestSupport.createPreferences(true))
        verify(findChild(again, "keepOriginal").checked)
        verify(findChild(again, "keepModificationDate").checked)

        // A change made elsewhere shows in the view, and back by keyboard.
        preferences.keepOriginal = false
        verify(replace.checked)
        date.forceActiveFocus()
        keyClick(Qt.Key_Space)
        verify(!preferences.keepModificationDate)
    }

    // Reached by Tab, each choice shows the ring the other controls show.
    function test_choicesShowTheFocusRing() {
        const view = createView(TestSupport.createPreferences())
        for (const name of ["replaceOriginal", "keepOriginal", "keepModificationDate", "reviewFirst"]) {
            const choice = findChild(view, name)
            choice.forceActiveFocus(Qt.TabFocusReason)
            verify(findChild(choice, "focusRing").visible, name)
        }
    }

    // What to remove: every box checked by default; the presets and the
    // boxes set each other, by keyboard, and the choice is stored.
    function test_whatToRemove() {
        const preferences = TestSupport.createPreferences()
        const view = createView(preferences)
        const keys = preferences.familyKeys()
        compare(keys.length, 9)
        for (const key of keys)
            verify(findChild(view, "remove_" + key).checked, key)
        verify(findChild(view, "removeEverything").checked)

        findChild(view, "removeOnlyLocation").forceActiveFocus()
        keyClick(Qt.Key_Space)
        compare(preferences.keptFamilies.length, 8)
        verify(findChild(view, "remove_location").checked)
        verify(!findChild(view, "remove_dates").checked)
        verify(!findChild(view, "removeEverything").checked)

        findChild(view, "remove_location").forceActiveFocus()
        keyClick(Qt.Key_Space)
        compare(preferences.keptFamilies.length, 9)
        verify(!findChild(view, "removeOnlyLocation").checked)
        compare(TestSupport.createPreferences(true).keptFamilies.length, 9)

        findChild(view, "removeEverything").forceActiveFocus()
        keyClick(Qt.Key_Space)
        compare(preferences.keptFamilies, [])
        verify(findChild(view, "remove_serials").checked)
    }
}
