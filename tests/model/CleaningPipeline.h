#pragma once

#include <FileCleaner.h>
#include <OneShotRunner.h>
#include <StayOpenRunner.h>

#include <QThreadPool>

#include <memory>

// What main() makes for the window: a pool, a runner and a cleaner over them.
class CleaningPipeline
{
public:
    explicit CleaningPipeline(bool persistent, const StagingJournal *journal = nullptr)
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
