#include "QuickTestSupport.h"

#include <FakeTool.h>
#include <FileListModel.h>

#include <QDir>
#include <QFile>

QuickTestSupport::QuickTestSupport(QObject *parent)
    : QObject(parent)
{
}

QString QuickTestSupport::freshFolder()
{
    const QString path = m_dir.filePath(QString::number(++m_folders));
    QDir().mkpath(path);
    return path;
}

TessalyViewModel *QuickTestSupport::createModel(const QString &answerJson, bool gated)
{
    const QString folder = freshFolder();
    const QString answering = writeFakeToolAnswering(folder + u"/answering"_qs, answerJson.toUtf8());
    ModelOptions options;
    options.runTail = std::chrono::milliseconds(100);
    options.service.resourceDirectory = folder + u"/answering"_qs;
    if (gated) {
        const QByteArray gate = QFile::encodeName(m_dir.filePath(u"gate"_qs));
        writeFakeTool(folder + u"/gated"_qs,
                      "while [ ! -e '" + gate + "' ]; do sleep 0.05; done\n"
                      "exec '" + QFile::encodeName(answering) + "' \"$@\"");
        options.service.resourceDirectory = folder + u"/gated"_qs;
    }
    return new TessalyViewModel(options, this);
}

TessalyViewModel *QuickTestSupport::createModelWithoutTool()
{
    ModelOptions options;
    options.runTail = std::chrono::milliseconds(100);
    options.service.resourceDirectory = freshFolder();
    return new TessalyViewModel(options, this);
}

void QuickTestSupport::appendPending(TessalyViewModel *model, const QUrl &url)
{
    model->fileList()->append({FileItem::fromUrl(url)});
}

void QuickTestSupport::openGate()
{
    QFile gate(m_dir.filePath(u"gate"_qs));
    gate.open(QIODevice::WriteOnly);
}

void QuickTestSupport::closeGate()
{
    QFile::remove(m_dir.filePath(u"gate"_qs));
}

QUrl QuickTestSupport::makeFile(const QString &name)
{
    const QString path = QDir(freshFolder()).filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return QUrl::fromLocalFile(path);
}

QVariant QuickTestSupport::fileItem(const QString &name, const QVariantMap &before, const QVariantMap &after,
                                    const QString &errorMessage)
{
    FileItem item = FileItem::fromUrl(QUrl::fromLocalFile(m_dir.filePath(name)));
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        item.metadataBefore.insert(it.key(), it.value().toString());
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        item.metadataAfter.insert(it.key(), it.value().toString());
    if (!errorMessage.isEmpty())
        item.errorMessage = errorMessage;
    return QVariant::fromValue(item);
}
