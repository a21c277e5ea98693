#pragma once

#include "ModelTypes.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <chrono>

// What happens to the URLs of one drop: the unsupported ones are counted
// and announced by a message that clears itself, and all of them go to the
// model, which keeps the ones it can clean.
class DropIntake : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(TessalyViewModel *viewModel READ viewModel WRITE setViewModel NOTIFY viewModelChanged)
    Q_PROPERTY(QString unsupportedMessage READ unsupportedMessage NOTIFY unsupportedMessageChanged)
    // How long a message stays, in milliseconds.
    Q_PROPERTY(int clearDelay READ clearDelay WRITE setClearDelay NOTIFY clearDelayChanged)

public:
    static constexpr std::chrono::milliseconds defaultClearDelay{2500};

    explicit DropIntake(QObject *parent = nullptr);

    TessalyViewModel *viewModel() const { return m_viewModel; }
    void setViewModel(TessalyViewModel *viewModel);
    QString unsupportedMessage() const { return m_unsupportedMessage; }
    int clearDelay() const { return m_clearDelay; }
    void setClearDelay(int milliseconds);

    // URLs whose lower-cased extension is no supported format, a missing
    // extension included (a dropped folder usually has none).
    static qint64 countUnsupported(const QList<QUrl> &urls);

    // `urls` in the order the drop delivered them; invalid entries (an item
    // that carried no URL) are left out. addFiles is called even when none
    // remains. Every drop with unsupported files starts its own timer, and
    // no later drop cancels an earlier one: an earlier timer also clears a
    // later drop's message.
    Q_INVOKABLE void handleDrop(const QList<QUrl> &urls);

signals:
    void viewModelChanged();
    void unsupportedMessageChanged();
    void clearDelayChanged();

private:
    void setUnsupportedMessage(const QString &message);

    QPointer<TessalyViewModel> m_viewModel;
    QString m_unsupportedMessage;
    int m_clearDelay = int(defaultClearDelay.count());
};
