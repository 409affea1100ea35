#pragma once

#include "ui/Preferences/PreferencesKeyboardKey.h"

#include <QWidget>

#include <functional>

// The preferences window: every key pressed in it is offered to `onKeyboardKey` before the
// focused control sees it, and Command-W closes it whatever has the focus.
class PreferencesKeyboardWindow : public QWidget {
public:
    PreferencesKeyboardWindow();
    ~PreferencesKeyboardWindow() override;

    // True when the key was handled.
    std::function<bool(PreferencesKeyboardKey)> onKeyboardKey;
    // Told once each time the window closes (close button, Escape, Command-W).
    std::function<void()> onClosed;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // True when the key event was consumed.
    bool handleKey(QKeyEvent& event);
};
