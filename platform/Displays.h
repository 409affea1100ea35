#pragma once

#include "platform/Events.h"
#include "platform/Geometry.h"
#include "platform/ObserverToken.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct NSEdgeInsets {
    CGFloat top = 0;
    CGFloat left = 0;
    CGFloat bottom = 0;
    CGFloat right = 0;

    friend bool operator==(const NSEdgeInsets&, const NSEdgeInsets&) = default;
};

// One display as NSScreen describes it, in Cocoa coordinates (origin at the bottom left of the
// primary display, y up). The auxiliary areas are the menu-bar strips left and right of a notch;
// displays without a notch have none.
struct Screen {
    CGDirectDisplayID displayID = 0;
    std::string localizedName;
    CGRect frame;
    CGRect visibleFrame;
    NSEdgeInsets safeAreaInsets;
    std::optional<CGRect> auxiliaryTopLeftArea;
    std::optional<CGRect> auxiliaryTopRightArea;

    friend bool operator==(const Screen&, const Screen&) = default;
};

using CGDisplayChangeSummaryFlags = std::uint32_t;
inline constexpr CGDisplayChangeSummaryFlags kCGDisplayBeginConfigurationFlag = 1 << 0;
inline constexpr CGDisplayChangeSummaryFlags kCGDisplayAddFlag = 1 << 4;
inline constexpr CGDisplayChangeSummaryFlags kCGDisplayRemoveFlag = 1 << 5;
inline constexpr CGDisplayChangeSummaryFlags kCGDisplaySetModeFlag = 1 << 3;

// The displays (NSScreen) and their change notifications. Notifications arrive as tasks on the
// main run loop, never inside the call that changed the displays.
class Displays {
public:
    using ScreenParametersHandler = std::function<void()>;
    using ReconfigurationHandler =
        std::function<void(CGDirectDisplayID display, CGDisplayChangeSummaryFlags flags)>;

    Displays() = default;
    Displays(const Displays&) = delete;
    Displays& operator=(const Displays&) = delete;
    virtual ~Displays() = default;

    // The current displays (NSScreen.screens), in the system's order.
    virtual std::vector<Screen> screens() = 0;
    // Observes NSApplicationDidChangeScreenParametersNotification.
    virtual ObserverToken addScreenParametersObserver(ScreenParametersHandler handler) = 0;
    // Registers a display-reconfiguration callback (CGDisplayRegisterReconfigurationCallback);
    // it is called once before and once after each change of each affected display.
    virtual ObserverToken registerReconfigurationCallback(ReconfigurationHandler handler) = 0;
    // Removes an observer or callback registered above.
    virtual void removeObserver(ObserverToken token) = 0;
};

} // namespace platform
