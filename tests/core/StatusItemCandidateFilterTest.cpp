#include "core/StatusItemCandidateFilter.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

using namespace QelCore;
using enum FixtureMenuBarItemSourceHint;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

// 1512 by 982 points, the notch between x 662 and 850.
ScreenSnapshot notchedLaptop() {
    return {"Built-in Retina Display#0", {0, 0, 1512, 982},  {0, 0, 1512, 944}, {38, 0, 0, 0},
            {0, 944, 662, 38},           {850, 944, 662, 38}};
}

ScreenSnapshot plainDisplay() {
    return {"External#1", {0, 0, 1920, 1080}, {0, 0, 1920, 1055}, {}, {}, {}};
}

FixtureMenuBarItem item(std::string appName, std::string title,
                        FixtureMenuBarItemSourceHint sourceHint, CGRect frame,
                        std::string role = "AXMenuBarItem") {
    FixtureMenuBarItem result;
    result.appName = std::move(appName);
    result.role = std::move(role);
    result.sourceHint = sourceHint;
    result.title = title;
    result.snapshot = {std::move(title), frame};
    return result;
}

struct Row {
    std::string name;
    FixtureMenuBarItem item;
    bool expected;
};

void expectRows(const std::vector<Row>& rows, const ScreenSnapshot& screen) {
    for (const auto& row : rows) {
        EXPECT_EQ(StatusItemCandidateFilter::isCandidate(row.item, screen), row.expected)
            << row.name;
    }
}

TEST(StatusItemCandidateFilter, RoleFrameAndSourceComeFirst) {
    expectRows(
        {
            {"menu item role",
             item("Dropbox", "Sync", statusItem, {1400, 944, 30, 38}, "AXMenuItem"), false},
            {"empty role", item("Dropbox", "Sync", statusItem, {1400, 944, 30, 38}, ""), false},
            {"zero frame", item("Dropbox", "Sync", statusItem, {1400, 944, 0, 0}), false},
            {"null frame", item("Dropbox", "Sync", statusItem, CGRect::null()), false},
            {"nan frame", item("Dropbox", "Sync", statusItem, {nan, 944, 30, 38}), false},
            {"infinite frame", item("Dropbox", "Sync", menuExtra, {1400, 944, inf, 38}), false},
            {"application menu on the right",
             item("Finder", "Go", applicationMenu, {1400, 944, 30, 38}), false},
            {"status item at far left", item("Dropbox", "Sync", statusItem, {10, 944, 30, 38}),
             true},
            {"menu extra at far left", item("Clock", "Clock", menuExtra, {10, 944, 30, 38}), true},
            {"status item titled Help", item("Dropbox", "Help", statusItem, {10, 944, 30, 38}),
             true},
        },
        notchedLaptop());
}

TEST(StatusItemCandidateFilter, ApplicationMenuTitlesAndNames) {
    expectRows(
        {
            {"Help", item("Dropbox", "Help", unknown, {1400, 944, 30, 38}), false},
            {"Apple", item("", "Apple", unknown, {1400, 944, 30, 38}), false},
            {"Profiles", item("iTerm2", "Profiles", unknown, {1400, 944, 30, 38}), false},
            {"chinese help", item("Dropbox", "帮助", unknown, {1400, 944, 30, 38}), false},
            {"chinese history", item("Safari", "历史记录", unknown, {1400, 944, 30, 38}), false},
            {"chinese profiles", item("Edge", "个人资料", unknown, {1400, 944, 30, 38}), false},
            {"lower-case help", item("Dropbox", "help", unknown, {1400, 944, 30, 38}), true},
            {"app name at minX 120", item("Notes", "Notes", unknown, {120, 944, 1500, 38}), false},
            {"app name at minX 259.5", item("Notes", "Notes", unknown, {259.5, 944, 1500, 38}),
             false},
            {"app name at minX 260", item("Notes", "Notes", unknown, {260, 944, 1500, 38}), true},
            {"empty app name and title", item("", "", unknown, {120, 944, 1500, 38}), true},
        },
        notchedLaptop());
}

TEST(StatusItemCandidateFilter, SystemOwnersByOverflowPosition) {
    expectRows(
        {
            {"left of notch, on screen",
             item("Control Center", "Focus", unknown, {300, 944, 30, 38}), false},
            {"half a point past the left edge",
             item("Control Center", "Focus", unknown, {-0.5, 944, 30, 38}), true},
            {"behind the notch", item("SystemUIServer", "Clock", unknown, {700, 944, 30, 38}),
             true},
            {"right of the notch", item("Hidden Bar", "", unknown, {1400, 944, 30, 38}), true},
            {"reaching into the right area",
             item("Control Center", "Wi-Fi", unknown, {830, 944, 30, 38}), true},
            {"source hint decides before the owner",
             item("Control Center", "Focus", statusItem, {300, 944, 30, 38}), true},
            {"menu title decides before the owner",
             item("Control Center", "Help", unknown, {700, 944, 30, 38}), false},
            {"name menu decides before the owner",
             item("Control Center", "Control Center", unknown, {-0.5, 944, 30, 38}), false},
        },
        notchedLaptop());
    expectRows(
        {
            {"plain display, left half",
             item("Control Center", "Focus", unknown, {300, 1057, 30, 22}), false},
            {"plain display, right half",
             item("Control Center", "Focus", unknown, {1800, 1057, 30, 22}), true},
            {"plain display, off the left edge",
             item("Hidden Bar", "", unknown, {-20, 1057, 30, 22}), true},
        },
        plainDisplay());
}

TEST(StatusItemCandidateFilter, PositionRules) {
    expectRows(
        {
            {"centre left of right area, reaching in",
             item("Dropbox", "Sync", unknown, {830, 944, 30, 38}), true},
            {"touching the right area only", item("Dropbox", "Sync", unknown, {820, 944, 30, 38}),
             false},
            {"behind the notch", item("Dropbox", "Sync", unknown, {700, 944, 30, 38}), false},
            {"in the right area", item("Dropbox", "Sync", unknown, {1400, 944, 30, 38}), true},
        },
        notchedLaptop());
    expectRows(
        {
            {"centre exactly at screen centre",
             item("Dropbox", "Sync", unknown, {945, 1057, 30, 22}), true},
            {"centre a point left of it", item("Dropbox", "Sync", unknown, {944, 1057, 30, 22}),
             false},
        },
        plainDisplay());
}

TEST(StatusItemCandidateFilter, OverflowRelevantFrameRefusesNonFiniteFrames) {
    EXPECT_FALSE(
        StatusItemCandidateFilter::isOverflowRelevantFrame({-inf, 944, 30, 38}, notchedLaptop()));
    EXPECT_FALSE(
        StatusItemCandidateFilter::isOverflowRelevantFrame({700, 944, nan, 38}, notchedLaptop()));
    EXPECT_TRUE(
        StatusItemCandidateFilter::isOverflowRelevantFrame({700, 944, 30, 38}, notchedLaptop()));
}

TEST(StatusItemCandidateFilter, CandidatesKeepFixtureOrder) {
    const MenuBarScanFixture fixture{
        notchedLaptop(),
        {
            item("Dropbox", "Sync", statusItem, {1400, 944, 30, 38}),
            item("Finder", "File", unknown, {60, 944, 30, 38}),
            item("Clock", "Clock", menuExtra, {1300, 944, 30, 38}),
            item("Mail", "3", unknown, {700, 944, 30, 38}),
        },
    };
    const auto candidates = StatusItemCandidateFilter::candidates(fixture);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0], fixture.items[0]);
    EXPECT_EQ(candidates[1], fixture.items[2]);
}

} // namespace
