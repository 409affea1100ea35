#include "core/StatusItemCandidateFilter.h"

#include "core/OverflowClassifier.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace QelCore::StatusItemCandidateFilter {

namespace {

constexpr std::string_view menuBarItemRole = "AXMenuBarItem";

// The frontmost application's left-hand menus, in English and Simplified Chinese.
constexpr std::array<std::string_view, 24> applicationMenuTitles{
    "Apple",   "File",  "Edit",    "View",     "Window",   "Help", "Format", "Navigate",
    "Session", "Shell", "Scripts", "Profiles", "文件",     "编辑", "显示",   "视图",
    "窗口",    "帮助",  "格式",    "商店",     "历史记录", "书签", "标签页", "个人资料",
};

// System owners whose items are judged by where they lie relative to the notch and the edges.
constexpr std::array<std::string_view, 3> overflowRelevantOwners{
    "SystemUIServer",
    "Control Center",
    "Hidden Bar",
};

// An application's own bold name menu sits left of this x.
constexpr CGFloat applicationNameMenuLimit = 260;

template <std::size_t N>
bool isOneOf(std::string_view text, const std::array<std::string_view, N>& list) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

// Right of the notch's start, reaching into the right auxiliary area, or, on a display without
// a notch, centred in the right half.
bool liesOnStatusSide(const CGRect& frame, const ScreenSnapshot& screen) {
    const CGRect& right = screen.auxiliaryTopRightArea;
    if (right.isEmpty()) {
        return screen.frame.midX() <= frame.midX();
    }
    return right.minX() <= frame.midX() || frame.intersects(right);
}

} // namespace

bool isOverflowRelevantFrame(const CGRect& frame, const ScreenSnapshot& screen) {
    if (!frame.isFinite()) {
        return false;
    }
    if (liesOnStatusSide(frame, screen)) {
        return true;
    }
    if (frame.maxX() > screen.frame.maxX() || frame.minX() < screen.frame.minX()) {
        return true;
    }
    const CGRect& left = screen.auxiliaryTopLeftArea;
    const CGRect& right = screen.auxiliaryTopRightArea;
    if (left.isEmpty() || right.isEmpty()) {
        return false;
    }
    const CGRect gap = OverflowClassifier::notchGap(left, right);
    return !gap.isEmpty() && gap.intersects(frame);
}

bool isCandidate(const FixtureMenuBarItem& item, const ScreenSnapshot& screen) {
    const CGRect& frame = item.snapshot.frame;
    if (item.role != menuBarItemRole) {
        return false;
    }
    if (frame.isEmpty() || !frame.isFinite()) {
        return false;
    }
    switch (item.sourceHint) {
    case FixtureMenuBarItemSourceHint::applicationMenu:
        return false;
    case FixtureMenuBarItemSourceHint::statusItem:
    case FixtureMenuBarItemSourceHint::menuExtra:
        return true;
    case FixtureMenuBarItemSourceHint::unknown:
        break;
    }
    if (isOneOf(item.title, applicationMenuTitles)) {
        return false;
    }
    if (!item.appName.empty() && item.title == item.appName &&
        frame.minX() < applicationNameMenuLimit) {
        return false;
    }
    if (isOneOf(item.appName, overflowRelevantOwners)) {
        return isOverflowRelevantFrame(frame, screen);
    }
    return liesOnStatusSide(frame, screen);
}

std::vector<FixtureMenuBarItem> candidates(const MenuBarScanFixture& fixture) {
    std::vector<FixtureMenuBarItem> result;
    std::copy_if(fixture.items.begin(), fixture.items.end(), std::back_inserter(result),
                 [&](const FixtureMenuBarItem& item) { return isCandidate(item, fixture.screen); });
    return result;
}

} // namespace QelCore::StatusItemCandidateFilter
