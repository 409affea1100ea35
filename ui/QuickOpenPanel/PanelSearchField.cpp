#include "ui/QuickOpenPanel/PanelSearchField.h"

#include <QAction>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QStyle>

PanelSearchField::PanelSearchField(QWidget* parent) : QLineEdit(parent) {
    QAction* clearAction =
        addAction(style()->standardIcon(QStyle::SP_LineEditClearButton), TrailingPosition);
    clearAction->setObjectName(QStringLiteral("panel.search.clear"));
    clearAction->setVisible(false);
    connect(clearAction, &QAction::triggered, this, &QLineEdit::clear);
    connect(this, &QLineEdit::textChanged, this, [this, clearAction](const QString& text) {
        clearAction->setVisible(!text.isEmpty());
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
