#pragma once

#include "platform/Image.h"
#include "platform/sim/SimulatedDesktop.h"
#include "ui/Desktop/KeyWindowHandover.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class AccessibilitySettingsWindow;
class QComboBox;
class QCheckBox;
class SimulatedKeyboard;

// The simulated Mac desktop on screen: its menu bar at its true width (notch, status items with
// this program's own and its badge, the frontmost app's menus, open menus below the bar), and a
// strip of controls for what a Mac would do outside the program. Clicks, Command-drags (Ctrl
// held) and Escape reach the simulated desktop as posted events, the road the program's own
// events take; key chords reach its global hotkeys, and modifier keys its event monitors,
// through the keyboard. The window is as wide as the bar, or as the screen allows, and then
// keeps this program's own item in view. Opening the Accessibility settings shows the simulated
// settings window. When one of the program's windows or those settings close with the keyboard,
// it goes back to the window that had it before, else to this one. Main thread only.
class DesktopWindow : public QWidget {
public:
    // The desktop outlives the window. `ownItemImage` and `ownItemTitle` read this program's
    // status item (its icon and badge).
    explicit DesktopWindow(platform::sim::SimulatedDesktop& desktop, QWidget* parent = nullptr);
    ~DesktopWindow() override;

    std::function<platform::NSImage()> ownItemImage;
    std::function<std::string()> ownItemTitle;
    // "Open Tessaline again", as the Dock or the Finder would.
    std::function<void()> onReopen;
    // The window was closed: the product quits.
    std::function<void()> onClosed;

    // The keyboard of the simulated Mac, for the program to say when it records a shortcut.
    SimulatedKeyboard& keyboard() { return *keyboard_; }
    // The simulated Accessibility settings; none before they were first opened.
    AccessibilitySettingsWindow* accessibilitySettings() const { return settings_.get(); }
    // The height of the area above the control strip: the bar and room for open menus.
    int sceneHeight() const;
    // Reads the desktop again: redraws the bar and its menus, names an open menu in the title,
    // follows the bar's width and shows the trust state in the strip and the settings.
    void refresh();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeControlStrip();
    // The desktop's point under a point of the window.
    platform::CGPoint desktopPointOf(QPointF position) const;
    void postMouse(platform::CGEventType type, QPointF position, bool command);
    void pressModifierPair();
    void launchOrQuit(bool launch);
    void changeDisplays(int choice);
    void followBarWidth();
    void updateTitle();
    void showAccessibilitySettings();

    platform::sim::SimulatedDesktop& desktop_;
    platform::sim::SimulatedDesktop::MenuBarState state_;
    SimulatedKeyboard* keyboard_ = nullptr;
    // Gone before the window itself, so it never sees the window half destroyed.
    KeyWindowHandover keyWindowHandover_{*this};
    std::unique_ptr<AccessibilitySettingsWindow> settings_;
    platform::ObserverToken settingsObserver_ = 0;
    int followedBarWidth_ = 0;
    bool commandDrag_ = false;
    QComboBox* modifierChoice_ = nullptr;
    QComboBox* appChoice_ = nullptr;
    QCheckBox* accessibility_ = nullptr;
};
