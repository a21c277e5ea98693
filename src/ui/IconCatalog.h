#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QStringView>

// The one place that turns the design's symbol names ("folder",
// "xmark.circle.fill", ...) into icons. We ship our own SVGs rather than
// take them from the icon theme: Qt 6.4 does not recolour -symbolic theme
// icons, and the rows need blue, purple, orange, red and green ones.
//
// Each SVG is a mask: black is ink, white is a cut-out (the cross inside
// "xmark.circle.fill"), transparent is background. render() turns it into
// the given colour, so one file serves every tint and palette.
namespace IconCatalog {

// Every symbol the interface uses.
QStringList symbols();

// The compiled-in resource for `symbol`, or an empty string when there is
// none.
QString resourcePath(QStringView symbol);

// The symbol in `color` at `size` device pixels; a null image for an
// unknown symbol or an empty size. Results are cached.
QImage render(QStringView symbol, QSize size, const QColor &color);

} // namespace IconCatalog
