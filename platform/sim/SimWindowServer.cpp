#include "platform/sim/SimWindowServer.h"

namespace platform::sim {

namespace {
// NSPopUpMenuWindowLevel.
constexpr int menuWindowLayer = 101;
constexpr CGWindowID firstDescribedWindow = 1000000;

struct Window {
    CGWindowID number;
    pid_t pid;
    const std::optional<std::string>& ownerName;
    int layer;
    CGRect bounds;
    bool onScreen;
};

Value entry(const Window& window) {
    Value::Dictionary dictionary{
        {std::string(kCGWindowNumber), static_cast<std::int64_t>(window.number)},
        {std::string(kCGWindowOwnerPID), static_cast<std::int64_t>(window.pid)},
        {std::string(kCGWindowLayer), window.layer},
        {std::string(kCGWindowIsOnscreen), window.onScreen},
        {std::string(kCGWindowBounds), Value::Dictionary{{"X", window.bounds.minX()},
                                                         {"Y", window.bounds.minY()},
                                                         {"Width", window.bounds.width()},
                                                         {"Height", window.bounds.height()}}},
    };
    // Like the window server, a process without a name gives no owner name.
    if (window.ownerName) {
        dictionary.emplace(std::string(kCGWindowOwnerName), *window.ownerName);
    }
    return dictionary;
}

bool isShown(const CGRect& bounds, const std::vector<DisplayDescription>& displays) {
    const DisplayDescription* primary = primaryDisplay(displays);
    for (const DisplayDescription& display : displays) {
        if (StatusBarLayout::axFrameOf(display, primary->frame.height()).intersects(bounds)) {
            return true;
        }
    }
    return false;
}
} // namespace

Value SimWindowServer::copyWindowInfo(CGWindowListOption options, CGWindowID) {
    std::lock_guard lock(desktop_.mutex_);
    const bool onScreenOnly = (options & kCGWindowListOptionOnScreenOnly) != 0;
    const bool excludeDesktop = (options & kCGWindowListExcludeDesktopElements) != 0;
    Value::List list;
    auto add = [&](const Window& window, bool desktopElement) {
        if ((onScreenOnly && !window.onScreen) || (excludeDesktop && desktopElement)) {
            return;
        }
        list.push_back(entry(window));
    };
    const std::optional<std::string> noName;
    for (const auto& item : desktop_.items_) {
        const AppDescription* app = desktop_.findApp(item.description.pid);
        if (item.menuOpen && app != nullptr) {
            add({static_cast<CGWindowID>(item.serial * 2 + 1), app->pid, app->name, menuWindowLayer,
                 desktop_.menuFrameOf(item), true},
                false);
        }
    }
    for (const auto& item : desktop_.items_) {
        const AppDescription* app = desktop_.findApp(item.description.pid);
        add({static_cast<CGWindowID>(item.serial * 2), item.description.pid,
             app ? app->name : noName, kCGStatusWindowLevel, item.axFrame,
             isShown(item.axFrame, desktop_.displays_)},
            false);
    }
    CGWindowID number = firstDescribedWindow;
    for (const WindowDescription& window : desktop_.initial_.windows) {
        const AppDescription* app = desktop_.findApp(window.pid);
        if (app != nullptr) {
            add({number, window.pid, app->name, window.layer, window.bounds, window.onScreen},
                window.desktopElement);
        }
        ++number;
    }
    list.insert(list.end(), desktop_.initial_.rawWindowEntries.begin(),
                desktop_.initial_.rawWindowEntries.end());
    return list;
}

} // namespace platform::sim
