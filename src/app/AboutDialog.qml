import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Ui
import Tessaly.App

// The Help menu's About: what the app is, its version and licence.
Dialog {
    id: dialog
    objectName: "aboutDialog"

    required property SettingsInfo info

    modal: true
    closePolicy: Popup.CloseOnEscape
    title: qsTrId("menu_about")
    onAboutToShow: info.refresh()
    onOpened: closeButton.forceActiveFocus()

    ColumnLayout {
        spacing: 8
        width: Math.min(implicitWidth, 380)

        Label {
            text: "Tessaly"
            font.pixelSize: Theme.title2Size
            font.bold: true
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        Label {
            objectName: "aboutVersion"
            //% "Version %1"
            text: qsTrId("about_version").arg(dialog.info.appVersion)
            textFormat: Text.PlainText
            color: Theme.secondaryLabel
        }
        Label {
            //% "Removes hidden metadata (GPS positions, serial numbers, author names, dates, edit history) from photos, raws, videos, audio, office documents, e-books, drawings and PDFs before you share them."
            text: qsTrId("about_summary")
            wrapMode: Text.Wrap
            Layout.fillWidth: true
            Layout.preferredWidth: 380
        }
        Label {
            //% "Free software under the GNU General Public License, version 3 or later."
            text: qsTrId("about_license")
            wrapMode: Text.Wrap
            color: Theme.secondaryLabel
            Layout.fillWidth: true
            Layout.preferredWidth: 380
        }
    }

    footer: DialogButtonBox {
        Button {
            id: closeButton
            objectName: "aboutCloseButton"
            //% "Close"
            text: qsTrId("about_close")
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
    }
}
