#include "app/MenuBarIconFactory.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstring>

namespace Parlowen::MenuBarIconFactory {

namespace {
constexpr int side = 18;

// The drawing is given with the origin at the bottom left; Qt's is at the top left.
QRectF flipped(qreal x, qreal y, qreal width, qreal height) {
    return QRectF(x, side - y - height, width, height);
}

QPainterPath roundedRect(const QRectF& rect, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}
} // namespace

platform::NSImage drawnTemplateIcon() {
    platform::NSImage icon;
    icon.size = {side, side};
    icon.isTemplate = true;
    QImage bitmap(side, side, QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull()) {
        return icon;
    }
    bitmap.fill(Qt::transparent);
    {
        QPainter painter(&bitmap);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.setClipPath(roundedRect(flipped(0, 0, side, side), 4.666666666666666));
        painter.drawRect(QRectF(0, 0, side, side));
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        painter.drawPath(roundedRect(flipped(2, 7, 14, 7), 2.5));
        painter.drawEllipse(flipped(12, 3, 5, 5));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawPath(roundedRect(flipped(6.25, 9.25, 5.5, 5.5), 1.8));
    }
    const QImage rgba = bitmap.convertToFormat(QImage::Format_RGBA8888);
    icon.pixelsWide = side;
    icon.pixelsHigh = side;
    icon.rgba.resize(static_cast<std::size_t>(side * side * 4));
    for (int row = 0; row < side; ++row) {
        std::memcpy(icon.rgba.data() + static_cast<std::size_t>(row * side * 4),
                    rgba.constScanLine(row), static_cast<std::size_t>(side * 4));
    }
    return icon;
}

} // namespace Parlowen::MenuBarIconFactory
