#pragma once

#include "platform/Image.h"

#include <QPixmap>

// The platform's images (an application's icon) as pixmaps for the views.
namespace AppIconImage {

// How an image meets the square it is shown in (AppKit's image scaling).
enum class Scaling {
    // Fills the square, keeping its proportions.
    proportionallyUpOrDown,
    // Keeps its own size in points (its pixels when it has none) unless that does not fit;
    // then as above. Never enlarged.
    proportionallyDown,
};

// The image scaled into a square of `size` points; a null pixmap when it holds neither readable
// pixels nor a readable file. Files are read once.
QPixmap pixmap(const platform::NSImage& image, int size, qreal devicePixelRatio = 1.0,
               Scaling scaling = Scaling::proportionallyUpOrDown);

} // namespace AppIconImage
