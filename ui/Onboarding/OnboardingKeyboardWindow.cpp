#include "ui/Onboarding/OnboardingKeyboardWindow.h"

#include "platform/qt/MacKeyTable.h"

#include <QKeyEvent>

OnboardingKeyboardWindow::OnboardingKeyboardWindow(QWidget* parent) : QWidget(parent) {}

bool OnboardingKeyboardWindow::isCloseKey(const QKeyEvent& event) {
    const auto key = platform::qt::MacKeyTable::translate(event);
    return key && platform::qt::isCloseWindowChord(*key);
}

bool OnboardingKeyboardWindow::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress && isCloseKey(static_cast<QKeyEvent&>(*event))) {
        event->accept();
        close();
        return true;
    }
    return QWidget::event(event);
}
