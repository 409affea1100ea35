#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// The symbol images of the panel, drawn from our own SVG files and tinted in one colour.
namespace PanelSymbols {

// The symbol `name` ("star.fill", "magnifyingglass", …) as a square image of `size` points,
// every drawn pixel in `tint`; a null image when there is no such symbol.
QPixmap image(const QString& name, int size, const QColor& tint, qreal devicePixelRatio = 1.0);

} // namespace PanelSymbols
