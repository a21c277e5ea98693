#include "Sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <atomic>
#include <mutex>

#include <dirent.h>

namespace {

const QByteArray stagingPrefix(".tessaly-staging-");

// Written once, before `probed` turns true: the UI thread reads it without
// waiting for a probe under way.
Sandbox::Status probeResult;
std::atomic<bool> probed = false;
std::once_flag probeOnce;

Sandbox::Status probe()
{
    if (qgetenv("TESSALY_SANDBOX") == "off")
        return {Sandbox::Unavailable::turnedOff, {}};
    const QString bwrap = Sandbox::bwrapPath();
    if (!QFileInfo(bwrap).isExecutable())
        return {Sandbox::Unavailable::notInstalled, bwrap};
    // The same mounts a tool gets, around a program that only has to start.
    const QString program = QStringLiteral("/usr/bin/true");
    QProcess process;
    process.setProgram(bwrap);
    process.setArguments(Sandbox::mountArguments(program, {}) << QStringLiteral("--") << program);
    process.start();
    if (!process.waitForStarted(10000))
        return {Sandbox::Unavailable::refused, process.errorString()};
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return {Sandbox::Unavailable::refused, QStringLiteral("bwrap did not answer within 10 seconds")};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return {Sandbox::Unavailable::refused,
                said.isEmpty() ? QStringLiteral("bwrap failed with exit status %1").arg(process.exitCode()) : said};
    }
    return {};
}

// Hides what the folder holds besides files of the viewed kind and staging
// folders. Entries are read as bytes: one whose name does not survive the
// way to an argument cannot be hidden, and then nothing of the folder is shown.
void addView(QStringList &arguments, const QString &folder, const QString &suffix)
{
    const QByteArray path = QFile::encodeName(folder);
    QStringList masks;
    bool maskable = true;
    if (DIR *dir = ::opendir(path.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            const QString decoded = QFile::decodeName(name);
            if (QFile::encodeName(decoded) != name) {
                maskable = false;
                break;
            }
            const QString target = folder + u'/' + decoded;
            const QFileInfo info(target);
            if (info.isSymLink())
                continue; // resolved inside the sandbox, where only the grant is
            if (info.isDir()) {
                if (!name.startsWith(stagingPrefix))
                    masks << QStringLiteral("--perms") << QStringLiteral("0555") << QStringLiteral("--tmpfs") << target;
                continue;
            }
            const bool shown = info.isFile() && !name.startsWith('.') && info.suffix().toLower() == suffix;
            if (!shown)
                masks << QStringLiteral("--ro-bind") << QStringLiteral("/dev/null") << target;
        }
        ::closedir(dir);
    }
    if (!maskable) {
        arguments << QStringLiteral("--perms") << QStringLiteral("0555") << QStringLiteral("--tmpfs") << folder;
        return;
    }
    arguments << QStringLiteral("--ro-bind-try") << folder << folder << masks;
}

} // namespace

QString Sandbox::bwrapPath()
{
    return QStringLiteral("/usr/bin/bwrap");
}

bool Sandbox::endedBySignal(int exitStatus)
{
    return exitStatus > 128 && exitStatus <= 128 + 64 && status().active();
}

Sandbox::Status Sandbox::status()
{
    std::call_once(probeOnce, [] {
        probeResult = probe();
        probed.store(true, std::memory_order_release);
    });
    return probeResult;
}

std::optional<Sandbox::Status> Sandbox::known()
{
    if (!probed.load(std::memory_order_acquire))
        return std::nullopt;
    return probeResult;
}

QStringList Sandbox::mountArguments(const QString &program, const SandboxGrant &grant)
{
    QStringList arguments{QStringLiteral("--unshare-all"), QStringLiteral("--die-with-parent"),
                          QStringLiteral("--new-session"), QStringLiteral("--cap-drop"), QStringLiteral("ALL"),
                          QStringLiteral("--clearenv"),
                          QStringLiteral("--setenv"), QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"),
                          QStringLiteral("--setenv"), QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"),
                          QStringLiteral("--setenv"), QStringLiteral("HOME"), QStringLiteral("/tmp"),
                          QStringLiteral("--setenv"), QStringLiteral("TMPDIR"), QStringLiteral("/tmp"),
                          QStringLiteral("--ro-bind"), QStringLiteral("/usr"), QStringLiteral("/usr")};
    // Debian's merged /usr makes these links; older layouts have folders.
    for (const char *top : {"/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32"}) {
        const QString path = QString::fromLatin1(top);
        const QFileInfo info(path);
        if (info.isSymLink())
            arguments << QStringLiteral("--symlink") << info.symLinkTarget() << path;
        else if (info.isDir())
            arguments << QStringLiteral("--ro-bind") << path << path;
    }
    for (const char *file : {"/etc/ld.so.cache", "/etc/ld.so.conf", "/etc/ld.so.conf.d", "/etc/localtime",
                             "/etc/alternatives", "/etc/perl"})
        arguments << QStringLiteral("--ro-bind-try") << QString::fromLatin1(file) << QString::fromLatin1(file);
    arguments << QStringLiteral("--proc") << QStringLiteral("/proc") << QStringLiteral("--dev") << QStringLiteral("/dev")
              << QStringLiteral("--tmpfs") << QStringLiteral("/tmp");

    if (!grant.viewFolder.isEmpty())
        addView(arguments, grant.viewFolder, grant.viewSuffix);
    for (const QString &path : grant.readable)
        arguments << QStringLiteral("--ro-bind-try") << path << path;
    for (const QString &path : grant.writable)
        arguments << QStringLiteral("--bind-try") << path << path;

    // The tool's own folder (exiftool's modules sit beside it) and where a
    // link to the tool leads: after the grant, so that a view never hides them.
    const QFileInfo tool(program);
    QStringList toolFolders{tool.absolutePath()};
    if (const QString real = tool.canonicalFilePath(); !real.isEmpty())
        toolFolders << QFileInfo(real).absolutePath();
    toolFolders.removeDuplicates();
    for (const QString &folder : toolFolders)
        arguments << QStringLiteral("--ro-bind") << folder << folder;
    // Without --chdir, bwrap keeps the current folder where the grant shows it.
    return arguments;
}

QStringList Sandbox::command(const QString &program, const QStringList &arguments, const SandboxGrant &grant)
{
    if (!status().active())
        return QStringList{program} + arguments;
    return QStringList{bwrapPath()} + mountArguments(program, grant) + QStringList{QStringLiteral("--")}
           + QStringList{program} + arguments;
}
