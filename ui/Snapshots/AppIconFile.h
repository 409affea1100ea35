#pragma once

#include <QByteArray>
#include <QImage>

#include <optional>

// The program's icon file: an Apple icon container holding the 1024-pixel picture as PNG.
namespace AppIconFile {

// The icon drawn by the program at `side` pixels, transparent around the tile.
QImage draw(int side = 1024);

// The icon container with the image as its 1024-pixel ("ic10") entry.
QByteArray encode(const QImage& image);

// The largest PNG entry of an icon container, or none when the data is no icon container or
// holds no readable PNG entry.
std::optional<QImage> decode(const QByteArray& data);

} // namespace AppIconFile
