#include "CommandLineFiles.h"

#include <LocalName.h>

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <unistd.h>

namespace {

// QDir::cleanPath on bytes: done on the percent-encoded form, in which a
// name's every byte outside plain ASCII letters, digits, "-._~" and "/" is
// "%XX", so the dots and slashes it folds are the path's own.
QByteArray cleanPath(const QByteArray &path)
{
    const QString encoded = QString::fromLatin1(path.toPercentEncoding("/"));
    return QByteArray::fromPercentEncoding(QDir::cleanPath(encoded).toLatin1());
}

} // namespace

QList<QUrl> urlsFromArguments(const QList<QByteArray> &arguments, const QByteArray &workingDirectory)
{
    QList<QUrl> urls;
    for (const QByteArray &argument : arguments) {
        if (argument.isEmpty() || argument.contains('\0'))
            continue;
        if (argument.left(5).toLower() == "file:") {
            const QUrl url(QString::fromUtf8(argument), QUrl::StrictMode);
            if (url.isValid() && url.isLocalFile())
                urls.append(url);
            continue;
        }
        if (argument.contains("://"))
            continue; // another scheme: nothing Tessaly can clean in place
        const QByteArray absolute = argument.startsWith('/') ? argument : workingDirectory + '/' + argument;
        urls.append(urlForLocalPath(cleanPath(absolute)));
    }
    return urls;
}

QByteArray currentFolderBytes()
{
    char *folder = ::getcwd(nullptr, 0);
    if (!folder)
        return QFile::encodeName(QDir::currentPath());
    const QByteArray bytes(folder);
    ::free(folder);
    return bytes;
}
