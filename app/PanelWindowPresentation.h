#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class OverflowPanelController;

namespace platform {
class Workspace;
}

namespace Parlowen {

// The Quick Open panel in a window of its own, 440 by 452, centred and in front: the hub's
// road to the panel until the panel controller presents itself. Closing the window (by the
// hub or the window manager) calls `onClosed`. Main thread only.
class PanelWindowPresentation {
public:
    static constexpr int width = 440;
    static constexpr int height = 452;

    // The panel and the workspace outlive the presentation.
    PanelWindowPresentation(OverflowPanelController& panel, platform::Workspace& workspace);
    ~PanelWindowPresentation();
    PanelWindowPresentation(const PanelWindowPresentation&) = delete;
    PanelWindowPresentation& operator=(const PanelWindowPresentation&) = delete;

    // Regular activation policy, the window shown (or brought forward when it is open),
    // centred and active, the search field focused; then the panel asks for a fresh scan.
    void present();
    // Closes the window; nothing when it is not open.
    void close();
    bool isVisible() const;
    QWidget* window() const { return window_; }

    std::function<void()> onClosed;

private:
    class Window;

    OverflowPanelController& panel_;
    platform::Workspace& workspace_;
    QPointer<QWidget> window_;
};

} // namespace Parlowen
