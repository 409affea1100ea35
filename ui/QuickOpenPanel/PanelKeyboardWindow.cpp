#include "ui/QuickOpenPanel/PanelKeyboardWindow.h"

#include "platform/qt/MacKeyTable.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>

PanelKeyboardWindow::PanelKeyboardWindow() {
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Keys go to the focused widget; the application-wide filter lets the window see them first.
    qApp->installEventFilter(this);
}

PanelKeyboardWindow::~PanelKeyboardWindow() {
    qApp->removeEventFilter(this);
}

bool PanelKeyboardWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return false;
    }
    auto* receiver = static_cast<QWidget*>(watched);
    // A key travels up from the focused widget to its parents; act on its first delivery only.
    QWidget* first = QApplication::focusWidget() ? QApplication::focusWidget() : this;
    if (receiver != first || receiver->window() != this) {
        return false;
    }
    const auto translated = platform::qt::MacKeyTable::translate(*static_cast<QKeyEvent*>(event));
    if (!translated || translated->type != platform::qt::MacKeyEvent::Type::keyDown) {
        return false;
    }
    return handleKeyDown(*translated);
}

bool PanelKeyboardWindow::handleKeyDown(const platform::qt::MacKeyEvent& event) {
    if (platform::qt::isCloseWindowChord(event)) {
        close();
        return true;
    }
    // Copies: a handler may close the window and clear its callbacks.
    if (auto raw = onRawKeyDown; raw && raw(event)) {
        return true;
    }
    if (auto panelKey = onPanelKey; panelKey && panelKey(PanelKeyboardKey::from(event))) {
        return true;
    }
    return false;
}

void PanelKeyboardWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (auto callback = onClose) {
        callback();
    }
}
