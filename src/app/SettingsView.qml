import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Ui
import Tessaly.App

// An about panel: the version and whether the bundled exiftool is there.
// Both are looked up again each time the panel is shown.
Item {
    id: view

    required property SettingsInfo info

    implicitWidth: 400
    implicitHeight: 150
    Component.onCompleted: info.refresh()

    GroupBox {
        objectName: "aboutSection"
        title: qsTrId("about_section")
        anchors.centerIn: parent
        width: parent.width - 32

        GridLayout {
            anchors.fill: parent
            columns: 2
            columnSpacing: 16
            rowSpacing: 8

            Label {
                text: qsTrId("app_version")
                color: Theme.secondaryLabel
            }
            Label {
                objectName: "versionText"
                text: view.info.appVersion
                textFormat: Text.PlainText
                Layout.alignment: Qt.AlignRight
            }

            Label {
                text: qsTrId("exiftool_status")
                color: Theme.secondaryLabel
            }
            RowLayout {
                spacing: 4
                Layout.alignment: Qt.AlignRight
                TintedIcon {
                    objectName: "statusIcon"
                    symbol: view.info.exiftoolAvailable ? "checkmark.circle.fill" : "xmark.circle.fill"
                    color: view.info.exiftoolAvailable ? Theme.green : Theme.red
                    Accessible.ignored: true
                    implicitWidth: 14
                    implicitHeight: 14
                }
                Label {
                    objectName: "statusText"
                    text: view.info.exiftoolAvailable ? qsTrId("exiftool_found") : qsTrId("exiftool_missing")
                    textFormat: Text.PlainText
                }
            }
        }
    }
}
