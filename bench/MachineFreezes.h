#pragma once

#include <QList>
#include <QProcess>

// A process that does nothing but wake every millisecond sees what freezes
// the whole machine (a virtual machine held back by its host freezes every
// process at once), which a stall of the UI thread must not be blamed for.

struct Interval
{
    qint64 from = 0, to = 0; // steady clock, ns: the same clock in every process

    qint64 overlap(const Interval &other) const;
};

qint64 nowNs();

// The loop of `<benchmark> --idle-watch`: prints each time it was kept from
// running for over 20 ms.
[[noreturn]] void idleWatch();

// Runs this executable's `--idle-watch` beside a measurement.
class MachineFreezes
{
public:
    MachineFreezes();
    QList<Interval> stop();

private:
    QProcess m_watch;
};
