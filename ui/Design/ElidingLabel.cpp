#include "ui/Design/ElidingLabel.h"

#include "ui/Design/TessalineDesign.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QTextLayout>

#include <algorithm>

namespace Parlowen {

ElidingLabel::ElidingLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ElidingLabel::setMaximumLineCount(int count) {
    maximumLines = std::max(1, count);
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(maximumLines > 1);
    setSizePolicy(policy);
    updateGeometry();
    update();
}

QStringList ElidingLabel::shownLines(int width) const {
    const QFontMetrics metrics = fontMetrics();
    const QString whole = text();
    if (maximumLines == 1 || whole.isEmpty()) {
        return {metrics.elidedText(whole, Qt::ElideRight, width)};
    }
    QTextLayout layout(whole, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() + 1 == maximumLines) {
            // The last line takes the rest of the text, cut to fit.
            lines << metrics.elidedText(whole.mid(line.textStart()).trimmed(), Qt::ElideRight,
                                        width);
            break;
        }
        lines << whole.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

bool ElidingLabel::isElided() const {
    // Wrapping only moves white space; cutting drops characters.
    const auto visible = [](QString shown) {
        shown.remove(QRegularExpression(QStringLiteral("\\s")));
        return shown;
    };
    const int width = contentsRect().width() - 2 * margin();
    return visible(shownLines(width).join(QString())) != visible(text());
}

int ElidingLabel::heightOfLines(int lines) const {
    const QMargins margins = contentsMargins();
    return TessalineDesign::heightOfLines(fontMetrics(), lines) + margins.top() + margins.bottom() +
           2 * margin();
}

QSize ElidingLabel::sizeHint() const {
    const QSize single = QLabel::sizeHint();
    if (maximumLines == 1) {
        return single;
    }
    return {single.width(), heightForWidth(width() > 0 ? width() : single.width())};
}

QSize ElidingLabel::minimumSizeHint() const {
    // Any width will do: the text is cut to fit.
    return {0, maximumLines == 1 ? QLabel::minimumSizeHint().height() : heightOfLines(1)};
}

bool ElidingLabel::hasHeightForWidth() const {
    return maximumLines > 1;
}

int ElidingLabel::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    const int inner = width - margins.left() - margins.right() - 2 * margin();
    return heightOfLines(static_cast<int>(std::max<qsizetype>(1, shownLines(inner).size())));
}

void ElidingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QStringList lines = shownLines(area.width());
    const QFontMetrics metrics = fontMetrics();
    const int lineHeight = TessalineDesign::heightOfLines(metrics, 1);
    const auto count = static_cast<int>(lines.size());
    int top = area.top();
    if (alignment() & Qt::AlignVCenter) {
        top += (area.height() - TessalineDesign::heightOfLines(metrics, count)) / 2;
    } else if (alignment() & Qt::AlignBottom) {
        top += area.height() - TessalineDesign::heightOfLines(metrics, count);
    }
    const int horizontal = static_cast<int>(alignment() & Qt::AlignHorizontal_Mask);
    for (int index = 0; index < count; ++index) {
        // Each line where a wrapped label would put it.
        const int lineTop = top + TessalineDesign::heightOfLines(metrics, index + 1) - lineHeight;
        style()->drawItemText(&painter, QRect(area.left(), lineTop, area.width(), lineHeight),
                              horizontal | Qt::AlignVCenter, palette(), isEnabled(), lines[index],
                              foregroundRole());
    }
}

} // namespace Parlowen
