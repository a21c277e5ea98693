#include "SandboxGrant.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

const QLatin1String stagingPrefix(".tessaly-staging-");

} // namespace

SandboxGrant SandboxGrant::toRead(const QString &file)
{
    const QFileInfo info(file);
    QString folder = info.absolutePath();
    if (QFileInfo(folder).fileName().startsWith(stagingPrefix))
        folder = QFileInfo(folder).absolutePath();
    SandboxGrant grant;
    // The root folder cannot be shown as a view: it holds the system the tool runs on.
    if (folder == QLatin1String("/") || info.suffix().isEmpty()) {
        grant.readable = {info.absoluteFilePath()};
        return grant;
    }
    grant.viewFolder = folder;
    grant.viewSuffix = info.suffix().toLower();
    return grant;
}

SandboxGrant SandboxGrant::toWrite(const QString &source, const QString &folder)
{
    SandboxGrant grant;
    grant.readable = {QFileInfo(source).absoluteFilePath()};
    grant.writable = {QDir(folder).absolutePath()};
    return grant;
}

QByteArray SandboxGrant::mountKey() const
{
    QByteArray key;
    for (const QString &path : readable)
        key += "r:" + QFile::encodeName(path) + '\0';
    for (const QString &path : writable)
        key += "w:" + QFile::encodeName(path) + '\0';
    // A folder removed and made anew under the same name is another folder:
    // a worker started on the old one would see nothing of the new.
    if (!viewFolder.isEmpty()) {
        struct stat info = {};
        ::stat(QFile::encodeName(viewFolder).constData(), &info);
        key += "v:" + QFile::encodeName(viewFolder) + '\0' + viewSuffix.toUtf8() + '\0'
               + QByteArray::number(quint64(info.st_dev)) + ':' + QByteArray::number(quint64(info.st_ino)) + '\0';
    }
    return key;
}
