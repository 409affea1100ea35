#include "ui/Design/TessalineSecondaryButton.h"

#include "ui/Design/TessalineDesign.h"

#include <QEvent>

namespace Parlowen {

TessalineSecondaryButton::TessalineSecondaryButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void TessalineSecondaryButton::updateSecondaryFocusAppearance() {
    using namespace TessalineDesign;
    if (!isEnabled()) {
        setStyleSheet(secondaryButtonStyleSheet(Palette::soft(), Palette::line()));
    } else if (isKeyboardFocused_) {
        setStyleSheet(secondaryButtonStyleSheet(Palette::focusSoft(), Palette::blue()));
    } else {
        setStyleSheet(secondaryButtonStyleSheet(Qt::white, Palette::line()));
    }
}

void TessalineSecondaryButton::focusInEvent(QFocusEvent* event) {
    QPushButton::focusInEvent(event);
    isKeyboardFocused_ = true;
    updateSecondaryFocusAppearance();
}

void TessalineSecondaryButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    isKeyboardFocused_ = false;
    updateSecondaryFocusAppearance();
}

void TessalineSecondaryButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        updateSecondaryFocusAppearance();
    }
}

} // namespace Parlowen
