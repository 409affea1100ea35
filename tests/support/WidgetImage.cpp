#include "tests/support/WidgetImage.h"

#include <QColor>
#include <QCoreApplication>
#include <QEvent>
#include <QLayout>
#include <QWidget>

namespace tessaline::testing {

QImage renderWidget(QWidget& widget) {
    widget.ensurePolished();
    // Nested layouts follow shown and hidden children only when their posted requests run, as
    // the event loop would before the next paint.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (widget.layout() != nullptr) {
        widget.layout()->activate();
    }
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.setDevicePixelRatio(1.0);
    image.fill(widget.palette().color(QPalette::Window));
    widget.render(&image);
    return image;
}

QColor pixelColor(const QImage& image, int x, int y) {
    return QColor::fromRgb(image.pixel(x, y));
}

bool savePng(const QImage& image, const QString& path) {
    return image.save(path, "PNG");
}

} // namespace tessaline::testing
