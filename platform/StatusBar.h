#pragma once

#include "platform/Image.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// Lengths of NSStatusBar statusItemWithLength:.
inline constexpr CGFloat NSVariableStatusItemLength = -1;
inline constexpr CGFloat NSSquareStatusItemLength = -2;

// One of this program's items in the system status bar with its button (NSStatusItem and its
// NSStatusBarButton). Destroying it removes it from the bar. Main thread only.
class StatusItem {
public:
    StatusItem() = default;
    StatusItem(const StatusItem&) = delete;
    StatusItem& operator=(const StatusItem&) = delete;
    virtual ~StatusItem() = default;

    // Whether the item has a button (a nil button skips everything below).
    virtual bool hasButton() const = 0;
    // The button's image; a template image follows the bar's colour.
    virtual void setImage(NSImage image) = 0;
    virtual NSImage image() const = 0;
    // The text beside the image.
    virtual void setTitle(std::string title) = 0;
    virtual std::string title() const = 0;
    // The tooltip.
    virtual void setToolTip(std::string toolTip) = 0;
    virtual std::string toolTip() const = 0;
    // What a click does (target and action); it runs on the main loop.
    virtual void setAction(std::function<void()> action) = 0;
    // The button's frame in top-left screen coordinates of the primary display; none while the
    // item is not placed in the bar.
    virtual std::optional<CGRect> buttonFrame() const = 0;
};

// The system status bar (NSStatusBar systemStatusBar).
class StatusBar {
public:
    StatusBar() = default;
    StatusBar(const StatusBar&) = delete;
    StatusBar& operator=(const StatusBar&) = delete;
    virtual ~StatusBar() = default;

    // A new item of the given length or NSVariableStatusItemLength (statusItemWithLength:);
    // null when the bar has no room for it.
    virtual std::unique_ptr<StatusItem> statusItemWithLength(CGFloat length) = 0;
    // The bar's thickness in points.
    virtual CGFloat thickness() = 0;
};

} // namespace platform
