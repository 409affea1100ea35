#include "ui/Design/CenteredTextMargins.h"

#include "ui/Design/TessalineDesign.h"

#include <QEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include <cmath>

namespace Parlowen {

CenteredTextMargins* CenteredTextMargins::of(QLineEdit* field) {
    if (auto* existing =
            field->findChild<CenteredTextMargins*>(QString(), Qt::FindDirectChildrenOnly)) {
        return existing;
    }
    return new CenteredTextMargins(field);
}

CenteredTextMargins::CenteredTextMargins(QLineEdit* field) : QObject(field), field_(field) {
    field->installEventFilter(this);
}

void CenteredTextMargins::setOpticalYOffset(qreal offset) {
    opticalYOffset_ = offset;
    update();
}

bool CenteredTextMargins::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ &&
        (event->type() == QEvent::Resize || event->type() == QEvent::FontChange ||
         event->type() == QEvent::StyleChange)) {
        update();
    }
    return false;
}

void CenteredTextMargins::update() {
    // The rectangle Qt centres the line in, before any margins of ours.
    QStyleOptionFrame option;
    option.initFrom(field_);
    option.lineWidth =
        field_->hasFrame()
            ? field_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field_)
            : 0;
    const QRectF contents =
        field_->style()->subElementRect(QStyle::SE_LineEditContents, &option, field_);
    const qreal textHeight = field_->fontMetrics().height();
    const QRectF wanted = TessalineDesign::centeredTextRect(contents, textHeight, opticalYOffset_);
    // Qt centres between the margins, so a top margin 2d larger than the bottom one moves the
    // line down by d. A field too short for its line keeps Qt's own placement.
    int shift = 0;
    if (wanted.height() < contents.height()) {
        const qreal natural = contents.top() + (contents.height() - textHeight) / 2;
        shift = static_cast<int>(std::lround(2 * (wanted.top() - natural)));
    }
    const QMargins margins = field_->textMargins();
    field_->setTextMargins(margins.left(), std::max(shift, 0), margins.right(),
                           std::max(-shift, 0));
}

} // namespace Parlowen
