#include "Sandbox.h"

#include <LocalName.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray stagingPrefix(".tessaly-staging-");
// Where a tool in the sandbox finds what it is given by descriptor.
const QString descriptorMountPoint = QStringLiteral("/run/tessaly/");

// Where the sandbox shows what descriptor `fd` leads to: a file keeps its
// extension, which exiftool goes by for some kinds (a NEF is a TIFF inside).
QString mountPointFor(int fd)
{
    QString point = descriptorMountPoint + QString::number(fd);
    struct stat info;
    char target[4096];
    const ssize_t size = ::readlink(QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData(), target, sizeof target);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || size <= 0)
        return point;
    const QByteArray name = QByteArray(target, size).mid(QByteArray(target, size).lastIndexOf('/') + 1);
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray extension = dot > 0 ? name.mid(dot + 1) : QByteArray();
    const bool plain = !extension.isEmpty() && extension.size() <= 8
                       && std::all_of(extension.begin(), extension.end(), [](char c) { return std::isalnum(uchar(c)); });
    return plain ? point + u'.' + QString::fromLatin1(extension) : point;
}

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
// folders. Entries are read as bytes; those whose names are not UTF-8 cannot
// be arguments of a QProcess or a QStringList, and are masked through bwrap's
// `--args`: a descriptor (a memfd) with those mounts, NUL-separated, given
// to bwrap as Sandbox::handedDescriptors() says.
void addView(QStringList &arguments, const QString &folder, const QString &suffix)
{
    const QByteArray path = QFile::encodeName(folder);
    QStringList masks;
    QByteArray rawMasks;
    if (DIR *dir = ::opendir(path.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            const QString decoded = QFile::decodeName(name);
            const bool text = QFile::encodeName(decoded) == name;
            struct stat info;
            if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(info.st_mode))
                continue; // links are resolved inside the sandbox, where only the grant is
            const QString target = folder + u'/' + decoded;
            if (S_ISDIR(info.st_mode)) {
                if (name.startsWith(stagingPrefix))
                    continue;
                if (text)
                    masks << QStringLiteral("--perms") << QStringLiteral("0555") << QStringLiteral("--tmpfs") << target;
                else
                    rawMasks += QByteArrayList{"--perms", "0555", "--tmpfs", path + '/' + name, {}}.join('\0');
                continue;
            }
            // A file whose name is not text is read through a descriptor, never through a view.
            const bool shown = text && S_ISREG(info.st_mode) && !name.startsWith('.')
                               && QFileInfo(decoded).suffix().toLower() == suffix;
            if (shown)
                continue;
            if (text)
                masks << QStringLiteral("--ro-bind") << QStringLiteral("/dev/null") << target;
            else
                rawMasks += QByteArrayList{"--ro-bind", "/dev/null", path + '/' + name, {}}.join('\0');
        }
        ::closedir(dir);
    }
    arguments << QStringLiteral("--ro-bind-try") << folder << folder << masks;
    if (rawMasks.isEmpty())
        return;
    const int fd = ::memfd_create("tessaly-masks", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, rawMasks.constData(), size_t(rawMasks.size())) != rawMasks.size()
        || ::lseek(fd, 0, SEEK_SET) != 0) {
        if (fd >= 0)
            ::close(fd);
        // Nothing of the folder then, rather than what should stay hidden.
        arguments << QStringLiteral("--perms") << QStringLiteral("0555") << QStringLiteral("--tmpfs") << folder;
        return;
    }
    arguments << QStringLiteral("--args") << QString::number(fd);
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

    // A path through a descriptor needs no mount: the tool is handed the
    // descriptor itself (ChildProcess), which leads to that file or folder alone.
    const auto mountable = [](const QString &path) { return descriptorsNamedIn(path).isEmpty(); };
    if (!grant.viewFolder.isEmpty() && mountable(grant.viewFolder))
        addView(arguments, grant.viewFolder, grant.viewSuffix);
    for (const QString &path : grant.readable) {
        if (mountable(path))
            arguments << QStringLiteral("--ro-bind-try") << path << path;
    }
    for (const QString &path : grant.writable) {
        if (mountable(path))
            arguments << QStringLiteral("--bind-try") << path << path;
    }

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

QList<int> Sandbox::handedDescriptors(const QStringList &command)
{
    QList<int> descriptors;
    for (qsizetype i = 0; i + 1 < command.size() && command[i] != QLatin1String("--"); ++i) {
        if (command[i] != QLatin1String("--args") && command[i] != QLatin1String("--ro-bind-fd")
            && command[i] != QLatin1String("--bind-fd"))
            continue;
        bool number = false;
        const int fd = command[i + 1].toInt(&number);
        if (number)
            descriptors.append(fd);
    }
    for (const QString &argument : command)
        descriptors += descriptorsNamedIn(argument);
    return descriptors;
}

void Sandbox::closeArgumentDescriptors(const QStringList &command)
{
    for (qsizetype i = 0; i + 1 < command.size() && command[i] != QLatin1String("--"); ++i) {
        bool number = false;
        const int fd = command[i + 1].toInt(&number);
        if (command[i] == QLatin1String("--args") && number)
            ::close(fd);
    }
}

QStringList Sandbox::command(const QString &program, const QStringList &arguments, const SandboxGrant &grant)
{
    if (!status().active())
        return QStringList{program} + arguments;
    // A path through one of our descriptors is mounted from that descriptor
    // at a text path of its own, read-only unless the grant lets the tool
    // write there: handed as it is, the descriptor would reopen the file
    // for writing, past the grant.
    QStringList mounts = mountArguments(program, grant);
    QList<int> writable;
    for (const QString &path : grant.writable)
        writable += descriptorsNamedIn(path);
    QStringList toolArguments;
    QHash<int, QString> mounted;
    static const QRegularExpression throughDescriptor(QStringLiteral("/proc/self/fd/([0-9]+)"));
    for (const QString &argument : arguments) {
        QString rewritten;
        qsizetype done = 0;
        for (const QRegularExpressionMatch &match : throughDescriptor.globalMatch(argument)) {
            const int fd = match.captured(1).toInt();
            if (!mounted.contains(fd)) {
                mounted.insert(fd, mountPointFor(fd));
                mounts << (writable.contains(fd) ? QStringLiteral("--bind-fd") : QStringLiteral("--ro-bind-fd"))
                       << QString::number(fd) << mounted.value(fd);
            }
            rewritten += argument.mid(done, match.capturedStart() - done);
            rewritten += mounted.value(fd);
            done = match.capturedEnd();
        }
        toolArguments << rewritten + argument.mid(done);
    }
    return QStringList{bwrapPath()} + mounts + QStringList{QStringLiteral("--")} + QStringList{program} + toolArguments;
}
