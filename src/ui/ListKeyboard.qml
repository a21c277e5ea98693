import QtQuick

// What the file list does for the keyboard beyond the arrow keys: the
// focused row kept in view, also as it opens; PageUp and PageDown scroll by
// a page, so that a long log can be read, and the focus goes to a row still
// in view, at either end to the first or last row; Home and End go to those
// too.
QtObject {
    id: keyboard

    required property ListView list
    property bool paging: false

    // The focused row in view, its top first when it is taller than the list.
    function revealCurrent() {
        if (list.currentIndex >= 0)
            list.positionViewAtIndex(list.currentIndex, ListView.Contain)
    }

    function scrollByPage(direction) {
        const top = list.originY - list.topMargin
        const bottom = Math.max(top, list.originY + list.contentHeight + list.bottomMargin - list.height)
        const target = Math.max(top, Math.min(bottom, list.contentY + direction * (list.height - 40)))
        if (Math.abs(target - list.contentY) < 1) {
            list.currentIndex = direction > 0 ? list.count - 1 : 0
            return
        }
        list.contentY = target
        const current = list.currentItem
        if (current && current.y + current.height > list.contentY && current.y < list.contentY + list.height)
            return
        const probe = direction > 0 ? list.contentY + 1 : list.contentY + list.height - 1
        let index = list.indexAt(list.width / 2, probe)
        if (index < 0)
            index = list.indexAt(list.width / 2, probe + direction * list.spacing)
        if (index < 0)
            return
        paging = true
        list.currentIndex = index
        paging = false
    }

    // Whether `event` was one of these keys, and handled.
    function handleKey(event) {
        if (list.count === 0)
            return false
        if (event.key === Qt.Key_PageDown)
            scrollByPage(1)
        else if (event.key === Qt.Key_PageUp)
            scrollByPage(-1)
        else if (event.key === Qt.Key_Home)
            list.currentIndex = 0
        else if (event.key === Qt.Key_End)
            list.currentIndex = list.count - 1
        else
            return false
        return true
    }

    readonly property Connections currentRow: Connections {
        target: keyboard.list.currentItem
        ignoreUnknownSignals: true
        // An opening row grows after the focus came to it.
        function onHeightChanged() {
            if (!keyboard.paging && keyboard.list.currentItem.activeFocus)
                Qt.callLater(keyboard.revealCurrent)
        }
    }
    readonly property Connections current: Connections {
        target: keyboard.list
        function onCurrentIndexChanged() {
            if (!keyboard.paging)
                keyboard.revealCurrent()
        }
    }
}
