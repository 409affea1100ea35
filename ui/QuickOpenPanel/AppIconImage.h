#pragma once

#include "platform/Image.h"

#include <QPixmap>

// The platform's images (an application's icon) as pixmaps for the views.
namespace AppIconImage {

// The image scaled to fit a square of `size` points, keeping its proportions; a null pixmap
// when it holds neither readable pixels nor a readable file. Files are read once.
QPixmap pixmap(const platform::NSImage& image, int size, qreal devicePixelRatio = 1.0);

} // namespace AppIconImage
