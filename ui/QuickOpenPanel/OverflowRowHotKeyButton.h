#pragma once

#include "ui/QuickOpenPanel/PanelIconButton.h"

#include <cstdint>
#include <functional>
#include <optional>

class QKeyEvent;

namespace platform::qt {
struct MacKeyEvent;
} // namespace platform::qt

// A row's shortcut button: a click starts recording a per-app shortcut instead of clicking, and
// while it has the focus a key pressed with a modifier becomes the recorded chord. Command-W and
// keys without a modifier go on to the window.
class OverflowRowHotKeyButton : public PanelIconButton {
public:
    explicit OverflowRowHotKeyButton(QWidget* parent = nullptr);

    std::function<void()> onBeginCapture;
    // (macOS key code, Carbon modifiers) of a recorded chord.
    std::function<void(std::uint32_t, std::uint32_t)> onCapture;

    // Whether key presses are recorded; a row allows it only while its recording runs, so a
    // button that kept the focus takes no chord afterwards.
    bool takesChords = true;

    // The chord a key press records: none for Command-W, for keys without Command, Shift,
    // Option or Control, for keys the Mac keyboard has no code for, and for events that are
    // no key-down.
    struct Chord {
        std::uint32_t keyCode = 0;
        std::uint32_t carbonModifiers = 0;
    };
    static std::optional<Chord> chord(const QKeyEvent& event);
    static std::optional<Chord> chord(const platform::qt::MacKeyEvent& event);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
