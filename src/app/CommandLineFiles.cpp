#include "CommandLineFiles.h"

#include <QDir>

QList<QUrl> urlsFromArguments(const QStringList &arguments, const QString &workingDirectory)
{
    QList<QUrl> urls;
    const QDir base(workingDirectory);
    for (const QString &argument : arguments) {
        if (argument.isEmpty())
            continue;
        if (argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
            const QUrl url(argument, QUrl::StrictMode);
            if (url.isValid() && url.isLocalFile())
                urls.append(url);
            continue;
        }
        if (argument.contains(QLatin1String("://")))
            continue; // another scheme: nothing Tessaly can clean in place
        urls.append(QUrl::fromLocalFile(QDir::cleanPath(base.absoluteFilePath(argument))));
    }
    return urls;
}
