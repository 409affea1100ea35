#include "ui/Design/CenteredTitlePopUp.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace Parlowen {

void CenteredTitlePopUp::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QString title = option.currentText;
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);

    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(field, Qt::AlignCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(title, Qt::ElideRight, field.width()));
}

} // namespace Parlowen
