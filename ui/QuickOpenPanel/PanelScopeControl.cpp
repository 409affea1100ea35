#include "ui/QuickOpenPanel/PanelScopeControl.h"

#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineFonts.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

using Parlowen::OverflowPanelScope;

PanelScopeControl::Geometry PanelScopeControl::geometry(const QRectF& bounds,
                                                        OverflowPanelScope selected) {
    Geometry parts;
    parts.track = bounds.adjusted(0, 0.5, 0, -0.5);
    const qreal half = parts.track.width() / 2;
    parts.hiddenHalf = QRectF(parts.track.x(), parts.track.y(), half, parts.track.height());
    parts.allRightSideHalf =
        QRectF(parts.track.x() + half, parts.track.y(), half, parts.track.height());
    const qreal pillX = parts.track.x() + (selected == OverflowPanelScope::hiddenOnly ? 2 : half);
    parts.selectedPill = QRectF(pillX, parts.track.y() + 2, half - 2, parts.track.height() - 4);
    return parts;
}

OverflowPanelScope PanelScopeControl::scopeAt(const QRectF& bounds, qreal x) {
    return x < bounds.center().x() ? OverflowPanelScope::hiddenOnly
                                   : OverflowPanelScope::allRightSide;
}

PanelScopeControl::PanelScopeControl(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(controlHeight);
}

QSize PanelScopeControl::sizeHint() const {
    return {0, controlHeight};
}

QSize PanelScopeControl::minimumSizeHint() const {
    return {0, controlHeight};
}

void PanelScopeControl::paintEvent(QPaintEvent*) {
    using namespace Parlowen::TessalineDesign;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const auto parts = geometry(QRectF(rect()), selectedScope);

    QPainterPath track;
    track.addRoundedRect(parts.track, 7, 7);
    painter.fillPath(track, QColor(230, 233, 239));

    QPainterPath pill;
    pill.addRoundedRect(parts.selectedPill, 6, 6);
    painter.fillPath(pill, Palette::blue());
    painter.setPen(QPen(Palette::blue(), 0.5));
    painter.drawPath(pill);

    const auto drawTitle = [&](const QRectF& half, const QString& title, bool selected) {
        const QFont font =
            Parlowen::TessalineFonts::font(12, selected ? QFont::DemiBold : QFont::Medium);
        const QRectF area = half.adjusted(0, 4, 0, -4);
        const qreal textHeight = std::ceil(QFontMetricsF(font).height());
        const QRectF line(area.x(), area.center().y() - textHeight / 2, area.width(), textHeight);
        painter.setFont(font);
        painter.setPen(selected ? QColor(Qt::white) : Palette::grayText());
        painter.drawText(line, Qt::AlignCenter,
                         QFontMetricsF(font).elidedText(title, Qt::ElideRight, line.width()));
    };
    drawTitle(parts.hiddenHalf, hiddenTitle, selectedScope == OverflowPanelScope::hiddenOnly);
    drawTitle(parts.allRightSideHalf, allRightSideTitle,
              selectedScope == OverflowPanelScope::allRightSide);

    if (hasFocus()) {
        QPainterPath ring;
        ring.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 7, 7);
        // Blue: a light ring would vanish against the grey track.
        painter.setPen(QPen(Palette::blue(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(ring);
    }
}

void PanelScopeControl::mousePressEvent(QMouseEvent* event) {
    const auto scope = scopeAt(QRectF(rect()), event->position().x());
    event->accept();
    if (scope == selectedScope) {
        return;
    }
    selectedScope = scope;
    update();
    // A copy: the handler may replace this control's callback while it runs.
    if (auto callback = onChange) {
        callback(scope);
    }
}

void PanelScopeControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void PanelScopeControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}
