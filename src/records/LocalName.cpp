#include "LocalName.h"

#include <QStringDecoder>

QByteArray localPathBytes(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

QUrl urlForLocalPath(const QByteArray &path)
{
    // Text gets the URL every other part of Qt makes of it, equal to theirs.
    if (isTextPath(path))
        return QUrl::fromLocalFile(QString::fromUtf8(path));
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setPath(QString::fromLatin1(path.toPercentEncoding("/")), QUrl::TolerantMode);
    return url;
}

bool isTextPath(const QByteArray &path)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = decoder(path);
    return !decoder.hasError();
}

namespace {

const QLatin1String descriptorFolder("/proc/self/fd/");

// How many bytes the UTF-8 sequence at `at` takes, or 0 when it is not one.
qsizetype sequenceAt(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return i < bytes.size() ? uchar(bytes[i]) : 0; };
    const uchar lead = byte(at);
    const qsizetype length = lead < 0x80 ? 1 : (lead & 0xe0) == 0xc0 ? 2 : (lead & 0xf0) == 0xe0 ? 3 : (lead & 0xf8) == 0xf0 ? 4 : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xc0) != 0x80)
            return 0;
    }
    // Overlong forms, surrogates and values past U+10FFFF are no text either.
    if (length > 1 && !isTextPath(bytes.mid(at, length)))
        return 0;
    return length;
}

} // namespace

QString descriptorPath(int fd)
{
    return QString(descriptorFolder) + QString::number(fd);
}

QList<int> descriptorsNamedIn(const QString &argument)
{
    QList<int> descriptors;
    for (qsizetype at = argument.indexOf(descriptorFolder); at >= 0; at = argument.indexOf(descriptorFolder, at + 1)) {
        qsizetype end = at + descriptorFolder.size();
        while (end < argument.size() && argument[end].isDigit() && argument[end].unicode() < 0x80)
            ++end;
        bool number = false;
        const int fd = QStringView(argument).mid(at + descriptorFolder.size(), end - at - descriptorFolder.size()).toInt(&number);
        if (number && fd > 2 && !descriptors.contains(fd))
            descriptors.append(fd);
    }
    return descriptors;
}

QString visibleName(const QByteArray &name)
{
    qsizetype end = name.size();
    while (end > 0 && name[end - 1] == ' ')
        --end;
    QString shown;
    shown.reserve(name.size() + 8);
    for (qsizetype at = 0; at < end;) {
        const qsizetype length = sequenceAt(name, at);
        if (length == 0) {
            shown += u'\uFFFD' + QString::number(uchar(name[at]), 16).toUpper();
            ++at;
            continue;
        }
        const uchar c = uchar(name[at]);
        if (c == '\n')
            shown += u'\u21B5';
        else if (c < 0x20)
            shown += QChar(0x2400 + c);
        else if (c == 0x7f)
            shown += u'\u2421';
        else
            shown += QString::fromUtf8(name.mid(at, length));
        at += length;
    }
    for (qsizetype i = end; i < name.size(); ++i)
        shown += u'\u2423';
    return shown;
}

QString visibleFileName(const QByteArray &path)
{
    QByteArray trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith('/'))
        trimmed.chop(1);
    return visibleName(trimmed.mid(trimmed.lastIndexOf('/') + 1));
}
