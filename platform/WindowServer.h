#pragma once

#include "platform/Value.h"

#include <cstdint>
#include <string_view>

namespace platform {

using CGWindowID = std::uint32_t;
using CGWindowListOption = std::uint32_t;

inline constexpr CGWindowID kCGNullWindowID = 0;
inline constexpr CGWindowListOption kCGWindowListOptionAll = 0;
inline constexpr CGWindowListOption kCGWindowListOptionOnScreenOnly = 1 << 0;
inline constexpr CGWindowListOption kCGWindowListExcludeDesktopElements = 1 << 4;

// Keys of one window's dictionary.
inline constexpr std::string_view kCGWindowNumber = "kCGWindowNumber";
inline constexpr std::string_view kCGWindowOwnerName = "kCGWindowOwnerName";
inline constexpr std::string_view kCGWindowOwnerPID = "kCGWindowOwnerPID";
inline constexpr std::string_view kCGWindowLayer = "kCGWindowLayer";
inline constexpr std::string_view kCGWindowBounds = "kCGWindowBounds";
inline constexpr std::string_view kCGWindowIsOnscreen = "kCGWindowIsOnscreen";

// The window layer of status items.
inline constexpr int kCGStatusWindowLevel = 25;

// The CoreGraphics window list.
class WindowServer {
public:
    WindowServer() = default;
    WindowServer(const WindowServer&) = delete;
    WindowServer& operator=(const WindowServer&) = delete;
    virtual ~WindowServer() = default;

    // The window list front to back (CGWindowListCopyWindowInfo): a list of dictionaries with
    // the keys above, bounds a dictionary of "X", "Y", "Width" and "Height" in top-left
    // coordinates of the primary display; absent when the list cannot be read. Entries are
    // loosely typed, so a caller must check each one.
    virtual Value copyWindowInfo(CGWindowListOption options, CGWindowID relativeToWindow) = 0;
};

} // namespace platform
