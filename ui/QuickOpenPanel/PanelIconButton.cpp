#include "ui/QuickOpenPanel/PanelIconButton.h"

#include <QPainter>
#include <QPainterPath>

PanelIconButton::PanelIconButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
}

void PanelIconButton::setSymbol(const QPixmap& image) {
    symbol = image;
    update();
}

void PanelIconButton::setBackground(const QColor& colour) {
    background = colour;
    update();
}

void PanelIconButton::setBorder(std::optional<QColor> colour) {
    border = colour;
    update();
}

void PanelIconButton::setCornerRadius(qreal radius) {
    cornerRadius = radius;
    update();
}

QSize PanelIconButton::sizeHint() const {
    return size();
}

void PanelIconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = border ? QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5) : QRectF(rect());
    QPainterPath shape;
    shape.addRoundedRect(bounds, cornerRadius, cornerRadius);
    painter.fillPath(shape, background);
    if (border) {
        painter.setPen(QPen(*border, 1));
        painter.drawPath(shape);
    }
    if (!symbol.isNull()) {
        const QSizeF imageSize = symbol.deviceIndependentSize();
        const QPointF origin((width() - imageSize.width()) / 2,
                             (height() - imageSize.height()) / 2);
        painter.drawPixmap(origin, symbol);
    }
}
