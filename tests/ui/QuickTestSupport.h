#pragma once

#include <TessalyViewModel.h>

#include <QObject>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariant>

// What the QML tests get from C++: real models whose tool is a fake, files
// to add, and FileItems built on the spot.
class QuickTestSupport : public QObject
{
    Q_OBJECT

public:
    explicit QuickTestSupport(QObject *parent = nullptr);

    // A model whose tool answers every read with `answerJson` (a JSON array
    // of one object) and strips without complaint. With `gated`, every run
    // of the tool waits until openGate().
    Q_INVOKABLE TessalyViewModel *createModel(const QString &answerJson, bool gated = false);
    // A model whose tool is missing: every clean fails.
    Q_INVOKABLE TessalyViewModel *createModelWithoutTool();
    Q_INVOKABLE void openGate();
    // Lists a file as pending without scheduling a run, as a row can be in
    // the moment between a drop and the run that takes it on.
    Q_INVOKABLE void appendPending(TessalyViewModel *model, const QUrl &url);
    Q_INVOKABLE void closeGate();

    // An empty file of that name in a fresh folder.
    Q_INVOKABLE QUrl makeFile(const QString &name);

    // A FileItem as the list's fileItem role holds it.
    Q_INVOKABLE QVariant fileItem(const QString &name, const QVariantMap &before, const QVariantMap &after,
                                  const QString &errorMessage = {});

private:
    QString freshFolder();

    QTemporaryDir m_dir;
    int m_folders = 0;
};
