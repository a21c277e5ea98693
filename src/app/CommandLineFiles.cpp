#include "CommandLineFiles.h"

#include <LocalName.h>

#include <QDir>
#include <QFile>

#include <cerrno>

#include <unistd.h>

namespace {

// QDir::cleanPath for bytes: no "." or empty parts, ".." takes the part
// before it (never above the root).
QByteArray cleanedPath(const QByteArray &absolute)
{
    QList<QByteArray> parts;
    for (const QByteArray &part : absolute.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return '/' + parts.join('/');
}

} // namespace

QList<QUrl> urlsFromArguments(const QList<QByteArray> &arguments, const QByteArray &workingDirectory)
{
    QList<QUrl> urls;
    for (const QByteArray &argument : arguments) {
        if (argument.isEmpty())
            continue;
        if (argument.left(5).toLower() == "file:") {
            const QUrl url = QUrl::fromEncoded(argument, QUrl::StrictMode);
            if (url.isValid() && url.isLocalFile())
                urls.append(url);
            continue;
        }
        if (argument.contains("://"))
            continue; // another scheme: nothing Tessaly can clean in place
        urls.append(urlForLocalPath(cleanedPath(argument.startsWith('/') ? argument : workingDirectory + '/' + argument)));
    }
    return urls;
}

QByteArray currentDirectoryBytes()
{
    QByteArray path(4096, Qt::Uninitialized);
    while (::getcwd(path.data(), size_t(path.size())) == nullptr) {
        if (errno != ERANGE || path.size() > (1 << 20))
            return QFile::encodeName(QDir::currentPath());
        path.resize(path.size() * 2);
    }
    return QByteArray(path.constData());
}
