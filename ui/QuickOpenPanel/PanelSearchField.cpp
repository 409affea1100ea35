#include "ui/QuickOpenPanel/PanelSearchField.h"

#include <QKeyEvent>
#include <QScopedValueRollback>

PanelSearchField::PanelSearchField(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!quiet && onQueryChanged) {
            onQueryChanged(text);
        }
    });
}

void PanelSearchField::replaceQuietly(const QString& text) {
    const QScopedValueRollback rollback(quiet, true);
    setText(text);
}

void PanelSearchField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
        clear();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
