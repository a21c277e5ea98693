#include "ToolRunner.h"

#include "OneShotRunner.h"

std::shared_ptr<ToolRunner> ToolRunner::shared()
{
    static const std::shared_ptr<ToolRunner> runner = std::make_shared<OneShotRunner>();
    return runner;
}
