#include "ui/Design/TessalineTitleLabel.h"

#include <QPainter>

namespace Parlowen {

TessalineTitleLabel::TessalineTitleLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

QSize TessalineTitleLabel::minimumSizeHint() const {
    // Any width will do: the text is cut to fit.
    return {0, QLabel::minimumSizeHint().height()};
}

void TessalineTitleLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(area, static_cast<int>(alignment()), shown);
}

} // namespace Parlowen
