#include "FileItem.h"

#include "LocalName.h"

namespace {

QString lastPathComponent(const QUrl &url)
{
    QString path = url.path();
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path.mid(path.lastIndexOf(u'/') + 1);
}

} // namespace

QString lowerCasePathExtension(const QUrl &url)
{
    // Spaces at the end are no part of an extension; they are shown where the name is.
    QString name = lastPathComponent(url);
    while (name.endsWith(u' '))
        name.chop(1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot == name.size() - 1)
        return {};
    return name.mid(dot + 1).toLower();
}

FileItem FileItem::fromUrl(const QUrl &url)
{
    FileItem item;
    item.id = QUuid::createUuid();
    item.url = url;
    item.fileName = url.isLocalFile() ? visibleFileName(localPathBytes(url)) : lastPathComponent(url);
    item.fileExtension = lowerCasePathExtension(url);
    item.format = parseSupportedFormat(item.fileExtension);
    return item;
}

std::optional<QString> FileItem::errorMessage() const
{
    if (!failure)
        return std::nullopt;
    return describe(*failure);
}
