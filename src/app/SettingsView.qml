import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Ui
import Tessaly.App

// An about panel (the version and whether the bundled exiftool is there,
// both looked up again each time the panel is shown) and what a clean does
// with the original file.
Pane {
    id: view

    required property SettingsInfo info
    required property Preferences preferences

    padding: 16
    implicitWidth: 460
    Component.onCompleted: info.refresh()

    background: Rectangle { color: Theme.window }

    ColumnLayout {
        anchors.fill: parent
        spacing: 16

        GroupBox {
            objectName: "aboutSection"
            title: qsTrId("about_section")
            Layout.fillWidth: true

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

                Label {
                    objectName: "sandboxText"
                    visible: text !== ""
                    text: view.info.sandboxNote
                    textFormat: Text.PlainText
                    color: Theme.red
                    wrapMode: Text.Wrap
                    Layout.columnSpan: 2
                    Layout.fillWidth: true
                }
            }
        }

        GroupBox {
            objectName: "cleaningSection"
            //% "When cleaning"
            title: qsTrId("when_cleaning")
            Layout.fillWidth: true

            ColumnLayout {
                anchors.fill: parent
                spacing: 4

                ButtonGroup { id: resultChoice }

                WrappingRadioButton {
                    objectName: "replaceOriginal"
                    //% "Replace the original"
                    text: qsTrId("replace_original")
                    ButtonGroup.group: resultChoice
                    checked: !view.preferences.keepOriginal
                    onToggled: if (checked) view.preferences.keepOriginal = false
                    focus: true
                    Layout.fillWidth: true
                }
                WrappingRadioButton {
                    objectName: "keepOriginal"
                    //% "Keep the original and save a cleaned copy beside it"
                    text: qsTrId("keep_original_copy")
                    ButtonGroup.group: resultChoice
                    checked: view.preferences.keepOriginal
                    onToggled: if (checked) view.preferences.keepOriginal = true
                    Layout.fillWidth: true
                }
                WrappingCheckBox {
                    objectName: "keepModificationDate"
                    //% "Keep the file's modification date"
                    text: qsTrId("keep_modification_date")
                    checked: view.preferences.keepModificationDate
                    onToggled: view.preferences.keepModificationDate = checked
                    Layout.topMargin: 8
                    Layout.fillWidth: true
                }
                WrappingCheckBox {
                    objectName: "reviewFirst"
                    //% "Show files before cleaning them"
                    text: qsTrId("review_first")
                    checked: view.preferences.reviewFirst
                    onToggled: view.preferences.reviewFirst = checked
                    Layout.fillWidth: true
                }
            }
        }

        RemovalChoicesView { preferences: view.preferences; Layout.fillWidth: true }
    }
}
