#pragma once

#include "platform/sim/SimHotKeys.h"

#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

// The simulated Mac's keyboard as its global hotkeys see it: a key chord pressed in any window of
// this process (the desktop window stands for every other app) reaches the desktop's hotkey
// table before the key window sees it, as a Carbon hotkey takes its chord whichever app is
// frontmost. A chord that some app holds goes to that app alone; a free chord goes on to the
// window. While the key window records a shortcut, the recording takes every chord. Main thread
// only.
class SimulatedKeyboard : public QObject {
public:
    // The hotkeys outlive the keyboard.
    explicit SimulatedKeyboard(platform::sim::SimHotKeys& hotKeys, QObject* parent = nullptr);
    ~SimulatedKeyboard() override;

    // Whether the window that has the keyboard records a shortcut now; none never records.
    std::function<bool(const QWidget& keyWindow)> isRecordingShortcut;

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
    bool recordsShortcut(const QObject& window) const;

    platform::sim::SimHotKeys& hotKeys_;
};
