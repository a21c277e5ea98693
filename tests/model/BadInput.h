#pragma once

#include <FileCleaner.h>
#include <OneShotRunner.h>
#include <StayOpenRunner.h>
#include <StagingJournal.h>
#include <TessalyViewModel.h>
#include <ToolRunner.h>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QUrl>

#include <memory>
#include <optional>

// What the bad-input tests share: the cases, the pipeline main() makes for
// the window, and the helpers that make and check the situations.
struct BadInput
{
    struct Case
    {
        QString name;
        QString path;
        QByteArray bytes;   // as made, to tell "untouched" from "cleaned"
        bool mustClean;     // false: an error is the right outcome (or a clean, if the tool manages)
        QString message;    // in the row's error
        bool listed;        // added to the list, or only lying beside what was
    };

    // What main() makes for the window: a pool, a runner and a cleaner over them.
    struct Pipeline
    {
        explicit Pipeline(bool persistent, const StagingJournal *journal = nullptr)
            : runner(persistent ? std::unique_ptr<ToolRunner>(new StayOpenRunner(StayOpenRunner::Options{2, 1000, qint64(512) << 20}))
                                : std::unique_ptr<ToolRunner>(new OneShotRunner))
            , cleaner(ToolPaths::installed(), *runner, {}, journal)
        {
            pool.setMaxThreadCount(2);
        }
        QThreadPool pool;
        std::unique_ptr<ToolRunner> runner;
        FileCleaner cleaner;
    };

    // Every name under `directory`, hidden ones included, sorted.
    static QStringList entries(const QString &directory);

    static const FileItem *itemFor(const TessalyViewModel &model, const QString &path);

    static bool marked(const QByteArray &bytes);

    static bool stagedFolderIn(const QString &directory);

    // Large enough that cleaning it takes a while, marked with the fixtures' author.
    static void makeBigFile(const QString &path);

    // An ext4 image of `megabytes` mounted at <root>/disk, or why there is none.
    static QString mountSmallDisk(const QString &root, int megabytes);

    // Cleans `path` as `user` in a process of its own (this program, told so
    // by its environment) and returns the row's message.
    static QString cleanAs(const QString &user, const QString &path, bool keepOriginal);

    static void groupTheUserIsNotIn(const QString &root);

    static QString messageOf(const FileItem *item);

    static void runToTheEnd(TessalyViewModel &model, const QList<QUrl> &urls);

    // First in the tests' main(). As root, runs the program again without
    // the powers that override permissions, so that the permission cases
    // mean something. A run told so by its environment cleans one file as
    // another user (cleanAs) and ends: its exit code.
    static std::optional<int> prepareProcess(int argc, char *argv[]);
};
