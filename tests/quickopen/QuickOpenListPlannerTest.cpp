#include "Parlowen/QuickOpen/QuickOpenListPlanner.h"
#include "RecordBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <latch>
#include <limits>
#include <set>
#include <thread>

namespace {

using namespace Parlowen;
using namespace QuickOpenTesting;
using enum VisibilityClassification;
using Identities = std::vector<MenuBarItemStableIdentity>;
using Records = std::vector<AXMenuBarItemRecord>;

// Each section as "kind: app, app, ...".
std::vector<std::string> describe(const std::vector<QuickOpenSection>& sections) {
    static const char* kinds[] = {"hidden", "favorites", "recent", "apps", "results"};
    std::vector<std::string> lines;
    for (const auto& section : sections) {
        std::string line = std::string(kinds[static_cast<int>(section.kind)]) + ":";
        for (const auto& item : section.items) {
            line += " " + item.appName;
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> plan(const Records& items, OverflowPanelScope scope,
                              std::string_view query = "", const Identities& recents = {},
                              const Identities& favorites = {}) {
    return describe(
        QuickOpenListPlanner::makeSections(items, {}, scope, query, recents, favorites));
}

MenuBarItemStableIdentity v2(const AXMenuBarItemRecord& item) {
    return MenuBarItemStableIdentity::of(item);
}

MenuBarItemStableIdentity v1(const AXMenuBarItemRecord& item) {
    return *v2(item).legacyV1Equivalent();
}

const Records scan = {
    record("Notch1", "", hiddenBehindNotch, frameCentredAt(600)),
    record("Off", "", pushedOffscreen, frameCentredAt(2000)),
    record("Notch2", "", hiddenBehindNotch, frameCentredAt(500)),
    record("Fav", "", visible, frameCentredAt(900)),
    record("Recent", "", visible, frameCentredAt(950)),
    record("Both", "", visible, frameCentredAt(1000)),
    record("Plain", "", visible, frameCentredAt(1100)),
    record("Unknown", "", unknown),
};

TEST(QuickOpenBrowsing, SectionsPerScopeListEachItemOnce) {
    // Favourites and recents that are hidden now stay under "Hidden now" alone.
    const Identities favorites = {v2(scan[3]), v2(scan[0]), v1(scan[5])};
    const Identities recents = {v2(scan[5]), v2(scan[4]), v2(scan[2]),
                                MenuBarItemStableIdentity{"v2|-|menuExtra|gone|gone|r|s"}};
    const struct {
        const char* name;
        OverflowPanelScope scope;
        std::vector<std::string> expected;
    } rows[] = {
        {"all right side",
         OverflowPanelScope::allRightSide,
         {"hidden: Notch2 Notch1 Off", "favorites: Fav Both", "recent: Recent",
          "apps: Plain Unknown"}},
        {"hidden only", OverflowPanelScope::hiddenOnly, {"hidden: Notch2 Notch1 Off"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(plan(scan, row.scope, "", recents, favorites), row.expected) << row.name;
        EXPECT_EQ(plan(scan, row.scope, " \t\u3000", recents, favorites), row.expected)
            << row.name << " (blank query)";
    }
}

TEST(QuickOpenBrowsing, AdmitsStatusItemsWithUsefulNames) {
    auto menu = record("Finder", "File");
    menu.sourceHint = FixtureMenuBarItemSourceHint::applicationMenu;
    auto notCandidate = record("Helper", "Helper");
    notCandidate.isStatusCandidate = false;
    const struct {
        const char* name;
        AXMenuBarItemRecord item;
        bool listed;
    } rows[] = {
        {"application menu", menu, false},
        {"not a status candidate", notCandidate, false},
        {"control center without title", record("Control Center", ""), false},
        {"control center untitled", record("CONTROL CENTER", "(Untitled)"), false},
        {"control center status menu", record("ControlCenter", " Status Menu "), false},
        {"control center numbered item", record("Control Center", "Control Center Item 3"), false},
        {"chinese control center entry", record("控制中心", "控制中心入口 2"), false},
        {"system ui server generic", record("SystemUIServer", "状态菜单"), false},
        {"control center with a title", record("Control Center", "Wi-Fi"), true},
        {"other app untitled", record("Arq", "(untitled)"), true},
    };
    for (const auto& row : rows) {
        const auto listed = plan({row.item}, OverflowPanelScope::allRightSide);
        EXPECT_EQ(!listed.empty(), row.listed) << row.name;
        const auto found = plan({row.item}, OverflowPanelScope::allRightSide, row.item.appName);
        EXPECT_EQ(!found.empty(), row.listed) << row.name << " (search)";
    }
    EXPECT_TRUE(plan({}, OverflowPanelScope::allRightSide, "a").empty());
    EXPECT_EQ(QuickOpenListPlanner::displayableHiddenCount({}, {}), 0);
}

TEST(QuickOpenBrowsing, OneRowPerIdentity) {
    const auto withTitle = [](VisibilityClassification classification,
                              std::optional<platform::CGRect> frame, std::string title) {
        auto item = record("Same", "", classification, frame);
        item.title = std::move(title);
        return item;
    };
    const struct {
        const char* name;
        Records items;
        std::string keptTitle;
        std::size_t position;
    } rows[] = {
        {"hidden beats visible, at the first place",
         {withTitle(visible, frameCentredAt(5), ""), record("Other"),
          withTitle(hiddenBehindNotch, frameCentredAt(9), "")},
         "",
         0},
        {"frame beats no frame at equal rank",
         {withTitle(visible, std::nullopt, "(untitled)"),
          withTitle(visible, frameCentredAt(9), "")},
         "",
         0},
        {"first framed record stays",
         {withTitle(visible, frameCentredAt(1), " "), withTitle(visible, frameCentredAt(9), "")},
         " ",
         0},
        {"non-finite frame counts as none",
         {withTitle(visible, platform::CGRect(NAN, 0, 20, 20), "missing value"),
          withTitle(visible, frameCentredAt(9), "")},
         "",
         0},
    };
    for (const auto& row : rows) {
        const auto sections = QuickOpenListPlanner::makeSections(
            row.items, {}, OverflowPanelScope::allRightSide, "same", {}, {});
        ASSERT_EQ(sections.size(), 1u) << row.name;
        ASSERT_EQ(sections[0].items.size(), 1u) << row.name;
        EXPECT_EQ(sections[0].items[0].title, row.keptTitle) << row.name;
    }
    const Records twins = {record("Twin", "", hiddenBehindNotch, frameCentredAt(1)),
                           record("Twin", "", pushedOffscreen, frameCentredAt(2)),
                           record("Twin", "", visible), record("Solo", "", pushedOffscreen)};
    EXPECT_EQ(QuickOpenListPlanner::displayableHiddenCount(twins, {}), 2);
}

TEST(QuickOpenBrowsing, PanelOrder) {
    const struct {
        const char* name;
        Records items;
        std::vector<std::string> expected;
    } rows[] = {
        {"left to right",
         {record("C", "", visible, frameCentredAt(900)),
          record("A", "", visible, frameCentredAt(700)),
          record("B", "", visible, frameCentredAt(800))},
         {"apps: A B C"}},
        {"names without frames, ignoring case",
         {record("beta"), record("Alpha"), record("gamma"),
          record("ALPHA", "", visible, std::nullopt, "com.other")},
         {"apps: Alpha ALPHA beta gamma"}},
        {"rank before position",
         {record("Vis", "", visible, frameCentredAt(1)),
          record("Unk", "", unknown, frameCentredAt(0)),
          record("Hid", "", hiddenBehindNotch, frameCentredAt(50))},
         {"hidden: Hid", "apps: Vis Unk"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(plan(row.items, OverflowPanelScope::allRightSide), row.expected) << row.name;
    }
}

TEST(QuickOpenBrowsing, MixedFramedAndFramelessListEveryRecordOnce) {
    // Framed records compare by position, frameless ones by name: no strict weak order.
    Records items;
    for (int index = 0; index < 40; ++index) {
        const bool framed = index % 3 != 0;
        items.push_back(record("App" + std::to_string((index * 7) % 40), "", visible,
                               framed ? std::optional(frameCentredAt(40 - index)) : std::nullopt));
    }
    items.push_back(record("Inf", "", visible, platform::CGRect(INFINITY, 0, 20, 20)));
    const auto sections =
        QuickOpenListPlanner::makeSections(items, {}, OverflowPanelScope::allRightSide, "", {}, {});
    ASSERT_EQ(sections.size(), 1u);
    std::multiset<std::string> names;
    for (const auto& item : sections[0].items) {
        names.insert(item.appName);
    }
    EXPECT_EQ(names.size(), items.size());
    for (const auto& item : items) {
        EXPECT_EQ(names.count(item.appName), 1u) << item.appName;
    }
}

TEST(QuickOpenSearch, RanksByQualityFavouriteHiddenThenPanelOrder) {
    const Records items = {
        record("Dropbox", "", visible, frameCentredAt(900)),
        record("Maccy", "", hiddenBehindNotch, frameCentredAt(100)),
        record("Dropzone", "", visible, frameCentredAt(800)),
        record("Drop", "", visible, frameCentredAt(1000)),
        record("Airdrop Helper", "", hiddenBehindNotch, frameCentredAt(200)),
        record("Snapdrop", "", visible, frameCentredAt(300)),
        record("微信", "", visible, frameCentredAt(400)),
        record("Café Drôle", "", pushedOffscreen, frameCentredAt(500)),
        record("Paste", "Clipboard %@", visible, frameCentredAt(600)),
        record("A|B", "", visible, frameCentredAt(700)),
    };
    const Identities favorites = {v1(items[5])};
    const struct {
        const char* name;
        const char* query;
        OverflowPanelScope scope;
        std::vector<std::string> expected;
    } rows[] = {
        {"equal, prefix, contains",
         "drop",
         OverflowPanelScope::allRightSide,
         {"results: Drop Dropzone Dropbox Snapdrop Airdrop Helper"}},
        {"typed in capitals with blanks",
         "  DROPBOX ",
         OverflowPanelScope::allRightSide,
         {"results: Dropbox"}},
        {"full width", "ｄｒｏｐｂ", OverflowPanelScope::allRightSide, {"results: Dropbox"}},
        {"alias after matches", "clip", OverflowPanelScope::allRightSide, {"results: Paste Maccy"}},
        {"alias key prefix", "cli", OverflowPanelScope::allRightSide, {"results: Paste"}},
        {"transliterated", "weixin", OverflowPanelScope::allRightSide, {"results: 微信"}},
        {"transliterated with blank",
         "wei xin",
         OverflowPanelScope::allRightSide,
         {"results: 微信"}},
        {"accented name, plain query",
         "cafe drole",
         OverflowPanelScope::allRightSide,
         {"results: Café Drôle"}},
        {"accented query", "DRÔLE", OverflowPanelScope::allRightSide, {"results: Café Drôle"}},
        {"placeholder in title", "%@", OverflowPanelScope::allRightSide, {"results: Paste"}},
        {"vertical bar in name", "a|", OverflowPanelScope::allRightSide, {"results: A|B"}},
        {"nothing", "zzz", OverflowPanelScope::allRightSide, {}},
        {"hidden only", "drop", OverflowPanelScope::hiddenOnly, {"results: Airdrop Helper"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(plan(items, row.scope, row.query, {}, favorites), row.expected) << row.name;
    }
}

TEST(QuickOpenSearch, FavouritesFirstAmongEqualQuality) {
    const Records items = {
        record("Sync One", "", visible, frameCentredAt(100)),
        record("Sync Hidden", "", hiddenBehindNotch, frameCentredAt(200)),
        record("Sync Fav Visible", "", visible, frameCentredAt(300)),
        record("Sync Fav Hidden", "", pushedOffscreen, frameCentredAt(400)),
    };
    const Identities favorites = {v2(items[2]), v1(items[3])};
    EXPECT_EQ(
        plan(items, OverflowPanelScope::allRightSide, "sync", {}, favorites),
        std::vector<std::string>{"results: Sync Fav Hidden Sync Fav Visible Sync Hidden Sync One"});
}

TEST(QuickOpenPlanner, SameResultsOnConcurrentThreads) {
    // Names no earlier test used, so the record keys are not cached yet: the threads, started
    // together, derive them at the same time and fill the shared cache and use the shared
    // transliterator at once.
    Records items;
    for (int index = 0; index < 60; ++index) {
        items.push_back(record(index % 2 ? "并发应用" + std::to_string(index)
                                         : "Concurrent" + std::to_string(index),
                               "", index % 3 ? visible : hiddenBehindNotch, frameCentredAt(index)));
    }
    constexpr int threads = 4;
    std::latch start(threads);
    std::vector<std::vector<std::string>> plans(threads);
    std::vector<std::size_t> counts(threads);
    std::vector<std::thread> workers;
    for (int worker = 0; worker < threads; ++worker) {
        workers.emplace_back([&, worker] {
            start.arrive_and_wait();
            plans[worker] = plan(items, OverflowPanelScope::allRightSide, "bing fa");
            counts[worker] = QuickOpenListPlanner::displayableHiddenCount(items, {});
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    const auto expected = plan(items, OverflowPanelScope::allRightSide, "bing fa");
    ASSERT_EQ(expected.size(), 1u);
    EXPECT_EQ(std::count(expected[0].begin(), expected[0].end(), ' '), 30);
    for (int worker = 0; worker < threads; ++worker) {
        EXPECT_EQ(plans[worker], expected) << worker;
        EXPECT_EQ(counts[worker], 20u) << worker;
    }
}

} // namespace
