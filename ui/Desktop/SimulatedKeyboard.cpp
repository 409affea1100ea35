#include "ui/Desktop/SimulatedKeyboard.h"

#include "Parlowen/Hotkeys/HotKeyFormatter.h"
#include "platform/qt/MacKeyTable.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

SimulatedKeyboard::SimulatedKeyboard(platform::sim::SimHotKeys& hotKeys,
                                     platform::sim::SimEventMonitors& modifierMonitors,
                                     QObject* parent)
    : QObject(parent), hotKeys_(hotKeys), modifierMonitors_(modifierMonitors) {
    // A key reaches its window before the window hands it to the focused widget, so a chord is
    // taken here before any window's own key handling, whatever the order of the filters.
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::focusWindowChanged, this,
            [this](const QWindow* window) { followWindowSystemModifiers(window); });
}

SimulatedKeyboard::~SimulatedKeyboard() {
    qApp->removeEventFilter(this);
}

std::optional<SimulatedKeyboard::Chord> SimulatedKeyboard::chordOf(const QKeyEvent& event) {
    // The table reads key presses; a shortcut check carries the same key.
    const QKeyEvent press(QEvent::KeyPress, event.key(), event.modifiers(), event.nativeScanCode(),
                          event.nativeVirtualKey(), event.nativeModifiers(), event.text(),
                          event.isAutoRepeat());
    const auto mac = platform::qt::MacKeyTable::translate(press);
    if (!mac || mac->type != platform::qt::MacKeyEvent::Type::keyDown ||
        mac->keyCode == platform::qt::unknownKeyCode) {
        return std::nullopt;
    }
    return Chord{mac->keyCode, Parlowen::HotKeyFormatter::carbonModifiers(mac->modifierFlags)};
}

const QWidget* SimulatedKeyboard::widgetOf(const QObject& window) {
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == &window) {
            return widget;
        }
    }
    return nullptr;
}

bool SimulatedKeyboard::recordsShortcut(const QObject& window) const {
    const QWidget* widget = isRecordingShortcut ? widgetOf(window) : nullptr;
    return widget != nullptr && isRecordingShortcut(*widget);
}

platform::sim::SimEventMonitors::KeyWindow
SimulatedKeyboard::keyWindowOf(const QObject* window) const {
    using KeyWindow = platform::sim::SimEventMonitors::KeyWindow;
    if (window == nullptr) {
        return KeyWindow::otherApp;
    }
    const QWidget* widget = widgetOf(*window);
    return widget != nullptr && standsForOtherApps && standsForOtherApps(*widget)
               ? KeyWindow::otherApp
               : KeyWindow::thisProgram;
}

bool SimulatedKeyboard::changeModifier(const QKeyEvent& event, const QObject& window) {
    const auto mac = platform::qt::MacKeyTable::translate(event);
    if (!mac || mac->type != platform::qt::MacKeyEvent::Type::flagsChanged) {
        return false;
    }
    modifierMonitors_.pressModifierKey(mac->keyCode, event.type() == QEvent::KeyPress,
                                       keyWindowOf(&window));
    return true;
}

void SimulatedKeyboard::followWindowSystemModifiers(const QWindow* keyWindow) {
    // The window system tells these four, not which side holds one: a modifier is let go only
    // once neither of its keys is held. Caps Lock and Fn stay as they are.
    constexpr std::uint64_t told =
        platform::NSEventModifierFlagShift | platform::NSEventModifierFlagCommand |
        platform::NSEventModifierFlagOption | platform::NSEventModifierFlagControl;
    const std::uint64_t held =
        platform::qt::MacKeyTable::modifierFlags(QGuiApplication::queryKeyboardModifiers());
    modifierMonitors_.releaseModifierKeys(told & ~held, keyWindowOf(keyWindow));
}

bool SimulatedKeyboard::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease &&
         type != QEvent::ShortcutOverride) ||
        !watched->isWindowType()) {
        return false;
    }
    const auto& key = static_cast<const QKeyEvent&>(*event);
    // The monitors only watch a modifier key: it still goes on to the window.
    if (type != QEvent::ShortcutOverride && changeModifier(key, *watched)) {
        return false;
    }
    if (type == QEvent::KeyRelease) {
        return false;
    }
    const auto chord = chordOf(key);
    if (!chord || recordsShortcut(*watched)) {
        return false;
    }
    if (type == QEvent::ShortcutOverride) {
        // A held chord is no shortcut of the window: its key press follows and is taken below.
        if (!hotKeys_.holder(chord->keyCode, chord->carbonModifiers)) {
            return false;
        }
        event->accept();
        return true;
    }
    // A held key repeats without pressing the hotkey again, as Carbon hotkeys do.
    const auto holder = key.isAutoRepeat() ? hotKeys_.holder(chord->keyCode, chord->carbonModifiers)
                                           : hotKeys_.press(chord->keyCode, chord->carbonModifiers);
    return holder.has_value();
}
