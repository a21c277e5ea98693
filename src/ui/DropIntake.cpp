#include "DropIntake.h"

#include "UiTexts.h"

#include <FileItem.h>
#include <SupportedFormat.h>

#include <QTimer>

DropIntake::DropIntake(QObject *parent)
    : QObject(parent)
{
}

void DropIntake::setViewModel(TessalyViewModel *viewModel)
{
    if (m_viewModel == viewModel)
        return;
    m_viewModel = viewModel;
    emit viewModelChanged();
}

void DropIntake::setClearDelay(int milliseconds)
{
    if (m_clearDelay == milliseconds)
        return;
    m_clearDelay = milliseconds;
    emit clearDelayChanged();
}

qint64 DropIntake::countUnsupported(const QList<QUrl> &urls)
{
    qint64 count = 0;
    for (const QUrl &url : urls) {
        if (!parseSupportedFormat(lowerCasePathExtension(url)))
            ++count;
    }
    return count;
}

void DropIntake::handleDrop(const QList<QUrl> &urls)
{
    QList<QUrl> dropped;
    dropped.reserve(urls.size());
    for (const QUrl &url : urls) {
        if (url.isValid() && !url.isEmpty())
            dropped.append(url);
    }

    const qint64 unsupported = countUnsupported(dropped);
    if (unsupported > 0) {
        setUnsupportedMessage(UiTexts::unsupportedMessage(unsupported));
        QTimer::singleShot(m_clearDelay, Qt::PreciseTimer, this, [this] { setUnsupportedMessage({}); });
    }

    if (m_viewModel)
        m_viewModel->addFiles(dropped);
}

void DropIntake::setUnsupportedMessage(const QString &message)
{
    if (m_unsupportedMessage == message)
        return;
    m_unsupportedMessage = message;
    emit unsupportedMessageChanged();
}
