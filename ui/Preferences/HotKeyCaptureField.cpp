#include "ui/Preferences/HotKeyCaptureField.h"

#include "Parlowen/Hotkeys/HotKeyFormatter.h"
#include "Parlowen/Settings/L10n.h"
#include "platform/qt/MacKeyTable.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Preferences/PreferencesKeyboardKey.h"

#include <QKeyEvent>

HotKeyCaptureField::HotKeyCaptureField(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setFocusPolicy(Qt::StrongFocus);
    setAlignment(Qt::AlignCenter);
    updateFocusAppearance();
}

bool HotKeyCaptureField::event(QEvent* event) {
    // A chord with a modifier is the field's while it records, not a shortcut's.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto& key = static_cast<QKeyEvent&>(*event);
        const auto mac = platform::qt::MacKeyTable::translate(
            QKeyEvent(QEvent::KeyPress, key.key(), key.modifiers(), key.nativeScanCode(),
                      key.nativeVirtualKey(), key.nativeModifiers(), key.text()));
        if (mac && mac->type == platform::qt::MacKeyEvent::Type::keyDown &&
            !platform::qt::isCloseWindowChord(*mac) &&
            Parlowen::HotKeyFormatter::carbonModifiers(mac->modifierFlags) != 0) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void HotKeyCaptureField::keyPressEvent(QKeyEvent* event) {
    // Keys without a modifier are swallowed: they neither type nor cancel anything.
    capture(*event);
    event->accept();
}

bool HotKeyCaptureField::capture(const QKeyEvent& event) {
    const auto mac = platform::qt::MacKeyTable::translate(event);
    if (!mac || mac->type != platform::qt::MacKeyEvent::Type::keyDown ||
        platform::qt::isCloseWindowChord(*mac)) {
        return false;
    }
    const std::uint32_t modifiers = Parlowen::HotKeyFormatter::carbonModifiers(mac->modifierFlags);
    if (modifiers == 0) {
        return false;
    }
    clearFocus();
    if (auto captured = onCapture) {
        captured(mac->keyCode, modifiers);
    }
    return true;
}

void HotKeyCaptureField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    keyboardFocused = true;
    updateFocusAppearance();
    setText(QString::fromStdString(
        Parlowen::L10n::string("preferences.hotkey.recording", "Press a shortcut…")));
}

void HotKeyCaptureField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    keyboardFocused = false;
    updateFocusAppearance();
}

void HotKeyCaptureField::mousePressEvent(QMouseEvent*) {
    setFocus(Qt::MouseFocusReason);
}

void HotKeyCaptureField::updateFocusAppearance() {
    using namespace Parlowen::TessalineDesign;
    const QColor background = keyboardFocused ? Palette::focusSoft() : Palette::soft();
    const QColor border = keyboardFocused ? Palette::blue() : Palette::line();
    setStyleSheet(QStringLiteral("QLineEdit { background-color: %1; border: 1px solid %2;"
                                 " border-radius: 6px; }")
                      .arg(background.name(), border.name()));
}
