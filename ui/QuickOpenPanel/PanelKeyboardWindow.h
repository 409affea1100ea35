#pragma once

#include "platform/qt/MacKeyEvent.h"
#include "ui/QuickOpenPanel/PanelKeyboardKey.h"

#include <QWidget>

#include <functional>

// The window the Quick Open panel is presented in. It sees every key pressed in it before the
// focused control does: Command-W closes it, then the raw key and the panel key are offered to
// its owner, and what neither consumes goes on to the focused control. Closing it (its close
// button, Command-W or `close()`) calls `onClose`; the window itself stays until its owner
// releases it.
class PanelKeyboardWindow : public QWidget {
public:
    PanelKeyboardWindow();
    ~PanelKeyboardWindow() override;

    // Offered every key-down first; true consumes it.
    std::function<bool(const platform::qt::MacKeyEvent&)> onRawKeyDown;
    // Offered the key as a panel key next; true consumes it.
    std::function<bool(const PanelKeyboardKey&)> onPanelKey;
    std::function<void()> onClose;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Steps 1 to 3 of a key-down; true when it was consumed.
    bool handleKeyDown(const platform::qt::MacKeyEvent& event);
};
