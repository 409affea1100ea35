#include "ui/Onboarding/OnboardingPainting.h"

#include "ui/Design/TessalineFonts.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace OnboardingPainting {

QColor withAlpha(QColor color, qreal alpha) {
    color.setAlphaF(static_cast<float>(std::clamp<qreal>(alpha, 0, 1)));
    return color;
}

QColor blend(const QColor& from, const QColor& to, qreal amount) {
    const auto mix = [amount](float a, float b) {
        return a + static_cast<float>(amount) * (b - a);
    };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()),
                            mix(from.blueF(), to.blueF()), mix(from.alphaF(), to.alphaF()));
}

QFont font(qreal points, QFont::Weight weight) {
    return Parlowen::TessalineFonts::font(static_cast<int>(std::lround(points)), weight);
}

void fillRounded(QPainter& painter, const QRectF& rect, qreal radius, const QBrush& brush) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    painter.fillPath(path, brush);
}

void strokeRounded(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color,
                   qreal width) {
    painter.save();
    painter.setPen(QPen(color, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect, radius, radius);
    painter.restore();
}

void drawLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
              const QColor& color, Qt::Alignment alignment) {
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    const QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideRight, rect.width());
    painter.drawText(rect, static_cast<int>(alignment), shown);
    painter.restore();
}

QLabel* makeLabel(const QString& text, const QFont& font, const QColor& colour) {
    auto* label = new QLabel(text);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

} // namespace OnboardingPainting
