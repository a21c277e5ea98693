#include "ToolRunner.h"

QFuture<void> ToolRunner::prepare(const QString &)
{
    return QtFuture::makeReadyFuture();
}
