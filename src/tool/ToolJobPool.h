#pragma once

class QThreadPool;

// The worker threads on which the tool runs. Bounded to about the number of
// cores: every job blocks its thread while the tool runs, so this bound is
// also the number of tool processes alive at once, however many files are
// queued.
QThreadPool *toolJobPool();
