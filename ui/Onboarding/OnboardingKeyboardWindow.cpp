#include "ui/Onboarding/OnboardingKeyboardWindow.h"

#include "platform/qt/MacKeyTable.h"

#include <QApplication>
#include <QKeyEvent>

namespace {

bool isCloseKey(const QKeyEvent& event) {
    const auto key = platform::qt::MacKeyTable::translate(event);
    return key && platform::qt::isCloseWindowChord(*key);
}

} // namespace

OnboardingKeyboardWindow::OnboardingKeyboardWindow(QWidget* parent) : QWidget(parent) {
    // Keys reach the focused control first in Qt (the shortcut pop-up would take W as
    // type-to-select); looking at them application-wide lets the window see them on their way in.
    qApp->installEventFilter(this);
}

OnboardingKeyboardWindow::~OnboardingKeyboardWindow() {
    qApp->removeEventFilter(this);
}

bool OnboardingKeyboardWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != this ||
        !isCloseKey(static_cast<QKeyEvent&>(*event))) {
        return false;
    }
    event->accept();
    close();
    return true;
}
