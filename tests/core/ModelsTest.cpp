#include "core/ActionAttemptLog.h"
#include "core/FixtureMenuBarItemSourceHint.h"
#include "core/VisibilityClassification.h"

#include <gtest/gtest.h>

namespace {

using namespace QelCore;

template <RawValueEnum E> void expectRoundTrips() {
    for (const auto& [value, text] : RawValues<E>::table) {
        EXPECT_EQ(toString(value), text);
        EXPECT_EQ(fromString<E>(text), value) << text;
    }
}

TEST(RawValues, EveryCaseRoundTrips) {
    expectRoundTrips<VisibilityClassification>();
    expectRoundTrips<FixtureMenuBarItemSourceHint>();
    expectRoundTrips<MenuOpenEvidenceSource>();
    expectRoundTrips<MenuKeyboardNavigability>();
    expectRoundTrips<MenuOpenPipelinePhase>();
}

TEST(RawValues, OnlyExactTextsDecode) {
    EXPECT_EQ(fromString<MenuKeyboardNavigability>("true"),
              MenuKeyboardNavigability::keyboardNavigable);
    EXPECT_EQ(fromString<MenuKeyboardNavigability>("keyboardNavigable"), std::nullopt);
    EXPECT_EQ(fromString<VisibilityClassification>("Visible"), std::nullopt);
    EXPECT_EQ(fromString<VisibilityClassification>("visible "), std::nullopt);
    EXPECT_EQ(fromString<MenuOpenPipelinePhase>(""), std::nullopt);
}

TEST(KeyboardNavigability, InferredFromEvidence) {
    using enum MenuOpenEvidenceSource;
    using enum MenuKeyboardNavigability;
    struct Row {
        bool observed;
        MenuOpenEvidenceSource source;
        MenuKeyboardNavigability expected;
    };
    const Row rows[] = {
        {false, axMenuOpened, unknown},
        {false, windowServerDiff, unknown},
        {true, axMenuOpened, keyboardNavigable},
        {true, axWindowCreated, unknown},
        {true, axChildrenDiff, keyboardNavigable},
        {true, windowServerDiff, notKeyboardNavigable},
        {true, none, unknown},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(inferKeyboardNavigability(row.observed, row.source), row.expected)
            << row.observed << " " << toString(row.source);
    }
}

TEST(ActionAttemptLog, TaggedReplacesOnlyPhaseAndIndex) {
    const ActionAttemptLog log{"Clock",
                               42,
                               "12:00",
                               "AXMenuBarItem",
                               "AXMenuExtra",
                               "AXPress",
                               "success",
                               0,
                               MenuOpenEvidenceSource::none,
                               MenuKeyboardNavigability::unknown,
                               MenuOpenPipelinePhase::lightweight,
                               0};
    const auto tagged = log.tagged(MenuOpenPipelinePhase::postReveal, 7);
    EXPECT_EQ(tagged.phase, MenuOpenPipelinePhase::postReveal);
    EXPECT_EQ(tagged.attemptIndex, 7);
    EXPECT_EQ(tagged.tagged(MenuOpenPipelinePhase::lightweight, 0), log);
    EXPECT_NE(log.tagged(MenuOpenPipelinePhase::lightweight, 1), log);
    EXPECT_EQ(log.tagged(log.phase, log.attemptIndex), log);
    EXPECT_EQ(log.withAction("AXPress+retry").action, "AXPress+retry");
}

} // namespace
