#pragma once

#include "ModelTypes.h"

#include <AdditionChoices.h>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <chrono>

// What happens to the URLs of one drop or one picker selection. Folders are
// replaced by the supported files inside them (searched on a worker thread);
// when that brings in more than `confirmationLimit` files, they wait for the
// user's answer. Unsupported dropped files are counted and announced by a
// message that clears itself. Everything else goes to the model, which keeps
// the files it can clean.
class DropIntake : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(TessalyViewModel *viewModel READ viewModel WRITE setViewModel NOTIFY viewModelChanged)
    Q_PROPERTY(QString unsupportedMessage READ unsupportedMessage NOTIFY unsupportedMessageChanged)
    // How long a message stays, in milliseconds.
    Q_PROPERTY(int clearDelay READ clearDelay WRITE setClearDelay NOTIFY clearDelayChanged)
    // The question to ask before many files from folders are listed ("Add
    // 1,234 files from “Photos”?"); empty when nothing waits.
    Q_PROPERTY(QString confirmationText READ confirmationText NOTIFY confirmationTextChanged)
    // How many files the question is about.
    Q_PROPERTY(qint64 confirmationCount READ confirmationCount NOTIFY confirmationTextChanged)
    // Whether a folder is being searched.
    // Files found in folders beyond this many wait for confirmPending(); a
    // negative limit never asks.
    Q_PROPERTY(int confirmationLimit READ confirmationLimit WRITE setConfirmationLimit NOTIFY confirmationLimitChanged)

public:
    static constexpr std::chrono::milliseconds defaultClearDelay{2500};
    static constexpr int defaultConfirmationLimit = 1000;

    explicit DropIntake(QObject *parent = nullptr);

    TessalyViewModel *viewModel() const { return m_viewModel; }
    void setViewModel(TessalyViewModel *viewModel);
    QString unsupportedMessage() const { return m_unsupportedMessage; }
    int clearDelay() const { return m_clearDelay; }
    void setClearDelay(int milliseconds);
    QString confirmationText() const { return m_confirmationText; }
    qint64 confirmationCount() const { return m_confirmationCount; }
    int confirmationLimit() const { return m_confirmationLimit; }
    void setConfirmationLimit(int limit);

    // Dropped files whose lower-cased extension is no supported format, a
    // missing extension included. `folders` are not counted.
    static qint64 countUnsupported(const QList<QUrl> &urls);

    // The supported files under `folder`, at any depth, sorted by path the
    // way people read numbers ("IMG_2" before "IMG_10"). Hidden entries and
    // symbolic links are skipped, so the search never leaves the folder.
    static QStringList supportedFilesIn(const QString &folder);
    // The same as URLs, which keep names of any bytes; `folder` as the disk names it.
    static QList<QUrl> supportedFileUrlsIn(const QByteArray &folder);

    // `urls` in the order the drop delivered them; invalid entries (an item
    // that carried no URL) are left out. Without folders, addFiles is called
    // at once, even when none remains. Every drop with unsupported files
    // starts its own timer, and no later drop cancels an earlier one: an
    // earlier timer also clears a later drop's message.
    Q_INVOKABLE void handleDrop(const QList<QUrl> &urls);
    // The same for files and folders the user picked or named: nothing is
    // announced as unsupported.
    Q_INVOKABLE void addPicked(const QList<QUrl> &urls) { addPicked(urls, AdditionChoices{}); }
    // Named on a command line, with its --copy, --in-place or --review: see
    // TessalyViewModel::addFiles.
    void addPicked(const QList<QUrl> &urls, AdditionChoices choices);
    // Named on a command line or handed over by a later launch: as picked,
    // but a file of no supported kind (".jpg" too: a hidden file with no
    // extension) is announced, as in a drop, since nothing chose it for its kind.
    void addNamed(const QList<QUrl> &urls, AdditionChoices choices);

    // Lists the files that wait, or forgets them.
    Q_INVOKABLE void confirmPending();
    Q_INVOKABLE void cancelPending();

signals:
    void viewModelChanged();
    void unsupportedMessageChanged();
    void clearDelayChanged();
    void confirmationTextChanged();
    void confirmationLimitChanged();

private:
    void intake(const QList<QUrl> &urls, bool announceUnsupported, AdditionChoices choices);
    void expanded(const QList<QUrl> &urls, qint64 fromFolders, const QString &folderName, AdditionChoices choices);
    void setUnsupportedMessage(const QString &message);
    void setConfirmationText(const QString &text);
    void addToModel(const QList<QUrl> &urls, AdditionChoices choices);

    QPointer<TessalyViewModel> m_viewModel;
    QString m_unsupportedMessage;
    int m_clearDelay = int(defaultClearDelay.count());
    QString m_confirmationText;
    qint64 m_confirmationCount = 0;
    QList<QUrl> m_pending;
    AdditionChoices m_pendingChoices;
    int m_confirmationLimit = defaultConfirmationLimit;
};
