#pragma once

#include "SandboxGrant.h"

#include <QString>
#include <QStringList>

#include <optional>

// Every tool that parses a user's file (exiftool, its persistent workers,
// the PDF helper, mkvpropedit) starts inside bubblewrap:
//
//   bwrap --unshare-all --die-with-parent --new-session --cap-drop ALL --clearenv
//         <system, read-only> <tool folder, read-only> <grant> -- tool args
//
// - a fresh user, PID, network, IPC, UTS and cgroup namespace: no network but
//   an empty loopback, no abstract sockets, no D-Bus, nothing else's PIDs;
// - a root of its own with /usr (and the /bin, /lib* links), the few /etc
//   files the dynamic loader and time zones need, the tool's own folder, a
//   fresh /proc, a minimal /dev and a private /tmp: no home folder, no /run;
// - of the user's files only the grant (SandboxGrant): the file being read,
//   or a view of its folder holding only files of its kind, and for a
//   helper that edits a staged copy, that staging folder read-write; a file
//   or folder whose path is not UTF-8 is named "/proc/self/fd/N" (one of our
//   descriptors) and mounted from that descriptor at /run/tessaly/N, in the
//   same way;
// - no new privileges (bwrap sets it), no capabilities, a new session (no
//   terminal to push input into), killed with its parent, and every process
//   it starts ends with it (PID namespace); time and memory limits as before.
//
// exiftool never writes into the user's folders: a clean copy comes back on
// its standard output (`-o -`) and Tessaly writes it into the staging
// folder. So a worker needs only read access, and workers are kept per
// (folder, extension) view: a drop of many photos from one folder keeps them
// (StayOpenRunner keeps the workers of the four views last used). A view is
// made when its worker starts: what appears in the folder later, other than
// files of its kind and staging folders, stays visible to it until it retires.
//
// bubblewrap alone, without Landlock or a seccomp filter inside: namespaces
// already take away every path and socket the grant does not name, and one
// mechanism is one thing to get right. Where bwrap is missing or the system
// forbids user namespaces the tools run as before, and Settings says so.
class Sandbox
{
public:
    enum class Unavailable { turnedOff, notInstalled, refused };
    struct Status
    {
        std::optional<Unavailable> unavailable; // empty: tools run sandboxed
        QString detail; // bwrap's own words when it refused
        bool active() const { return !unavailable.has_value(); }
    };

    // Probed once, on first use: blocks for the probe (tens of milliseconds),
    // so the UI thread asks known() instead. TESSALY_SANDBOX=off turns it off.
    static Status status();
    // The probe's result once there is one.
    static std::optional<Status> known();

    // The command that runs `program` with `grant`: bwrap's when the sandbox
    // is active, `program` and `arguments` unchanged otherwise.
    static QStringList command(const QString &program, const QStringList &arguments, const SandboxGrant &grant);

    // Whether an exit status of bwrap's says its tool was ended by a signal
    // (bwrap exits with 128 + the signal): a crash, as it is unconfined.
    static bool endedBySignal(int exitStatus);

    // Where bubblewrap is expected: Debian's package, never a PATH search.
    static QString bwrapPath();

    // The descriptors the process a command starts must be handed, under
    // their numbers: those bwrap mounts, bwrap's `--args` (mounts of names
    // that are not UTF-8) and, without a sandbox, paths through our
    // descriptors ("/proc/self/fd/N") themselves.
    static QList<int> handedDescriptors(const QStringList &command);
    // Once the process has started, the `--args` descriptors are the parent's to close.
    static void closeArgumentDescriptors(const QStringList &command);

    // The mounts alone, for a given system (what command() puts before "--").
    static QStringList mountArguments(const QString &program, const SandboxGrant &grant);
};
