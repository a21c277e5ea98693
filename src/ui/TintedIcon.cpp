#include "TintedIcon.h"

#include "IconCatalog.h"

#include <QPainter>
#include <QQuickWindow>

#include <cmath>

TintedIcon::TintedIcon(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setImplicitSize(16, 16);
}

void TintedIcon::setSymbol(const QString &symbol)
{
    if (m_symbol == symbol)
        return;
    m_symbol = symbol;
    renderImage();
    emit symbolChanged();
}

void TintedIcon::setColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    renderImage();
    emit colorChanged();
}

void TintedIcon::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickPaintedItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        renderImage();
}

void TintedIcon::itemChange(ItemChange change, const ItemChangeData &value)
{
    QQuickPaintedItem::itemChange(change, value);
    if (change == ItemDevicePixelRatioHasChanged || change == ItemSceneChange)
        renderImage();
}

// Rendered on the GUI thread; paint() only copies the finished image.
void TintedIcon::renderImage()
{
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const int side = int(std::floor(std::min(width(), height()) * ratio));
    m_image = IconCatalog::render(m_symbol, QSize(side, side), m_color);
    m_image.setDevicePixelRatio(ratio);
    update();
}

void TintedIcon::paint(QPainter *painter)
{
    if (m_image.isNull())
        return;
    const QSizeF size = m_image.deviceIndependentSize();
    painter->drawImage(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), m_image);
}
