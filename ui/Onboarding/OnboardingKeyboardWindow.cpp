#include "ui/Onboarding/OnboardingKeyboardWindow.h"

#include "platform/qt/MacKeyTable.h"

#include <QKeyEvent>

namespace {

constexpr platform::CGKeyCode wKeyCode = 13;
constexpr std::uint64_t relevantModifiers =
    platform::qt::NSEventModifierFlagShift | platform::qt::NSEventModifierFlagControl |
    platform::qt::NSEventModifierFlagOption | platform::qt::NSEventModifierFlagCommand;

} // namespace

OnboardingKeyboardWindow::OnboardingKeyboardWindow(QWidget* parent) : QWidget(parent) {}

bool OnboardingKeyboardWindow::isCloseKey(const QKeyEvent& event) {
    const auto key = platform::qt::MacKeyTable::translate(event);
    return key && key->type == platform::qt::MacKeyEvent::Type::keyDown &&
           key->keyCode == wKeyCode &&
           (key->modifierFlags & relevantModifiers) == platform::qt::NSEventModifierFlagCommand;
}

bool OnboardingKeyboardWindow::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress && isCloseKey(static_cast<QKeyEvent&>(*event))) {
        event->accept();
        close();
        return true;
    }
    return QWidget::event(event);
}
