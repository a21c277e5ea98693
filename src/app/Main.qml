import QtQuick
import QtQuick.Controls
import Tessaly.Ui

// The main window. The app hands it the one model; menus and further
// windows of the shell attach here.
ApplicationWindow {
    id: window

    required property TessalyViewModel viewModel

    width: 700
    height: 500
    minimumWidth: 700
    minimumHeight: 500
    visible: true
    // Transparent, so that ContentView's translucent fill shows the desktop.
    color: "transparent"

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

    ContentView {
        objectName: "contentView"
        anchors.fill: parent
        viewModel: window.viewModel
    }
}
