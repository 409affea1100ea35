#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace tessaline::testing {

// The widget drawn at one device pixel per logical pixel into an opaque ARGB32 image of its
// size, so that two renders compare pixel by pixel.
QImage renderWidget(QWidget& widget);

// The colour of one pixel, opaque, for comparing with a palette colour.
QColor pixelColor(const QImage& image, int x, int y);

// Writes the image as PNG; false when the file cannot be written.
bool savePng(const QImage& image, const QString& path);

} // namespace tessaline::testing
