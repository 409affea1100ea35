#include "ui/QuickOpenPanel/OverflowRowHotKeyButton.h"

#include "Parlowen/Hotkeys/HotKeyFormatter.h"
#include "platform/qt/MacKeyTable.h"

#include <QKeyEvent>
#include <QMouseEvent>

OverflowRowHotKeyButton::OverflowRowHotKeyButton(QWidget* parent) : PanelIconButton(parent) {}

std::optional<OverflowRowHotKeyButton::Chord>
OverflowRowHotKeyButton::chord(const QKeyEvent& event) {
    const auto key = platform::qt::MacKeyTable::translate(event);
    return key ? chord(*key) : std::nullopt;
}

std::optional<OverflowRowHotKeyButton::Chord>
OverflowRowHotKeyButton::chord(const platform::qt::MacKeyEvent& key) {
    if (key.type != platform::qt::MacKeyEvent::Type::keyDown ||
        key.keyCode == platform::qt::unknownKeyCode) {
        return std::nullopt;
    }
    // Bare Command-W closes the window.
    if (platform::qt::isCloseWindowChord(key)) {
        return std::nullopt;
    }
    const auto modifiers = Parlowen::HotKeyFormatter::carbonModifiers(key.modifierFlags);
    if (modifiers == 0) {
        return std::nullopt;
    }
    return Chord{key.keyCode, modifiers};
}

bool OverflowRowHotKeyButton::event(QEvent* event) {
    // A chord reaches the button before any window shortcut could take it.
    if (event->type() == QEvent::ShortcutOverride && takesChords &&
        chord(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return PanelIconButton::event(event);
}

void OverflowRowHotKeyButton::mousePressEvent(QMouseEvent* event) {
    event->accept();
    setFocus(Qt::MouseFocusReason);
    // A copy: starting a capture re-renders the rows, which may hand this button a new callback.
    if (auto callback = onBeginCapture) {
        callback();
    }
}

void OverflowRowHotKeyButton::mouseReleaseEvent(QMouseEvent* event) {
    // The button's own click never runs: recording starts on the press.
    event->accept();
}

void OverflowRowHotKeyButton::keyPressEvent(QKeyEvent* event) {
    const auto recorded = takesChords ? chord(*event) : std::nullopt;
    if (!recorded) {
        // Not ours: Escape, Space and the rest stay the panel's keys.
        event->ignore();
        return;
    }
    event->accept();
    clearFocus();
    if (auto callback = onCapture) {
        callback(recorded->keyCode, recorded->carbonModifiers);
    }
}
