#include "platform/sim/StatusBarLayout.h"

#include <algorithm>

namespace platform::sim::StatusBarLayout {

namespace {
// The width of an application menu's title: an average glyph advance plus padding.
constexpr CGFloat menuGlyphWidth = 7;
constexpr CGFloat menuPadding = 18;
constexpr CGFloat menuLeftMargin = 10;
} // namespace

Screen screenOf(const DisplayDescription& display) {
    const CGRect& frame = display.frame;
    Screen screen;
    screen.displayID = display.id;
    screen.localizedName = display.name;
    screen.frame = frame;
    screen.visibleFrame = {frame.minX(), frame.minY(), frame.width(),
                           frame.height() - display.menuBarHeight};
    if (display.notch) {
        const CGFloat height = display.notch->height;
        const CGFloat sideWidth = (frame.width() - display.notch->width) / 2;
        const CGFloat y = frame.maxY() - height;
        screen.safeAreaInsets.top = height;
        screen.auxiliaryTopLeftArea = CGRect{frame.minX(), y, sideWidth, height};
        screen.auxiliaryTopRightArea = CGRect{frame.maxX() - sideWidth, y, sideWidth, height};
    }
    return screen;
}

CGRect axFrameOf(const DisplayDescription& display, CGFloat primaryHeight) {
    const CGRect& frame = display.frame;
    return {frame.minX(), primaryHeight - frame.maxY(), frame.width(), frame.height()};
}

CGRect axNotchOf(const DisplayDescription& display, CGFloat primaryHeight) {
    if (!display.notch) {
        return CGRect::null();
    }
    const CGRect frame = axFrameOf(display, primaryHeight);
    return {frame.midX() - display.notch->width / 2, frame.minY(), display.notch->width,
            display.notch->height};
}

std::vector<CGRect> layOutStatusItems(const std::vector<CGFloat>& widths,
                                      const DisplayDescription& primary, CGFloat rightMargin) {
    std::vector<CGRect> frames;
    frames.reserve(widths.size());
    CGFloat right = primary.frame.maxX() - rightMargin;
    for (CGFloat width : widths) {
        right -= width;
        frames.push_back({right, 0, width, primary.menuBarHeight});
    }
    return frames;
}

std::vector<CGRect> layOutMenus(const std::vector<std::string>& titles,
                                const DisplayDescription& primary) {
    std::vector<CGRect> frames;
    CGFloat left = primary.frame.minX() + menuLeftMargin;
    for (const std::string& title : titles) {
        const CGFloat width = static_cast<CGFloat>(title.size()) * menuGlyphWidth + menuPadding;
        frames.push_back({left, 0, width, primary.menuBarHeight});
        left += width;
    }
    return frames;
}

CGFloat menusEnd(const std::vector<CGRect>& statusItemFrames, const DisplayDescription& primary) {
    const CGRect screen = axFrameOf(primary, primary.frame.height());
    CGFloat end = screen.maxX();
    for (const CGRect& frame : statusItemFrames) {
        if (frame.maxX() > screen.minX()) {
            end = std::min(end, frame.minX());
        }
    }
    return end;
}

CGRect menuFrameOf(const CGRect& itemAxFrame, CGSize menuSize,
                   const std::vector<DisplayDescription>& displays) {
    const DisplayDescription* primary = primaryDisplay(displays);
    const CGFloat primaryHeight = primary ? primary->frame.height() : 0;
    CGRect screen = primary ? axFrameOf(*primary, primaryHeight) : CGRect::null();
    const CGPoint centre{itemAxFrame.midX(), itemAxFrame.midY()};
    for (const DisplayDescription& display : displays) {
        if (const CGRect frame = axFrameOf(display, primaryHeight); frame.contains(centre)) {
            screen = frame;
            break;
        }
    }
    CGFloat x = itemAxFrame.minX();
    if (!screen.isNull()) {
        x = std::max(screen.minX(), std::min(x, screen.maxX() - menuSize.width));
    }
    return {x, itemAxFrame.maxY(), menuSize.width, menuSize.height};
}

Placement placementOf(const CGRect& axFrame, const DisplayDescription& primary) {
    const CGRect screen = axFrameOf(primary, primary.frame.height());
    if (axFrame.minX() < screen.minX() || axFrame.maxX() > screen.maxX()) {
        return Placement::pushedOffscreen;
    }
    const CGRect notch = axNotchOf(primary, primary.frame.height());
    if (!notch.isNull() && notch.intersects(axFrame)) {
        return Placement::hiddenBehindNotch;
    }
    return Placement::visible;
}

bool isPointShown(CGPoint axPoint, const std::vector<DisplayDescription>& displays) {
    const DisplayDescription* primary = primaryDisplay(displays);
    if (primary == nullptr) {
        return false;
    }
    const CGFloat height = primary->frame.height();
    for (const DisplayDescription& display : displays) {
        if (axFrameOf(display, height).contains(axPoint)) {
            const CGRect notch = axNotchOf(display, height);
            return notch.isNull() || !notch.contains(axPoint);
        }
    }
    return false;
}

} // namespace platform::sim::StatusBarLayout
