#include "IconCatalog.h"

#include <QCache>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QMutexLocker>

#include <array>

namespace IconCatalog {
namespace {

constexpr std::array knownSymbols {
    u"photo", u"video", u"doc.text", u"doc", u"folder", u"xmark.bin",
    u"xmark.circle.fill", u"checkmark.circle.fill", u"chevron.right",
    u"exclamationmark.triangle", u"exclamationmark.triangle.fill",
    u"wand.and.stars", u"trash", u"square.and.arrow.down.on.square",
    u"stop.fill", u"arrow.clockwise",
    u"waveform", u"doc.richtext", u"book", u"scribble",
};

QImage tinted(const QImage &mask, const QColor &color)
{
    QImage out(mask.size(), QImage::Format_ARGB32);
    const QRgb rgb = color.rgb();
    const int colorAlpha = color.alpha();
    for (int y = 0; y < mask.height(); ++y) {
        const QRgb *source = reinterpret_cast<const QRgb *>(mask.constScanLine(y));
        QRgb *target = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < mask.width(); ++x) {
            const QRgb pixel = source[x];
            const int ink = 255 - qGray(pixel); // white cut-outs carry no ink
            const int alpha = qAlpha(pixel) * ink / 255 * colorAlpha / 255;
            target[x] = qRgba(qRed(rgb), qGreen(rgb), qBlue(rgb), alpha);
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QStringList symbols()
{
    QStringList list;
    for (const char16_t *symbol : knownSymbols)
        list << QString::fromUtf16(symbol);
    return list;
}

QString resourcePath(QStringView symbol)
{
    for (const char16_t *known : knownSymbols) {
        if (symbol == QStringView(known))
            return QStringLiteral(":/tessaly/icons/") + symbol.toString() + QStringLiteral(".svg");
    }
    return {};
}

QImage render(QStringView symbol, QSize size, const QColor &color)
{
    const QString path = resourcePath(symbol);
    if (path.isEmpty() || size.isEmpty())
        return {};

    // Painted items may render from the scene graph's thread.
    static QMutex mutex;
    static QCache<QString, QImage> cache(400);
    const QString key = path + u'|' + QString::number(size.width()) + u'x' + QString::number(size.height())
        + u'|' + QString::number(color.rgba(), 16);
    QMutexLocker lock(&mutex);
    if (const QImage *hit = cache.object(key))
        return *hit;

    QImageReader reader(path);
    reader.setScaledSize(size);
    const QImage mask = reader.read().convertToFormat(QImage::Format_ARGB32);
    if (mask.isNull()) {
        qWarning("icon %s could not be read: %s", qPrintable(path), qPrintable(reader.errorString()));
        return {};
    }
    const QImage image = tinted(mask, color);
    cache.insert(key, new QImage(image));
    return image;
}

} // namespace IconCatalog
