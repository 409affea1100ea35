#pragma once

#include "platform/Image.h"
#include "platform/sim/SimulatedDesktop.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QCheckBox;

// The simulated Mac desktop on screen: its menu bar at its true width (notch, status items with
// this program's own and its badge, the frontmost app's menus, open menus below the bar), and a
// strip of controls for what a Mac would do outside the program. Clicks, Command-drags (Ctrl
// held) and Escape reach the simulated desktop as posted events, the road the program's own
// events take. Main thread only.
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

    // The height of the area above the control strip: the bar and room for open menus.
    int sceneHeight() const;
    // Redraws the bar and its menus; the title names an open menu.
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeControlStrip();
    void postMouse(platform::CGEventType type, QPointF position, bool command);
    void pressModifierPair();
    void launchOrQuit(bool launch);
    void changeDisplays(int choice);
    void updateTitle();

    platform::sim::SimulatedDesktop& desktop_;
    bool commandDrag_ = false;
    QComboBox* modifierChoice_ = nullptr;
    QComboBox* appChoice_ = nullptr;
    QCheckBox* accessibility_ = nullptr;
};
