#include "Parlowen/Opening/QuickOpenActionFeedback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace Parlowen;
using QelCore::ActionAttemptLog;
using QelCore::MenuKeyboardNavigability;
using QelCore::MenuOpenEvidenceSource;

ActionAttemptLog
attempt(std::string result, int errorCode,
        MenuOpenEvidenceSource evidence = MenuOpenEvidenceSource::none,
        MenuKeyboardNavigability navigability = MenuKeyboardNavigability::unknown) {
    ActionAttemptLog log;
    log.appName = "Clock";
    log.action = "AXPress";
    log.result = std::move(result);
    log.errorCode = errorCode;
    log.evidenceSource = evidence;
    log.keyboardNavigability = navigability;
    return log;
}

TEST(QuickOpenActionFeedback, FirstMatchingRuleDecides) {
    using enum QuickOpenActionOutcome;
    struct Row {
        std::string name;
        std::vector<ActionAttemptLog> attempts;
        bool callerObserved;
        QuickOpenActionOutcome outcome;
        std::string message;
    };
    const std::string sent = "Tessaline could not confirm Dropbox opened. Click its menu bar icon, "
                             "or refresh and try again.";
    const std::string unsupported =
        "This app does not expose a menu bar action Tessaline can open yet.";
    const Row rows[] = {
        {"no attempts", {}, false, failed, "Could not open Dropbox"},
        {"failure then posted",
         {attempt("failure", -25204), attempt("posted-unconfirmed", 0)},
         false,
         actionSent,
         sent},
        {"unsupported beats sent",
         {attempt("success", 0), attempt("no-supported-action", -25206)},
         false,
         failed,
         unsupported},
        {"observed beats unsupported",
         {attempt("no-supported-action", -25206), attempt("observed-open", 0)},
         false,
         observedOpen,
         "Opened Dropbox"},
        {"caller knows it opened",
         {attempt("failure", -25200)},
         true,
         observedOpen,
         "Opened Dropbox"},
        {"a twin that could not be told apart is never an action sent",
         {attempt("success", 0), attempt("posted-unconfirmed", 0),
          attempt("ambiguous-reveal-target", -25202)},
         false,
         failed,
         "Could not open Dropbox"},
        {"only failures",
         {attempt("failure", -25200), attempt("failure", -25205)},
         false,
         failed,
         "Could not open Dropbox"},
    };
    for (const auto& row : rows) {
        const auto feedback =
            QuickOpenActionFeedback::make("Dropbox", row.attempts, row.callerObserved);
        EXPECT_EQ(feedback.outcome, row.outcome) << row.name;
        EXPECT_EQ(feedback.message, row.message) << row.name;
        EXPECT_EQ(feedback.openObserved, row.outcome == observedOpen) << row.name;
        EXPECT_EQ(feedback.appName, "Dropbox") << row.name;
    }
}

TEST(QuickOpenActionFeedback, NavigabilityComesFromTheFirstObservedAttempt) {
    using enum MenuOpenEvidenceSource;
    using enum MenuKeyboardNavigability;
    struct Row {
        std::string name;
        std::vector<ActionAttemptLog> attempts;
        bool callerObserved;
        MenuKeyboardNavigability expected;
    };
    const Row rows[] = {
        {"window evidence",
         {attempt("observed-open", 0, windowServerDiff)},
         false,
         notKeyboardNavigable},
        {"window created", {attempt("observed-open", 0, axWindowCreated)}, false, unknown},
        {"stored value wins",
         {attempt("observed-open", 0, windowServerDiff, keyboardNavigable)},
         false,
         keyboardNavigable},
        {"first observed only",
         {attempt("observed-open", 0, axMenuOpened), attempt("observed-open", 0, windowServerDiff)},
         false,
         keyboardNavigable},
        {"caller observed without attempt", {attempt("failure", -25200)}, true, unknown},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(QuickOpenActionFeedback::make("Clock", row.attempts, row.callerObserved)
                      .keyboardNavigability,
                  row.expected)
            << row.name;
    }
    EXPECT_EQ(QuickOpenActionFeedback::keyboardNavigabilityIn(
                  {attempt("observed-open", 0, axMenuOpened)}, false),
              unknown);
}

TEST(QuickOpenActionFeedback, AppNameIsFilledOnce) {
    const auto opening = QuickOpenActionFeedback::opening("50%@ Tool");
    EXPECT_EQ(opening.outcome, QuickOpenActionOutcome::opening);
    EXPECT_EQ(opening.message, "Opening 50%@ Tool...");
    EXPECT_FALSE(opening.openObserved);
    EXPECT_EQ(QuickOpenActionFeedback::make("%@", {}, false).message, "Could not open %@");
}

} // namespace
