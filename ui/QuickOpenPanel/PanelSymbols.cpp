#include "ui/QuickOpenPanel/PanelSymbols.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

namespace PanelSymbols {

QPixmap image(const QString& name, int size, const QColor& tint, qreal devicePixelRatio) {
    // Rows redraw their symbols on every reload; keep each rendering once.
    static QHash<QString, QPixmap> cache;
    const QString key = QStringLiteral("%1|%2|%3|%4")
                            .arg(name)
                            .arg(size)
                            .arg(tint.name(QColor::HexArgb))
                            .arg(devicePixelRatio);
    if (const auto found = cache.constFind(key); found != cache.constEnd()) {
        return *found;
    }
    const QString path = QStringLiteral(":/panel-symbols/%1.svg").arg(name);
    if (size <= 0 || !QFile::exists(path)) {
        return {};
    }
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        return {};
    }
    const int pixels = qCeil(size * devicePixelRatio);
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, pixels, pixels));
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), tint);
    }
    pixmap.setDevicePixelRatio(devicePixelRatio);
    cache.insert(key, pixmap);
    return pixmap;
}

} // namespace PanelSymbols
