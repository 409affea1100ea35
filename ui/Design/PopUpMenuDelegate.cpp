#include "ui/Design/PopUpMenuDelegate.h"

#include <QComboBox>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace Parlowen {

namespace {

constexpr int gutter = 12;

QPixmap checkMark(const QColor& color, qreal ratio) {
    QPixmap pixmap(QSize(gutter, gutter) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    if (color.isValid()) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath mark;
        mark.moveTo(2, 6.5);
        mark.lineTo(5, 9.5);
        mark.lineTo(10.5, 2.5);
        painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(mark);
    }
    return pixmap;
}

// The mark in the text colour, and in the highlighted text colour on the highlighted row.
QIcon checkMarkIcon(const QPalette& palette, qreal ratio, bool checked) {
    QIcon icon;
    icon.addPixmap(checkMark(checked ? palette.color(QPalette::Text) : QColor(), ratio),
                   QIcon::Normal);
    icon.addPixmap(checkMark(checked ? palette.color(QPalette::HighlightedText) : QColor(), ratio),
                   QIcon::Selected);
    return icon;
}

} // namespace

void PopUpMenuDelegate::install(QComboBox& popup) {
    popup.setItemDelegate(new PopUpMenuDelegate(&popup));
    const auto markSelected = [&popup](int selected) {
        for (int index = 0; index < popup.count(); ++index) {
            popup.setItemData(index, index == selected ? Qt::Checked : Qt::Unchecked,
                              Qt::CheckStateRole);
        }
    };
    QObject::connect(&popup, &QComboBox::currentIndexChanged, &popup, markSelected);
    markSelected(popup.currentIndex());
}

void PopUpMenuDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    if (option.state & QStyle::State_Selected) {
        painter->fillRect(option.rect, option.palette.brush(QPalette::Highlight));
    }
    QStyledItemDelegate::paint(painter, option, index);
}

void PopUpMenuDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
    option->features |= QStyleOptionViewItem::HasDecoration;
    const qreal ratio = option->widget ? option->widget->devicePixelRatioF() : 1.0;
    option->icon = checkMarkIcon(option->palette, ratio, checked);
    option->decorationSize = QSize(gutter, gutter);
}

} // namespace Parlowen
