#include "core/StatusItemWindowFrameIndex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace QelCore;
using Record = StatusItemWindowFrameIndex::WindowRecord;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

ScreenSnapshot screen(CGRect frame, CGFloat notchStripHeight = 0) {
    ScreenSnapshot snapshot{"Display", frame, frame, {}, {}, {}};
    if (notchStripHeight > 0) {
        const CGFloat top = frame.maxY() - notchStripHeight;
        snapshot.auxiliaryTopLeftArea = {frame.minX(), top, 600, notchStripHeight};
        snapshot.auxiliaryTopRightArea = {frame.minX() + 800, top, 712, notchStripHeight};
    }
    return snapshot;
}

TEST(StatusItemWindowFrameIndex, KeepsOnlyStatusWindowsInATopStrip) {
    // Primary 1512 x 982; a second display above-left whose top edge is at y = -1080 in
    // window-server coordinates.
    const std::vector<ScreenSnapshot> plain{screen({0, 0, 1512, 982}),
                                            screen({-1920, 982, 1920, 1080})};
    const std::vector<ScreenSnapshot> notched{screen({0, 0, 1512, 982}, 45)};
    struct Row {
        const char* name;
        Record record;
        const std::vector<ScreenSnapshot>& screens;
        bool kept;
    };
    const Row rows[] = {
        {"top edge 0.8 below", {"Clock", 25, {1200, 0.8, 30, 22}}, plain, true},
        {"top edge 1.5 below", {"Clock", 25, {1200, 1.5, 30, 22}}, plain, false},
        {"second display's strip", {"Clock", 25, {-300, -1080, 30, 22}}, plain, true},
        {"layer 24", {"Clock", 24, {1200, 0, 30, 22}}, plain, false},
        {"layer 0", {"Clock", 0, {1200, 0, 30, 22}}, plain, false},
        {"50 high without notch", {"Clock", 25, {1200, 0, 30, 50}}, plain, false},
        {"50 high under a 45-point strip", {"Clock", 25, {1200, 0, 30, 50}}, notched, true},
        {"54 high under a 45-point strip", {"Clock", 25, {1200, 0, 30, 54}}, notched, false},
        {"zero width", {"Clock", 25, {1200, 0, 0, 22}}, plain, false},
        {"NaN height", {"Clock", 25, {1200, 0, 30, nan}}, plain, false},
        {"infinite width", {"Clock", 25, {1200, 0, inf, 22}}, plain, false},
        {"blank owner", {"  \n", 25, {1200, 0, 30, 22}}, plain, false},
    };
    for (const auto& row : rows) {
        const auto index = StatusItemWindowFrameIndex::make({row.record}, row.screens);
        EXPECT_EQ(!index.framesByOwnerName.empty(), row.kept) << row.name;
    }
    const auto index = StatusItemWindowFrameIndex::make({{"Clock", 25, {1200, 0, 30, 22}}}, plain);
    ASSERT_EQ(index.framesByOwnerName.size(), 1u);
    EXPECT_EQ(index.framesByOwnerName[0].frames, (std::vector<CGRect>{{1200, 960, 30, 22}}));
    EXPECT_TRUE(StatusItemWindowFrameIndex::make({{"Clock", 25, {1200, 0, 30, 22}}}, {}) ==
                StatusItemWindowFrameIndex());
}

TEST(StatusItemWindowFrameIndex, MergesOwnerSpellingsInFirstAppearanceOrder) {
    const StatusItemWindowFrameIndex index(std::vector<StatusItemWindowFrameIndex::OwnerFrames>{
        {"Wi-Fi", {{10, 0, 1, 1}}},
        {"  Control   Center\n", {{20, 0, 1, 1}}},
        {"", {{30, 0, 1, 1}}},
        {"control center", {{40, 0, 1, 1}}},
        {"\xc3\x89TAT\xc2\xa0Menu", {{50, 0, 1, 1}}},
    });
    ASSERT_EQ(index.framesByOwnerName.size(), 3u);
    EXPECT_EQ(index.framesByOwnerName[0].ownerName, "wi-fi");
    EXPECT_EQ(index.framesByOwnerName[1].ownerName, "control center");
    EXPECT_EQ(index.framesByOwnerName[1].frames.size(), 2u);
    EXPECT_EQ(index.framesByOwnerName[2].ownerName, "\xc3\xa9tat menu");
    EXPECT_EQ(index.frame("CONTROL center", std::nullopt), (CGRect{40, 0, 1, 1}));
}

TEST(StatusItemWindowFrameIndex, LookUpPicksNearestOrRightmost) {
    const StatusItemWindowFrameIndex index(std::vector<StatusItemWindowFrameIndex::OwnerFrames>{
        {"Clip", {{1200, 960, 20, 22}}},
        {"Clipboard Helper", {{1300, 960, 20, 22}, {1100, 960, 20, 22}}},
        {"Other", {{1400, 960, 20, 22}}},
        {"Twin", {{1100, 960, 20, 22}, {1300, 960, 20, 22}}},
    });
    struct Row {
        const char* name;
        const char* appName;
        std::optional<CGRect> axFrame;
        std::optional<CGRect> expected;
    };
    const Row rows[] = {
        {"rightmost without a frame", "clip", std::nullopt, CGRect{1300, 960, 20, 22}},
        {"lookup begins with a key", "Clip board helper", std::nullopt, CGRect{1200, 960, 20, 22}},
        {"nearest by distance", "Clip", CGRect{1090, 955, 20, 22}, CGRect{1100, 960, 20, 22}},
        // 1200 and 1300 are 50 points either side of 1250: the one listed first wins.
        {"tie keeps the first", "Clip", CGRect{1250, 960, 20, 22}, CGRect{1200, 960, 20, 22}},
        {"tie of one owner's frames keeps the first", "Twin", CGRect{1200, 960, 20, 22},
         CGRect{1100, 960, 20, 22}},
        {"non-finite frame counts as none", "Clip", CGRect{nan, 0, 1, 1},
         CGRect{1300, 960, 20, 22}},
        {"single candidate", "other", CGRect{0, 0, 1, 1}, CGRect{1400, 960, 20, 22}},
        {"blank name", "  ", std::nullopt, std::nullopt},
        {"no match", "Battery", std::nullopt, std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(index.frame(row.appName, row.axFrame), row.expected) << row.name;
    }
}

// The look-up through the frames' places answers what a pass over every frame of every
// matching owner would: nearest centre, earlier owner and frame on a tie.
TEST(StatusItemWindowFrameIndex, PlacedLookUpAnswersWhatAPassOverEveryFrameWould) {
    std::vector<StatusItemWindowFrameIndex::OwnerFrames> raw = {{"Clip", {}}, {"Clipboard", {}}};
    // Two rows (a lower display's strip and a higher one's) with repeated places and widths.
    for (int step = 0; step < 40; ++step) {
        const CGRect frame{double(step % 13) * 30, step % 3 == 0 ? 960.0 : 1900.0,
                           double(10 + step % 4 * 5), 22};
        raw[std::size_t(step % 2)].frames.push_back(frame);
    }
    raw[1].frames.push_back({inf, 960, 20, 22});
    const StatusItemWindowFrameIndex index(raw);
    const auto pass = [&](const CGRect& ax) {
        std::optional<CGRect> best;
        CGFloat bestDistance = 0;
        for (const auto& owner : index.framesByOwnerName) {
            for (const CGRect& frame : owner.frames) {
                const CGFloat distance =
                    std::fabs(frame.midX() - ax.midX()) + std::fabs(frame.midY() - ax.midY());
                if (frame.isFinite() && (!best || distance < bestDistance)) {
                    best = frame;
                    bestDistance = distance;
                }
            }
        }
        return best;
    };
    for (int x = -40; x <= 420; x += 5) {
        for (const CGFloat y : {900.0, 960.0, 1400.0, 1903.5, 2500.0}) {
            const CGRect ax{double(x), y, 20, 22};
            EXPECT_EQ(index.frame("clip", ax), pass(ax)) << x << ", " << y;
        }
    }
}

// The sorted look-up finds exactly the owners that a pass over every owner would.
TEST(StatusItemWindowFrameIndex, IndexedLookUpMatchesEveryOwnerAPassWouldFind) {
    const std::vector<std::string> owners = {"clip",
                                             "clipboard",
                                             "clipboard helper",
                                             "cl",
                                             "a",
                                             "ab",
                                             "abc",
                                             "abd",
                                             "abd x",
                                             "b",
                                             "ba",
                                             "zz",
                                             "c",
                                             "clipa",
                                             "\xc3\xa9tat",
                                             "\xc3\xa9t",
                                             "\xc3\xa9tat menu"};
    std::vector<StatusItemWindowFrameIndex::OwnerFrames> raw;
    for (std::size_t index = 0; index < owners.size(); ++index) {
        raw.push_back({owners[index], {{double(index), 0, 1, 1}}});
    }
    const StatusItemWindowFrameIndex index(raw);
    std::vector<std::string> queries = {"", "clipboard h", "abcd", "abd xy", "bb", "d", "zzz", "y"};
    for (const auto& owner : owners) {
        for (std::size_t length = 1; length <= owner.size(); ++length) {
            queries.push_back(owner.substr(0, length));
        }
        queries.push_back(owner + "s");
    }
    for (const auto& query : queries) {
        std::vector<std::size_t> expected;
        for (std::size_t position = 0; position < index.framesByOwnerName.size(); ++position) {
            if (StatusItemWindowFrameIndex::ownerNamesMatch(
                    index.framesByOwnerName[position].ownerName,
                    StatusItemWindowFrameIndex::normalizedOwnerName(query))) {
                expected.push_back(position);
            }
        }
        EXPECT_EQ(index.matchingOwners(query), expected) << query;
    }
}

} // namespace
