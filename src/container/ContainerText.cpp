#include "ContainerText.h"

#include <QCoreApplication>

namespace ContainerText {

QString translated(const char *id, const char *english)
{
    const QString text = qtTrId(id);
    return text == QLatin1String(id) ? QString::fromUtf8(english) : text;
}

QString brokenAt(qint64 offset)
{
    return translated("container_broken_at", "the file's structure breaks at byte %1").arg(offset);
}

QString tooMany(qint64 offset)
{
    return translated("container_too_many", "more parts than any real file has, at byte %1").arg(offset);
}

} // namespace ContainerText
