#include "ui/QuickOpenPanel/PanelSearchField.h"

#include <QKeyEvent>

PanelSearchField::PanelSearchField(QWidget* parent) : QLineEdit(parent) {}

void PanelSearchField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
        clear();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
