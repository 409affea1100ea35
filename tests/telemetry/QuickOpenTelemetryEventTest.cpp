#include "Parlowen/Telemetry/QuickOpenTelemetryEvent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using Parlowen::QuickOpenTelemetryEvent;
using QelCore::ActionAttemptLog;
using QelCore::MenuOpenEvidenceSource;
using QelCore::MenuOpenPipelinePhase;

ActionAttemptLog attempt(std::string action, std::string result, std::int64_t index,
                         MenuOpenEvidenceSource evidence = MenuOpenEvidenceSource::none,
                         MenuOpenPipelinePhase phase = MenuOpenPipelinePhase::lightweight,
                         std::int32_t errorCode = 0) {
    ActionAttemptLog log;
    log.action = std::move(action);
    log.result = std::move(result);
    log.attemptIndex = index;
    log.evidenceSource = evidence;
    log.phase = phase;
    log.errorCode = errorCode;
    return log;
}

QuickOpenTelemetryEvent eventFor(const std::vector<ActionAttemptLog>& attempts,
                                 double duration = 1.0) {
    Parlowen::AXMenuBarItemRecord item;
    item.classification = QelCore::VisibilityClassification::hiddenBehindNotch;
    Parlowen::QuickOpenActionFeedback feedback;
    feedback.outcome = Parlowen::QuickOpenActionOutcome::observedOpen;
    feedback.openObserved = true;
    feedback.keyboardNavigability = QelCore::MenuKeyboardNavigability::notKeyboardNavigable;
    return QuickOpenTelemetryEvent::make(
        item, feedback, attempts, QuickOpenTelemetryEvent::evidenceSource(attempts), true, duration,
        Parlowen::QuickOpenTelemetryTrigger::perAppHotKey, "1.2.3", "app.tessaline.Tessaline");
}

TEST(QuickOpenTelemetryEvent, NoAttemptsGiveTheEmptySummaries) {
    const auto event = eventFor({});
    EXPECT_EQ(event.name, "quick_open_attempt");
    const std::map<std::string, std::string> expectedTags{
        {"outcome", "observedOpen"},
        {"openObserved", "true"},
        {"keyboardNavigable", "false"},
        {"evidenceSource", "none"},
        {"classification", "hiddenBehindNotch"},
        {"action", "none"},
        {"openedByAction", "none"},
        {"accessibility", "granted"},
        {"appVersion", "1.2.3"},
        {"appBundleID", "app.tessaline.Tessaline"},
        {"targetAppBundleID", "unknown"},
        {"trigger", "perAppHotKey"},
        {"pipelineVersion", "2"},
        {"terminalPhase", "lightweight"},
        {"visibilityRevealResult", "notAttempted"},
        {"visibilityRevealAttempted", "false"},
    };
    EXPECT_EQ(event.tags, expectedTags);
    const Parlowen::TelemetryExtras expectedExtras{
        {"durationMs", 1000},
        {"attemptCount", 0},
        {"successAttemptCount", 0},
        {"supportedActionCount", 0},
        {"observedAttemptIndex", -1},
        {"postRevealAttemptCount", 0},
        {"actionSequence", nlohmann::json::array()},
    };
    EXPECT_EQ(event.extras, expectedExtras);
}

TEST(QuickOpenTelemetryEvent, PrimaryActionFollowsItsPriorityOverNormalizedNames) {
    struct Row {
        const char* name;
        std::vector<std::string> actions;
        std::string expected;
    };
    const std::vector<Row> rows{
        {"retry folds to its base action", {"AXPress+retry", "AXPress"}, "AXPress"},
        {"show menu over press", {"AXPress", "AXShowMenu"}, "AXShowMenu"},
        {"reveal after a click still wins",
         {"CoordinateClick", "VisibilityReveal"},
         "VisibilityReveal"},
        {"click retry counts as a click", {"AXPress", "CoordinateClickRetry"}, "CoordinateClick"},
        {"unknown action as recorded", {"AXRaise+retry", "AXPick"}, "AXRaise+retry"},
    };
    for (const auto& row : rows) {
        std::vector<ActionAttemptLog> attempts;
        for (const auto& action : row.actions) {
            attempts.push_back(attempt(action, "failure", static_cast<int>(attempts.size())));
        }
        EXPECT_EQ(eventFor(attempts).tags.at("action"), row.expected) << row.name;
    }
}

TEST(QuickOpenTelemetryEvent, SummarizesAFullRequest) {
    const std::vector<ActionAttemptLog> attempts{
        attempt("AXPress+retry", "failure", 0, MenuOpenEvidenceSource::none,
                MenuOpenPipelinePhase::lightweight, -25204),
        attempt("AXShowMenu", "no-supported-action", 1, MenuOpenEvidenceSource::none,
                MenuOpenPipelinePhase::lightweight, -25206),
        attempt("VisibilityReveal", "moved-into-view", 2, MenuOpenEvidenceSource::none,
                MenuOpenPipelinePhase::visibilityReveal),
        attempt("AXPress", "observed-open", 3, MenuOpenEvidenceSource::none,
                MenuOpenPipelinePhase::postReveal),
        attempt("CoordinateClickRetry", "observed-open", 4, MenuOpenEvidenceSource::axMenuOpened,
                MenuOpenPipelinePhase::postReveal),
    };
    const auto event = eventFor(attempts);
    // The evidence comes from the first observed opening that has any, the index from the first.
    EXPECT_EQ(event.tags.at("evidenceSource"), "axMenuOpened");
    EXPECT_EQ(event.extras.at("observedAttemptIndex"), 3);
    EXPECT_EQ(event.tags.at("openedByAction"), "AXPress");
    EXPECT_EQ(event.tags.at("terminalPhase"), "postReveal");
    EXPECT_EQ(event.tags.at("visibilityRevealResult"), "moved-into-view");
    EXPECT_EQ(event.tags.at("visibilityRevealAttempted"), "true");
    EXPECT_EQ(event.extras.at("attemptCount"), 5);
    EXPECT_EQ(event.extras.at("successAttemptCount"), 3);
    EXPECT_EQ(event.extras.at("supportedActionCount"), 4);
    EXPECT_EQ(event.extras.at("postRevealAttemptCount"), 2);
    EXPECT_EQ(event.extras.at("actionSequence"),
              nlohmann::json({"0:lightweight:AXPress:failure:none",
                              "1:lightweight:AXShowMenu:no-supported-action:none",
                              "2:visibilityReveal:VisibilityReveal:moved-into-view:none",
                              "3:postReveal:AXPress:observed-open:none",
                              "4:postReveal:CoordinateClick:observed-open:axMenuOpened"}));
}

TEST(QuickOpenTelemetryEvent, DurationRoundsToMillisecondsAndNeverOverflows) {
    struct Row {
        const char* name;
        double seconds;
        std::int64_t milliseconds;
    };
    const std::vector<Row> rows{
        {"below half a millisecond", 0.0004, 0},
        {"whole seconds", 2.0, 2000},
        {"a half rounds away from zero", 0.0015, 2},
        {"negative", -3.0, 0},
        {"not a number", std::nan(""), 0},
        {"infinite", std::numeric_limits<double>::infinity(), 0},
        {"beyond 64 bits", 1e300, std::numeric_limits<std::int64_t>::max()},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(eventFor({}, row.seconds).extras.at("durationMs"), row.milliseconds) << row.name;
    }
}

TEST(QuickOpenTelemetryEvent, ConvertsFieldByFieldToTheDiagnosticForm) {
    const auto event = eventFor({attempt("AXPress", "observed-open", 0)});
    const auto diagnostic = event.diagnosticEvent();
    EXPECT_EQ(diagnostic.name, event.name);
    EXPECT_EQ(diagnostic.tags, event.tags);
    EXPECT_EQ(diagnostic.extras, event.extras);
}

} // namespace
