import QtQuick
import QtQuick.Controls
import QtQuick.Window
import Tessaly.Ui
import Tessaly.App

// The main window, its menu commands and the settings window. The app hands
// it the one model and the objects that back the commands and settings.
ApplicationWindow {
    id: window

    required property TessalyViewModel viewModel
    required property AppCommands commands
    required property SettingsInfo settingsInfo
    required property Preferences preferences
    // Where files named outside the window arrive; set by the app.
    property DropIntake intake: null

    readonly property alias settingsWindow: settingsLoader.item

    // At scale 2 a 1366×768 screen offers 683×384: neither the minimum nor
    // the first size may ask for more than the screen, less its panels.
    minimumWidth: Math.min(560, Screen.desktopAvailableWidth - 40)
    minimumHeight: Math.min(420, Screen.desktopAvailableHeight - 60)
    width: Math.min(700, Screen.desktopAvailableWidth - 40)
    height: Math.min(500 + (menuBar ? menuBar.implicitHeight : 0), Screen.desktopAvailableHeight - 60)
    visible: true
    title: "Tessaly"

    // The app makes the window see-through only where a compositor blends
    // it; the views' fills follow.
    Binding {
        target: Theme
        property: "translucent"
        value: window.color.a < 1
    }

    // The controls take Theme's palette, the one the views' own colours
    // follow: the style's built-in palette would stay light on a dark
    // desktop, and the desktop's own stays light where only its portal asks
    // for dark. Disabled text has its own group, so that disabled menu items
    // look disabled.
    palette.window: Theme.window
    palette.windowText: Theme.windowText
    palette.base: Theme.base
    palette.alternateBase: Theme.alternateBase
    palette.text: Theme.text
    palette.button: Theme.button
    palette.buttonText: Theme.buttonText
    palette.highlight: Theme.highlight
    palette.highlightedText: Theme.highlightedText
    palette.light: Theme.lightShade
    palette.midlight: Theme.midlightShade
    palette.mid: Theme.midShade
    palette.dark: Theme.darkShade
    palette.shadow: Theme.shadowShade
    palette.placeholderText: Theme.placeholderText
    palette.toolTipBase: Theme.base
    palette.toolTipText: Theme.text
    palette.disabled.windowText: Theme.disabledText
    palette.disabled.text: Theme.disabledText
    palette.disabled.buttonText: Theme.disabledText

    function openSettings() {
        settingsLoader.active = true
        settingsLoader.item.raise()
        settingsLoader.item.requestActivate()
    }

    menuBar: MenuBar {
        id: mainMenuBar

        Accessible.role: Accessible.MenuBar
        //% "Main menu"
        Accessible.name: qsTrId("a11y_menu_bar")

        // A menu's title is an item of the bar (AccessibleItem), named
        // without its "&".
        delegate: MenuBarItem {
            Accessible.name: text.replace("&", "")
        }

        Menu {
            id: fileMenu
            objectName: "fileMenu"
            // Alt+F (Alt and the title's first letter in any language).
            title: "&" + qsTrId("menu_file")
            // Opened from the keyboard, the first command is highlighted, as
            // elsewhere on the desktop; a click leaves the choice to the pointer.
            onOpened: {
                const title = mainMenuBar.itemAt(0)
                if (currentIndex < 0 && !(title && title.hovered))
                    currentIndex = 0
            }

            SymbolMenuItem {
                objectName: "openFilesItem"
                // The same command, under the same name, as the button.
                action: Action {
                    text: qsTrId("file_picker_button")
                    shortcut: "Ctrl+O"
                    onTriggered: window.commands.openFiles()
                }
            }
            SymbolMenuItem {
                objectName: "stopItem"
                action: Action {
                    text: qsTrId("stop")
                    shortcut: "Escape"
                    enabled: window.commands.stopEnabled
                    onTriggered: window.commands.stop()
                }
            }
            SymbolMenuItem {
                objectName: "clearListItem"
                action: Action {
                    text: qsTrId("clear_list")
                    shortcut: "Ctrl+Backspace"
                    enabled: window.commands.clearListEnabled
                    onTriggered: window.commands.clearList()
                }
            }
            MenuSeparator { }
            SymbolMenuItem {
                objectName: "settingsItem"
                action: Action {
                    text: qsTrId("settings")
                    shortcut: "Ctrl+,"
                    onTriggered: window.openSettings()
                }
            }
            SymbolMenuItem {
                objectName: "quitItem"
                action: Action {
                    text: qsTrId("quit")
                    shortcut: StandardKey.Quit
                    onTriggered: window.close()
                }
            }
        }
        Menu {
            id: helpMenu
            objectName: "helpMenu"
            //% "Help"
            title: "&" + qsTrId("menu_help")
            onOpened: {
                const title = mainMenuBar.itemAt(1)
                if (currentIndex < 0 && !(title && title.hovered))
                    currentIndex = 0
            }

            SymbolMenuItem {
                objectName: "manualItem"
                action: Action {
                    //% "Manual"
                    text: qsTrId("menu_manual")
                    shortcut: "F1"
                    onTriggered: window.openManual()
                }
            }
            SymbolMenuItem {
                objectName: "aboutItem"
                action: Action {
                    //% "About Tessaly"
                    text: qsTrId("menu_about")
                    onTriggered: aboutDialog.open()
                }
            }
        }
    }

    // The manual page, through the desktop's help viewer (GNOME's Yelp and
    // KDE's help centre read man: addresses).
    function openManual() {
        Qt.openUrlExternally("man:tessaly(1)")
    }

    AboutDialog {
        id: aboutDialog
        parent: Overlay.overlay
        anchors.centerIn: parent
        width: Math.min(implicitWidth, window.width - 48)
        info: window.settingsInfo
    }

    // Closing while files wait or are being cleaned asks first. Either way
    // nothing is lost: a file is cleaned in full or left as it was.
    property bool quitConfirmed: false
    onClosing: (close) => {
        if (quitConfirmed || viewModel.unfinishedCount === 0)
            return
        close.accepted = false
        quitQuestion.open()
    }

    Dialog {
        id: quitQuestion
        objectName: "quitQuestion"

        parent: Overlay.overlay
        anchors.centerIn: parent
        contentWidth: Math.min(quitText.implicitWidth, 420)
        width: Math.min(implicitWidth, window.width - 48)
        modal: true
        closePolicy: Popup.CloseOnEscape
        //% "Quit while cleaning?"
        title: qsTrId("quit_question_title")

        Label {
            id: quitText
            objectName: "quitQuestionText"
            //% "%Ln files are not cleaned yet. They stay as they are; a file being cleaned is finished or left as it was."
            text: qsTrId("quit_question", window.viewModel.unfinishedCount)
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            width: parent.width
        }

        footer: DialogButtonBox {
            Button {
                id: quitButton
                objectName: "quitButton"
                //% "Stop and Quit"
                text: qsTrId("quit_stop")
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
            }
            Button {
                objectName: "keepCleaningButton"
                //% "Keep Cleaning"
                text: qsTrId("keep_cleaning")
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            }
        }
        onOpened: quitButton.forceActiveFocus()
        onAccepted: {
            window.quitConfirmed = true
            window.viewModel.stop()
            Qt.quit()
        }
    }

    // F10 opens the menu bar's first menu, as in other desktop apps.
    Shortcut {
        sequence: "F10"
        onActivated: {
            const item = mainMenuBar.itemAt(0)
            if (item && !fileMenu.visible)
                item.triggered()
        }
    }

    // Made when first asked for, so the main window stays the first window.
    Loader {
        id: settingsLoader
        active: false
        sourceComponent: ApplicationWindow {
            id: settings
            objectName: "settingsWindow"

            //% "Settings"
            title: qsTrId("settings_window_title")
            width: settingsView.implicitWidth
            height: settingsView.implicitHeight
            minimumWidth: settingsView.implicitWidth
            minimumHeight: settingsView.implicitHeight
            // The main window's palette, so that Settings is as dark.
            palette: window.palette
            color: Theme.window
            transientParent: window
            visible: true
            // Without a window manager nobody hands the keyboard back.
            onVisibleChanged: if (!visible) {
                settingsLoader.active = false
                window.requestActivate()
            }

            Shortcut {
                sequences: ["Escape", "Ctrl+W"]
                context: Qt.WindowShortcut
                onActivated: settings.close()
            }

            SettingsView {
                id: settingsView
                anchors.fill: parent
                info: window.settingsInfo
                preferences: window.preferences
                focus: true
            }
        }
    }

    Connections {
        target: window.commands
        function onFilePickerRequested() { contentView.openFilePicker() }
    }

    ContentView {
        id: contentView
        objectName: "contentView"
        anchors.fill: parent
        viewModel: window.viewModel
        savesCopies: window.preferences.keepOriginal
        otherIntakes: window.intake ? [window.intake] : []
    }

    // While the cleans leave something in the files, the window says what.
    Label {
        objectName: "keepingNote"
        visible: text !== ""
        Accessible.ignored: !visible
        Accessible.name: text
        text: window.preferences.keepingNote
        textFormat: Text.PlainText
        color: Theme.secondaryLabel
        font.pixelSize: Theme.captionSize
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 8
        z: 2
    }

    // Said once as the app starts when tools cannot run sandboxed; Settings
    // keeps saying it.
    MessageBanner {
        objectName: "sandboxNotice"
        message: window.settingsInfo.startNotice
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: parent.top
        anchors.topMargin: 12
        z: 2
        onShownChanged: if (shown) sandboxNoticeTimer.restart()
        Timer {
            id: sandboxNoticeTimer
            interval: 12000
            onTriggered: window.settingsInfo.dismissStartNotice()
        }
    }
}
