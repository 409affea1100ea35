#include "ui/Onboarding/TessalineAppMarkView.h"

#include "ui/Design/TessalineDesign.h"
#include "ui/Onboarding/OnboardingPainting.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

using OnboardingPainting::fillRounded;
using OnboardingPainting::withAlpha;
using Parlowen::TessalineDesign::Palette::blue;

void drawTessalineAppIcon(QPainter& painter, const QRectF& rect) {
    if (!rect.isValid()) {
        return;
    }
    const qreal unit = rect.width() / 44;
    const auto box = [&](qreal x, qreal y, qreal width, qreal height) {
        return QRectF(rect.x() + x * unit, rect.y() + y * unit, width * unit, height * unit);
    };
    const auto circle = [&](qreal cx, qreal cy, qreal diameter) {
        return box(cx - diameter / 2, cy - diameter / 2, diameter, diameter);
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient body(rect.topLeft(), rect.bottomLeft());
    body.setColorAt(0, QColor(43, 49, 59));
    body.setColorAt(0.5, QColor(17, 20, 25));
    body.setColorAt(1, QColor(9, 10, 13));
    fillRounded(painter, rect, 9.5 * unit, body);

    fillRounded(painter, box(8.2, 19.2, 29.2, 7.4), 3.2 * unit, QColor(0, 0, 0, 46));
    const QRectF bar = box(7.4, 17.2, 29.2, 7.4);
    QLinearGradient barFill(bar.topLeft(), bar.bottomLeft());
    barFill.setColorAt(0, QColor(249, 250, 251));
    barFill.setColorAt(1, QColor(214, 218, 226));
    fillRounded(painter, bar, 3.0 * unit, barFill);
    fillRounded(painter, box(17.2, 16.1, 9.6, 6.6), 2.6 * unit, QColor(17, 20, 25));

    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(blue(), 0.18));
    painter.drawEllipse(circle(31.3, 28.8, 8.4));
    painter.setBrush(blue());
    painter.drawEllipse(circle(31.3, 28.8, 5.4));
    painter.restore();
}

TessalineAppMarkView::TessalineAppMarkView(QWidget* parent) : QWidget(parent) {}

QRectF TessalineAppMarkView::markRect(const QSizeF& size) {
    const qreal side = std::max<qreal>(0, std::min(size.width(), size.height()) - 1);
    return QRectF((size.width() - side) / 2, (size.height() - side) / 2, side, side);
}

void TessalineAppMarkView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawTessalineAppIcon(painter, markRect(size()));
}
