#include "SimDesktopFixture.h"
#include "core/AXChildrenMenuDiff.h"
#include "core/AXMenuOpenObservation.h"

#include <gtest/gtest.h>

namespace {

using namespace QelCore;
using Fixture = SimDesktopFixture;

std::unique_ptr<AXMenuOpenObservation> observe(Fixture& fixture) {
    return AXMenuOpenObservation::start(fixture.desktop->accessibility(), fixture.loop,
                                        Fixture::clockPid);
}

TEST(AXMenuOpenObservation, ReportsTheAnnouncementWithinOneSlice) {
    Fixture fixture({Fixture::item("clock", "AXMenuOpened", 40)});
    auto observation = observe(fixture);
    ASSERT_NE(observation, nullptr);
    ASSERT_EQ(fixture.press("clock"), platform::kAXErrorSuccess);
    const auto event = observation->waitForEvidence(350, 25);
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(*event,
              (AXMenuOpenObservation::Event{"AXMenuOpened", MenuOpenEvidenceSource::axMenuOpened}));
    EXPECT_GE(fixture.elapsedMs(), 40);
    EXPECT_LE(fixture.elapsedMs(), 40 + 25);
}

TEST(AXMenuOpenObservation, WaitsRespectTheirTimeOut) {
    struct Row {
        const char* name;
        std::uint32_t timeout;
        std::uint32_t poll;
        std::int64_t expectedElapsedMs;
    };
    // No announcement ever comes: each wait runs the loop up to its time-out, in slices, and a
    // zero interval still lets time move.
    const Row rows[] = {
        {"time-out 0", 0, 25, 0},
        {"time-out shorter than a slice", 10, 25, 10},
        {"slices", 100, 25, 100},
        {"zero slice", 5, 0, 5},
    };
    for (const auto& row : rows) {
        Fixture fixture({Fixture::item("clock", "none", 0)});
        auto observation = observe(fixture);
        ASSERT_NE(observation, nullptr) << row.name;
        fixture.press("clock");
        EXPECT_EQ(observation->waitForEvidence(row.timeout, row.poll), std::nullopt) << row.name;
        EXPECT_EQ(fixture.elapsedMs(), row.expectedElapsedMs) << row.name;
    }
}

TEST(AXMenuOpenObservation, FirstAnnouncementWins) {
    Fixture fixture({Fixture::item("window", "AXWindowCreated", 10),
                     Fixture::item("menu", "AXMenuOpened", 20)});
    auto observation = observe(fixture);
    fixture.press("window");
    fixture.press("menu");
    fixture.loop.runFor(std::chrono::milliseconds(50));
    // Delivered before the call: a zero time-out still answers it.
    const auto event = observation->waitForEvidence(0, 25);
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(event->evidenceSource, MenuOpenEvidenceSource::axWindowCreated);
}

TEST(AXMenuOpenObservation, AnElementsObservationHearsOnlyItsOwnMenu) {
    Fixture fixture({Fixture::item("window", "AXWindowCreated", 10),
                     Fixture::item("menu", "AXMenuOpened", 20)});
    const auto element = fixture.desktop->statusItemElement("menu");
    ASSERT_TRUE(element);
    auto observation = AXMenuOpenObservation::startForElement(fixture.desktop->accessibility(),
                                                              fixture.loop, *element);
    ASSERT_NE(observation, nullptr);
    fixture.press("window");
    fixture.press("menu");
    fixture.loop.runFor(std::chrono::milliseconds(50));
    // The other item of the process spoke first; only this item's menu answers.
    const auto event = observation->waitForEvidence(0, 25);
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(event->evidenceSource, MenuOpenEvidenceSource::axMenuOpened);

    auto silent = AXMenuOpenObservation::startForElement(fixture.desktop->accessibility(),
                                                         fixture.loop, *element);
    fixture.press("window");
    EXPECT_EQ(silent->waitForEvidence(100, 25), std::nullopt);
}

TEST(AXMenuOpenObservation, EndingDropsPendingDeliveries) {
    Fixture fixture({Fixture::item("clock", "AXMenuOpened", 40)});
    auto observation = observe(fixture);
    fixture.press("clock");
    observation.reset();
    // The announcement falls due after the observation ended; nothing may reach its state.
    fixture.loop.runFor(std::chrono::milliseconds(100));
    auto next = observe(fixture);
    EXPECT_EQ(next->waitForEvidence(50, 25), std::nullopt);
}

TEST(AXMenuOpenObservation, StartNeedsAnObserverAndARegistration) {
    Fixture fixture({Fixture::item("clock", "AXMenuOpened", 40)});
    EXPECT_EQ(AXMenuOpenObservation::start(fixture.desktop->accessibility(), fixture.loop, 999),
              nullptr);
    EXPECT_EQ(AXMenuOpenObservation::evidenceSource("AXMenuOpened"),
              MenuOpenEvidenceSource::axMenuOpened);
    EXPECT_EQ(AXMenuOpenObservation::evidenceSource("AXWindowCreated"),
              MenuOpenEvidenceSource::axWindowCreated);
    EXPECT_EQ(AXMenuOpenObservation::evidenceSource("axmenuopened"), MenuOpenEvidenceSource::none);
}

TEST(AXChildrenMenuDiff, CapturesTheMenuBarsToTheirDepth) {
    Fixture fixture({Fixture::item("clock", "none", 0)});
    auto& accessibility = fixture.desktop->accessibility();
    EXPECT_TRUE(AXChildrenMenuDiff::snapshotMenuTree(accessibility, Fixture::clockPid, -1).empty());
    const auto shallow = AXChildrenMenuDiff::snapshotMenuTree(accessibility, Fixture::clockPid, 0);
    ASSERT_FALSE(shallow.empty());
    for (const auto& root : shallow) {
        EXPECT_EQ(root.role, "AXMenuBar");
        EXPECT_TRUE(root.children.empty());
    }
    const auto before = AXChildrenMenuDiff::snapshotMenuTree(accessibility, Fixture::clockPid, 4);
    fixture.press("clock");
    const auto after = AXChildrenMenuDiff::snapshotMenuTree(accessibility, Fixture::clockPid, 4);
    EXPECT_EQ(AXChildrenMenuDiff::evidenceSource(before, after),
              MenuOpenEvidenceSource::axChildrenDiff);
}

TEST(AXChildrenMenuDiff, WaitPollsOnVirtualTime) {
    struct Row {
        const char* name;
        bool press;
        std::uint32_t timeout;
        std::uint32_t poll;
        MenuOpenEvidenceSource expected;
        std::int64_t expectedElapsedMs;
    };
    const Row rows[] = {
        {"time-out 0 captures nothing", true, 0, 75, MenuOpenEvidenceSource::none, 0},
        {"opened menu seen at once", true, 450, 75, MenuOpenEvidenceSource::axChildrenDiff, 0},
        {"time-out shorter than a poll", false, 10, 75, MenuOpenEvidenceSource::none, 75},
        {"polls until the time-out", false, 450, 75, MenuOpenEvidenceSource::none, 450},
        {"zero poll interval", false, 3, 0, MenuOpenEvidenceSource::none, 3},
    };
    for (const auto& row : rows) {
        Fixture fixture({Fixture::item("clock", "none", 0)});
        auto& accessibility = fixture.desktop->accessibility();
        const auto before = AXChildrenMenuDiff::snapshotMenuTree(
            accessibility, Fixture::clockPid, AXChildrenMenuDiff::evidenceCaptureDepth);
        if (row.press) {
            fixture.press("clock");
        }
        EXPECT_EQ(AXChildrenMenuDiff::waitForEvidence(accessibility, fixture.clock,
                                                      Fixture::clockPid, before, row.timeout,
                                                      row.poll),
                  row.expected)
            << row.name;
        EXPECT_EQ(fixture.elapsedMs(), row.expectedElapsedMs) << row.name;
    }
}

} // namespace
