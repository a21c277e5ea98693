#pragma once

#include <ControlledRunner.h>
#include <Fixtures.h>
#include <FakeTool.h>
#include <FileCleaner.h>
#include <FileListModel.h>
#include <Preferences.h>
#include <SettingsInfo.h>
#include <TessalyViewModel.h>
#include <ToolLocator.h>
#include <ToolRunner.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>

#include <memory>
#include <vector>

// What the QML tests get from C++: real models on a stand-in tool, files to
// add, and preferences in a settings file of their own.
class QuickTestSupport : public QObject
{
    Q_OBJECT

public:
    QuickTestSupport() { writeFakeTool(m_dir.filePath(u"tool"_qs), "exit 99"); } // found, never run
    ~QuickTestSupport() override
    {
        for (auto &runner : m_runners)
            runner->stopAll();
        m_pool.waitForDone();
    }

    // A model whose tool answers every read with `answerJson` (an array of one
    // object) and strips without complaint; with `afterJson`, reads after the
    // strip answer that instead. With `gated`, every run waits for
    // openGate(). Without `answerJson` every clean fails.
    Q_INVOKABLE TessalyViewModel *createModel(const QString &answerJson = {}, bool gated = false,
                                              const QString &afterJson = {})
    {
        m_runners.push_back(std::make_unique<ControlledRunner>(
            answerJson.toUtf8(), (afterJson.isEmpty() ? answerJson : afterJson).toUtf8()));
        if (gated)
            m_runners.back()->holdAll();
        m_cleaners.push_back(std::make_unique<FileCleaner>(ToolPaths::inFolder(m_dir.filePath(u"tool"_qs)),
                                                           *m_runners.back()));
        return new TessalyViewModel(*m_cleaners.back(), m_pool, ModelOptions{std::chrono::milliseconds(100)}, this);
    }
    Q_INVOKABLE void openGate()
    {
        for (auto &runner : m_runners)
            runner->releaseAll();
    }

    // A file of that name in `folder` (a URL): a plain picture for a JPEG or
    // PNG name, which the app cleans itself; an empty file otherwise.
    Q_INVOKABLE QUrl makeFileIn(const QUrl &folder, const QString &name)
    {
        const QString path = QDir(folder.toLocalFile()).filePath(name);
        const QString extension = QFileInfo(name).suffix().toLower();
        if (extension == u"jpg"_qs || extension == u"jpeg"_qs || extension == u"png"_qs) {
            Fixtures::writeImage(path, extension == u"png"_qs ? "PNG" : "JPEG");
        } else {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
        }
        return QUrl::fromLocalFile(path);
    }

    // Such a file in a fresh folder.
    Q_INVOKABLE QUrl makeFile(const QString &name)
    {
        return makeFileIn(QUrl::fromLocalFile(freshFolder()), name);
    }

    // Preferences kept in a settings file of their own, which `reopen`
    // reads again as the next launch would.
    Q_INVOKABLE Preferences *createPreferences(bool reopen = false)
    {
        const QString file = reopen && !m_settings.empty()
                                 ? m_settings.back()->fileName()
                                 : m_dir.filePath(u"settings%1.ini"_qs.arg(++m_folders));
        if (reopen && !m_settings.empty())
            m_settings.back()->sync();
        m_settings.push_back(std::make_unique<QSettings>(file, QSettings::IniFormat));
        return new Preferences(*m_settings.back(), this);
    }

    Q_INVOKABLE SettingsInfo *createSettingsInfo() { return new SettingsInfo(u"1.0"_qs, m_dir.path(), this); }

private:
    QString freshFolder()
    {
        const QString path = m_dir.filePath(QString::number(++m_folders));
        QDir().mkpath(path);
        return path;
    }

    QTemporaryDir m_dir;
    int m_folders = 0;
    QThreadPool m_pool;
    // Outlive the models and preferences made on them.
    std::vector<std::unique_ptr<ControlledRunner>> m_runners;
    std::vector<std::unique_ptr<FileCleaner>> m_cleaners;
    std::vector<std::unique_ptr<QSettings>> m_settings;
};
