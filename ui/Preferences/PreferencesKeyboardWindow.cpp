#include "ui/Preferences/PreferencesKeyboardWindow.h"

#include "platform/qt/MacKeyTable.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>

PreferencesKeyboardWindow::PreferencesKeyboardWindow() {
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Keys reach the focused control first in Qt; looking at them application-wide is how the
    // window gets them on their way in, as a window's sendEvent does.
    qApp->installEventFilter(this);
}

PreferencesKeyboardWindow::~PreferencesKeyboardWindow() {
    qApp->removeEventFilter(this);
}

void PreferencesKeyboardWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // The handler may release the controller (and ask for this window's deletion): nothing of
    // this object is touched after it returns.
    if (auto closed = onClosed) {
        closed();
    }
}

bool PreferencesKeyboardWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) {
        return false;
    }
    auto& key = static_cast<QKeyEvent&>(*event);
    const auto mac = platform::qt::MacKeyTable::translate(
        QKeyEvent(QEvent::KeyPress, key.key(), key.modifiers(), key.nativeScanCode(),
                  key.nativeVirtualKey(), key.nativeModifiers(), key.text()));
    if (!mac) {
        return false;
    }
    const bool closes = platform::qt::isCloseWindowChord(*mac);
    const auto meaning = PreferencesKeyboardKeys::translate(*mac);
    if (type == QEvent::ShortcutOverride) {
        // Claim the keys handled here so that no shortcut takes them first.
        if (closes || meaning != PreferencesKeyboardKey::other) {
            event->accept();
        }
        return false;
    }
    if (closes) {
        close();
        return true;
    }
    return onKeyboardKey && onKeyboardKey(meaning);
}
