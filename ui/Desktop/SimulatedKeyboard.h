#pragma once

#include "platform/sim/SimEventMonitors.h"
#include "platform/sim/SimHotKeys.h"

#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;
class QWindow;

// The simulated Mac's keyboard as its global hotkeys see it: a key chord pressed in any window of
// this process (the desktop window stands for every other app) reaches the desktop's hotkey
// table before the key window sees it, as a Carbon hotkey takes its chord whichever app is
// frontmost. A chord that some app holds goes to that app alone; a free chord goes on to the
// window. While the key window records a shortcut, the recording takes every chord. Modifier
// keys going down and up reach the desktop's modifier-flag monitors with their own side's key
// code: the local monitors when pressed in a window of the program, the global ones when pressed
// in a window standing for other apps. A modifier let go where no window of this program saw it
// (after Command-W closed the window, or over another program's window) is let go on the
// simulated keyboard too, as soon as one of the program's windows gains or loses the keyboard.
// Main thread only.
class SimulatedKeyboard : public QObject {
public:
    // The hotkeys and monitors outlive the keyboard.
    SimulatedKeyboard(platform::sim::SimHotKeys& hotKeys,
                      platform::sim::SimEventMonitors& modifierMonitors, QObject* parent = nullptr);
    ~SimulatedKeyboard() override;

    // Whether the window that has the keyboard records a shortcut now; none never records.
    std::function<bool(const QWidget& keyWindow)> isRecordingShortcut;
    // Whether a window stands for other apps (the simulated desktop's own windows); none
    // makes every window the program's.
    std::function<bool(const QWidget& keyWindow)> standsForOtherApps;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Chord {
        std::uint32_t keyCode = 0;
        std::uint32_t carbonModifiers = 0;
    };
    // The chord of a key going down, through the one key table; none for a modifier key alone or
    // a key the Mac keyboard lacks.
    static std::optional<Chord> chordOf(const QKeyEvent& event);
    // The top-level widget of a window, none for a window without one.
    static const QWidget* widgetOf(const QObject& window);
    bool recordsShortcut(const QObject& window) const;
    // Whose window `window` is for the monitors; none is another program's.
    platform::sim::SimEventMonitors::KeyWindow keyWindowOf(const QObject* window) const;
    // A modifier key went down or up in `window`; false for any other key.
    bool changeModifier(const QKeyEvent& event, const QObject& window);
    // Lets go of the held modifiers that the window system's keyboard no longer holds.
    void followWindowSystemModifiers(const QWindow* keyWindow);

    platform::sim::SimHotKeys& hotKeys_;
    platform::sim::SimEventMonitors& modifierMonitors_;
};
