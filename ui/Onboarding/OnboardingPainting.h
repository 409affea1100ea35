#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QBrush;
class QLabel;
class QPainter;

// Small drawing steps that the onboarding window's drawn views share.
namespace OnboardingPainting {

// The colour at another opacity.
QColor withAlpha(QColor color, qreal alpha);
// The colour between `from` (amount 0) and `to` (amount 1), channel by channel in sRGB.
QColor blend(const QColor& from, const QColor& to, qreal amount);
// The design system's font at a size given in points with a fraction (whole pixel sizes).
QFont font(qreal points, QFont::Weight weight = QFont::Normal);

void fillRounded(QPainter& painter, const QRectF& rect, qreal radius, const QBrush& brush);
void strokeRounded(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color,
                   qreal width = 1);
// One line of text in `rect`, cut with an ellipsis at the end when it does not fit.
void drawLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
              const QColor& color, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);

// A label in the given font and text colour.
QLabel* makeLabel(const QString& text, const QFont& font, const QColor& colour);

} // namespace OnboardingPainting
