#pragma once

#include <QStyledItemDelegate>

class QComboBox;

namespace Parlowen {

// Draws a pop-up button's menu as a Mac menu does: a check mark in a gutter before the chosen
// item's title, and the same empty gutter before every other title (no check boxes).
class PopUpMenuDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Gives the pop-up this menu look and keeps the check mark on its selected item, as a Mac
    // pop-up button marks the item it shows.
    static void install(QComboBox& popup);

    // The highlight covers the whole row, the gutter included.
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace Parlowen
