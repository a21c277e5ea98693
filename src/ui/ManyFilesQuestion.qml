import QtQuick
import QtQuick.Controls
import Tessaly.Ui

// The question before many files from folders are listed: it names what
// will happen to them, its buttons are verbs, and the first takes Return.
Dialog {
    id: confirmation

    // The window's own intake (drops, the picker) and those of files
    // named outside it (a command line, a file manager).
    required property DropIntake intake
    property var otherIntakes: []

    // The intake whose question shows: the window's own first.
    property DropIntake asking: null
    property string question
    function refresh() {
        let found = confirmation.intake.confirmationText !== "" ? confirmation.intake : null
        for (let k = 0; !found && k < confirmation.otherIntakes.length; ++k) {
            if (confirmation.otherIntakes[k] && confirmation.otherIntakes[k].confirmationText !== "")
                found = confirmation.otherIntakes[k]
        }
        asking = found
        question = found ? found.confirmationText : ""
    }

    Connections {
        target: confirmation.intake
        function onConfirmationTextChanged() { confirmation.refresh() }
    }
    Instantiator {
        model: confirmation.otherIntakes
        delegate: Connections {
            required property QtObject modelData
            target: modelData
            function onConfirmationTextChanged() { confirmation.refresh() }
        }
    }

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(implicitWidth, parent ? parent.width - 48 : implicitWidth)
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    onQuestionChanged: question !== "" ? open() : close()
    //% "Clean Many Files?"
    title: qsTrId("confirm_clean_title")

    Label {
        objectName: "confirmationText"
        text: confirmation.question
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        width: Math.min(implicitWidth, 420)
    }

    // Verbs, and the first takes Return.
    footer: DialogButtonBox {
        Button {
            id: confirmButton
            objectName: "confirmCleanButton"
            text: confirmation.asking ? qsTrId("clean_ready", confirmation.asking.confirmationCount) : ""
            DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
        Button {
            objectName: "confirmCancelButton"
            //% "Cancel"
            text: qsTrId("cancel")
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
        }
    }

    // The intake is fixed when the question opens: answering one question
    // may bring up the next, of another intake.
    property DropIntake answering: null
    onAccepted: if (answering) answering.confirmPending()
    // Escape, Cancel and anything else that closes it without an answer.
    onClosed: {
        const answered = answering
        answering = null
        if (answered && answered.confirmationText !== "")
            answered.cancelPending()
        if (question !== "")
            Qt.callLater(() => { if (question !== "") open() })
    }
    onAboutToShow: answering = asking
    onOpened: confirmButton.forceActiveFocus()
}
