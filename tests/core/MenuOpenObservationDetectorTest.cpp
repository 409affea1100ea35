#include "core/MenuOpenObservationDetector.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace QelCore;
using Record = StatusItemWindowFrameIndex::WindowRecord;

const std::vector<ScreenSnapshot> screens{
    {"Display", {0, 0, 1512, 982}, {0, 0, 1512, 982}, {}, {}, {}}};
const Record statusWindow{"Clock", 25, {1180, 0, 30, 24}};
const Record menu{"Clock", 101, {1180, 24, 220, 310}};

TEST(MenuOpenObservationDetector, AccessibilityEvidenceDecidesAlone) {
    const auto observation = MenuOpenObservationDetector::observe(
        "Clock", "12:00", MenuOpenEvidenceSource::axChildrenDiff, {menu}, {menu}, screens);
    EXPECT_EQ(observation,
              (MenuOpenObservation{
                  "Clock", "12:00", true, MenuOpenEvidenceSource::axChildrenDiff, "axChildrenDiff",
                  "Positive observed-open evidence from axChildrenDiff", 1, 1, 0}));
}

TEST(MenuOpenObservationDetector, NewOwnerWindowIsEvidence) {
    struct Row {
        const char* name;
        std::string appName;
        Record before;
        Record after;
        bool opened;
    };
    const Row rows[] = {
        {"new menu window", "Clock", statusWindow, menu, true},
        {"moved 0.5 points", "Clock", menu, {"Clock", 101, {1180.5, 24, 220, 310}}, false},
        {"moved 2 points", "Clock", menu, {"Clock", 101, {1182, 24, 220, 310}}, true},
        {"other layer", "Clock", menu, {"Clock", 3, {1180, 24, 220, 310}}, true},
        {"status layer", "Clock", statusWindow, {"Clock", 25, {1180, 24, 220, 310}}, false},
        {"one point high", "Clock", statusWindow, {"Clock", 101, {1180, 24, 220, 1}}, false},
        {"top strip", "Clock", statusWindow, {"Clock", 101, {1180, 1, 220, 44}}, false},
        {"tall window from the top",
         "Clock",
         statusWindow,
         {"Clock", 101, {1180, 0, 220, 45}},
         true},
        {"other application",
         "Clock",
         statusWindow,
         {"Calendar", 101, {1180, 24, 220, 310}},
         false},
        {"helper of the application",
         "clock",
         statusWindow,
         {"Clock  Helper", 101, {1180, 24, 220, 310}},
         true},
        {"empty application name", "", statusWindow, menu, false},
    };
    for (const auto& row : rows) {
        const auto observation = MenuOpenObservationDetector::observe(
            row.appName, "t", std::nullopt, {row.before}, {row.after}, screens);
        EXPECT_EQ(observation.observedOpen, row.opened) << row.name;
        EXPECT_EQ(observation.newWindowCount, row.opened ? 1 : 0) << row.name;
        EXPECT_EQ(observation.evidenceSource, row.opened ? MenuOpenEvidenceSource::windowServerDiff
                                                         : MenuOpenEvidenceSource::none)
            << row.name;
        EXPECT_EQ(observation.confidence,
                  row.opened ? "windowServerNewOwnerWindow" : "noNewOwnerWindow")
            << row.name;
    }
}

TEST(MenuOpenObservationDetector, EvidenceTexts) {
    const auto opened = MenuOpenObservationDetector::observe(
        "Clock", "12:00", MenuOpenEvidenceSource::none, {statusWindow},
        {statusWindow, {"Clock", 101, {1180.9, 24.2, 220.7, -310.5}}, menu}, screens);
    EXPECT_EQ(opened.evidence, "owner=Clock layer=101 x=1180 y=-286 w=220 h=310");
    EXPECT_EQ(opened.matchingWindowCountAfter, 2);
    EXPECT_EQ(opened.newWindowCount, 2);

    const auto closed = MenuOpenObservationDetector::observe(" Clock ", "12:00", std::nullopt,
                                                             {menu}, {menu}, screens);
    EXPECT_EQ(closed.evidence, "No new non-status WindowServer window matched  Clock ");

    // Geometry past any integer range prints as truncated decimals, never through a conversion.
    const double inf = std::numeric_limits<double>::infinity();
    const auto far = MenuOpenObservationDetector::observe(
        "Clock", "", std::nullopt, {}, {{"Clock", 101, {-inf, 24, 1e20, 310.9}}}, screens);
    EXPECT_EQ(far.evidence, "owner=Clock layer=101 x=-inf y=24 w=100000000000000000000 h=310");
}

} // namespace
