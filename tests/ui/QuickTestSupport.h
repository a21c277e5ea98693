#pragma once

#include <FakeTool.h>
#include <FileListModel.h>
#include <TessalyViewModel.h>

#include <QDir>
#include <QTemporaryDir>

// What the QML tests get from C++: real models whose tool is a fake, files
// to add, and FileItems built on the spot.
class QuickTestSupport : public QObject
{
    Q_OBJECT

public:
    // A model whose tool answers every read with `answerJson` (an array of one
    // object) and strips without complaint; with `gated`, every run of it
    // waits for openGate(). Without `answerJson` there is no tool: every clean fails.
    Q_INVOKABLE TessalyViewModel *createModel(const QString &answerJson = {}, bool gated = false)
    {
        ModelOptions options;
        options.runTail = std::chrono::milliseconds(100);
        options.service.resourceDirectory = freshFolder();
        if (!answerJson.isEmpty()) {
            QFile answer(options.service.resourceDirectory + u"/answer.json"_qs);
            answer.open(QIODevice::WriteOnly);
            answer.write(answerJson.toUtf8());
            writeFakeTool(options.service.resourceDirectory,
                          (gated ? "while [ ! -e '" + QFile::encodeName(gate()) + "' ]; do sleep 0.05; done\n" : QByteArray())
                              + "[ \"$1\" != -all ] || cat '" + QFile::encodeName(answer.fileName()) + "'");
        }
        return new TessalyViewModel(options, this);
    }
    Q_INVOKABLE void openGate() { QFile(gate()).open(QIODevice::WriteOnly); }
    Q_INVOKABLE void closeGate() { QFile::remove(gate()); }

    // Lists a file as pending without scheduling a run, as a row can be in
    // the moment between a drop and the run that takes it on.
    Q_INVOKABLE void appendPending(TessalyViewModel *model, const QUrl &url) { model->fileList()->append({FileItem::fromUrl(url)}); }

    // An empty file of that name in a fresh folder.
    Q_INVOKABLE QUrl makeFile(const QString &name)
    {
        QFile file(QDir(freshFolder()).filePath(name));
        file.open(QIODevice::WriteOnly);
        return QUrl::fromLocalFile(file.fileName());
    }

    // A FileItem as the list's fileItem role holds it.
    Q_INVOKABLE QVariant fileItem(const QString &name, const QVariantMap &before, const QVariantMap &after,
                                  const QString &errorMessage = {})
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

private:
    QString gate() const { return m_dir.filePath(u"gate"_qs); }
    QString freshFolder()
    {
        const QString path = m_dir.filePath(QString::number(++m_folders));
        QDir().mkpath(path);
        return path;
    }

    QTemporaryDir m_dir;
    int m_folders = 0;
};
