#include "ui/QuickOpenPanel/AppIconImage.h"

#include <QHash>
#include <QImage>

namespace AppIconImage {

namespace {

QImage decoded(const platform::NSImage& image) {
    if (!image.rgba.empty()) {
        const auto expected = static_cast<std::size_t>(image.pixelsWide) *
                              static_cast<std::size_t>(image.pixelsHigh) * 4;
        if (image.pixelsWide <= 0 || image.pixelsHigh <= 0 || image.rgba.size() < expected) {
            return {};
        }
        return QImage(image.rgba.data(), image.pixelsWide, image.pixelsHigh, image.pixelsWide * 4,
                      QImage::Format_RGBA8888)
            .copy();
    }
    if (image.filePath.empty()) {
        return {};
    }
    // Rows ask again on every reload; a file is read once.
    static QHash<QString, QImage> files;
    const QString path = QString::fromStdString(image.filePath);
    if (const auto found = files.constFind(path); found != files.constEnd()) {
        return *found;
    }
    const QImage read(path);
    files.insert(path, read);
    return read;
}

} // namespace

QPixmap pixmap(const platform::NSImage& image, int size, qreal devicePixelRatio) {
    const QImage source = decoded(image);
    if (source.isNull() || size <= 0) {
        return {};
    }
    const int pixels = qCeil(size * devicePixelRatio);
    QPixmap result = QPixmap::fromImage(
        source.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

} // namespace AppIconImage
