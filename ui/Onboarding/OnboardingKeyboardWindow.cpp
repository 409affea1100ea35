#include "ui/Onboarding/OnboardingKeyboardWindow.h"

#include "platform/qt/MacKeyTable.h"

#include <QApplication>
#include <QCloseEvent>
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

void OnboardingKeyboardWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // A window parented to this one is a separate window to the window system, which leaves it
    // on screen when this one goes; a Mac's child windows go with their parent.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) {
            child->hide();
        }
    }
}
