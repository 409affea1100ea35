#include "ui/Snapshots/AppIconFile.h"

#include "ui/Onboarding/TessalineAppMarkView.h"

#include <QBuffer>
#include <QPainter>

#include <cstdint>

namespace AppIconFile {

namespace {

constexpr int headerLength = 8;

void appendBigEndian(QByteArray& data, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        data.append(static_cast<char>((value >> shift) & 0xFF));
    }
}

std::uint32_t readBigEndian(const QByteArray& data, qsizetype offset) {
    std::uint32_t value = 0;
    for (int index = 0; index < 4; ++index) {
        value = (value << 8) | static_cast<std::uint8_t>(data[offset + index]);
    }
    return value;
}

} // namespace

QImage draw(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawTessalineAppIcon(painter, QRectF(0, 0, side, side));
    return image;
}

QByteArray encode(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    QByteArray entry("ic10");
    appendBigEndian(entry, static_cast<std::uint32_t>(png.size() + headerLength));
    entry.append(png);
    QByteArray data("icns");
    appendBigEndian(data, static_cast<std::uint32_t>(entry.size() + headerLength));
    data.append(entry);
    return data;
}

std::optional<QImage> decode(const QByteArray& data) {
    if (data.size() < headerLength || !data.startsWith("icns")) {
        return std::nullopt;
    }
    const qsizetype end = std::min<qsizetype>(data.size(), readBigEndian(data, 4));
    std::optional<QImage> best;
    qsizetype offset = headerLength;
    // Every length is checked against the data, so a cut or lying file ends the walk.
    while (offset + headerLength <= end) {
        const qsizetype length = readBigEndian(data, offset + 4);
        if (length < headerLength || length > end - offset) {
            break;
        }
        QImage image;
        if (image.loadFromData(data.mid(offset + headerLength, length - headerLength), "PNG") &&
            (!best || image.width() > best->width())) {
            best = image;
        }
        offset += length;
    }
    return best;
}

} // namespace AppIconFile
