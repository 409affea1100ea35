#include "tests/support/KeySender.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace tessaline::testing {

bool showAndActivate(QWidget& window) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        return false;
    }
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

void sendKey(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : &window, key, modifiers);
}

} // namespace tessaline::testing
