#pragma once

#include "ui/QuickOpenPanel/PanelIconButton.h"

#include <cstdint>
#include <functional>
#include <optional>

class QKeyEvent;

// A row's shortcut button: a click starts recording a per-app shortcut instead of clicking, and
// while it has the focus a key pressed with a modifier becomes the recorded chord. Command-W and
// keys without a modifier go on to the window.
class OverflowRowHotKeyButton : public PanelIconButton {
public:
    explicit OverflowRowHotKeyButton(QWidget* parent = nullptr);

    std::function<void()> onBeginCapture;
    // (macOS key code, Carbon modifiers) of a recorded chord.
    std::function<void(std::uint32_t, std::uint32_t)> onCapture;

    // The chord a key press records: none for Command-W, for keys without Command, Shift,
    // Option or Control, and for events that are no key.
    struct Chord {
        std::uint32_t keyCode = 0;
        std::uint32_t carbonModifiers = 0;
    };
    static std::optional<Chord> chord(const QKeyEvent& event);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
