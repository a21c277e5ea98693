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

    ContentView {
        anchors.fill: parent
        viewModel: window.viewModel
    }
}
