#include "ToolRunner.h"

QFuture<void> ToolRunner::prepare(const QString &)
{
    return QtFuture::makeReadyFuture();
}

QFuture<void> ToolRunner::prepareFor(const QString &, const SandboxGrant &)
{
    return QtFuture::makeReadyFuture();
}
