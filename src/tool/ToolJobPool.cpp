#include "ToolJobPool.h"

#include <QThread>
#include <QThreadPool>

#include <algorithm>

QThreadPool *toolJobPool()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 2, 8));
        return p;
    }();
    return pool;
}
