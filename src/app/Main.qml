import QtQuick
import QtQuick.Controls
import Tessaly.Ui
import Tessaly.App

// The main window, its menu commands and the settings window. The app hands
// it the one model and the objects that back the commands and settings.
ApplicationWindow {
    id: window

    required property TessalyViewModel viewModel
    required property AppCommands commands
    required property SettingsInfo settingsInfo

    width: 700
    height: 500 + (menuBar ? menuBar.implicitHeight : 0)
    minimumWidth: 700
    minimumHeight: 500 + (menuBar ? menuBar.implicitHeight : 0)
    visible: true
    title: "Tessaly"

    // The controls take the application palette, the one the views' own
    // colours follow; the style's built-in palette would stay light on a
    // dark desktop.
    SystemPalette {
        id: systemPalette
        colorGroup: SystemPalette.Active
    }
    palette.window: systemPalette.window
    palette.windowText: systemPalette.windowText
    palette.base: systemPalette.base
    palette.alternateBase: systemPalette.alternateBase
    palette.text: systemPalette.text
    palette.button: systemPalette.button
    palette.buttonText: systemPalette.buttonText
    palette.highlight: systemPalette.highlight
    palette.highlightedText: systemPalette.highlightedText
    palette.light: systemPalette.light
    palette.midlight: systemPalette.midlight
    palette.mid: systemPalette.mid
    palette.dark: systemPalette.dark
    palette.shadow: systemPalette.shadow
    palette.placeholderText: systemPalette.placeholderText

    menuBar: MenuBar {
        Menu {
            title: qsTrId("menu_file")
            MenuItem {
                objectName: "openFilesItem"
                action: Action {
                    text: qsTrId("open_files")
                    shortcut: "Ctrl+O"
                    onTriggered: window.commands.openFiles()
                }
            }
            MenuItem {
                objectName: "clearListItem"
                action: Action {
                    text: qsTrId("clear_list")
                    shortcut: "Ctrl+Backspace"
                    enabled: window.commands.clearListEnabled
                    onTriggered: window.commands.clearList()
                }
            }
            MenuSeparator { }
            MenuItem {
                action: Action {
                    text: qsTrId("settings")
                    shortcut: "Ctrl+,"
                    onTriggered: settingsWindow.active = true
                }
            }
            MenuItem {
                action: Action {
                    text: qsTrId("quit")
                    shortcut: StandardKey.Quit
                    onTriggered: Qt.quit()
                }
            }
        }
    }

    // Made when first asked for, so the main window stays the first window.
    Loader {
        id: settingsWindow
        active: false
        sourceComponent: Window {
            title: qsTrId("settings")
            width: 400
            height: 150
            minimumWidth: 400
            minimumHeight: 150
            maximumWidth: 400
            maximumHeight: 150
            color: palette.window
            transientParent: window
            visible: true
            onVisibleChanged: if (!visible) settingsWindow.active = false
            SettingsView {
                anchors.fill: parent
                info: window.settingsInfo
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
    }
}
