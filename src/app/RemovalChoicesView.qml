import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Ui
import Tessaly.App

// "What to remove": two presets, then a box per family of metadata, each
// saying where it can be kept at all. Checked means removed.
GroupBox {
    id: section

    required property Preferences preferences

    objectName: "removalSection"
    //% "What to remove"
    title: qsTrId("what_to_remove")

    ColumnLayout {
        anchors.fill: parent
        spacing: 4

        ColumnLayout {
            spacing: 0
            Layout.fillWidth: true

            WrappingRadioButton {
                objectName: "removeEverything"
                //% "Everything (recommended)"
                text: qsTrId("remove_everything")
                checked: section.preferences.keptFamilies.length === 0
                onToggled: if (checked) section.preferences.removeEverything()
                Layout.fillWidth: true
            }
            WrappingRadioButton {
                objectName: "removeOnlyLocation"
                //% "Only the location"
                text: qsTrId("remove_only_location")
                checked: section.preferences.keptFamilies.length === section.preferences.familyKeys().length - 1
                         && section.preferences.keptFamilies.indexOf("location") < 0
                onToggled: if (checked) section.preferences.removeOnlyLocation()
                Layout.fillWidth: true
            }
        }

        Repeater {
            model: section.preferences.familyKeys()
            delegate: ColumnLayout {
                id: family
                required property string modelData
                spacing: 0
                Layout.fillWidth: true

                WrappingCheckBox {
                    objectName: "remove_" + family.modelData
                    text: section.preferences.familyLabel(family.modelData)
                    checked: section.preferences.keptFamilies.indexOf(family.modelData) < 0
                    onToggled: section.preferences.setRemoves(family.modelData, checked)
                    Accessible.description: whereKept.text
                    Layout.fillWidth: true
                }
                Label {
                    id: whereKept
                    text: section.preferences.familyWhereKept(family.modelData)
                    textFormat: Text.PlainText
                    color: Theme.secondaryLabel
                    font.pixelSize: Theme.captionSize
                    wrapMode: Text.Wrap
                    leftPadding: 28
                    Layout.fillWidth: true
                }
            }
        }
    }
}
