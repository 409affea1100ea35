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

QPixmap pixmap(const platform::NSImage& image, int size, qreal devicePixelRatio, Scaling scaling) {
    const QImage source = decoded(image);
    if (source.isNull() || size <= 0) {
        return {};
    }
    QSizeF points(size, size);
    if (scaling == Scaling::proportionallyDown) {
        const bool hasSize = image.size.width > 0 && image.size.height > 0;
        const QSizeF natural =
            hasSize ? QSizeF(image.size.width, image.size.height) : QSizeF(source.size());
        points = natural.width() <= size && natural.height() <= size ? natural : points;
    }
    const QSize pixels = (points * devicePixelRatio).toSize().expandedTo(QSize(1, 1));
    QPixmap result =
        QPixmap::fromImage(source.scaled(pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

} // namespace AppIconImage
