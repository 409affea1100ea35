#include "Parlowen/Opening/QuickOpenActionFeedback.h"

#include "Parlowen/Settings/L10n.h"
#include "core/ActionAttemptPlanner.h"

#include <algorithm>

namespace Parlowen {

namespace {

using QelCore::ActionAttemptLog;
using QelCore::MenuKeyboardNavigability;
using enum QuickOpenActionOutcome;

using QelCore::ActionAttemptPlanner::noSupportedActionResult;
using QelCore::ActionAttemptPlanner::observedOpenResult;
using QelCore::ActionAttemptPlanner::visibilityRevealAmbiguousTargetResult;

std::string namedMessage(std::string_view key, std::string_view defaultText,
                         const std::string& appName) {
    return L10n::format(L10n::string(key, defaultText), {appName});
}

QuickOpenActionFeedback failedFeedback(const std::string& appName) {
    return {appName, failed, namedMessage("quick_open.action.failed", "Could not open %@", appName),
            false, MenuKeyboardNavigability::unknown};
}

bool anyAttempt(const std::vector<ActionAttemptLog>& attempts, auto predicate) {
    return std::any_of(attempts.begin(), attempts.end(), predicate);
}

} // namespace

QuickOpenActionFeedback QuickOpenActionFeedback::opening(const std::string& appName) {
    return {appName, QuickOpenActionOutcome::opening,
            namedMessage("quick_open.action.opening", "Opening %@...", appName), false,
            MenuKeyboardNavigability::unknown};
}

bool QuickOpenActionFeedback::observedOpen(const std::vector<ActionAttemptLog>& attempts) {
    return anyAttempt(attempts, [](const auto& log) { return log.result == observedOpenResult; });
}

MenuKeyboardNavigability
QuickOpenActionFeedback::keyboardNavigabilityIn(const std::vector<ActionAttemptLog>& attempts,
                                                bool openObserved) {
    if (!openObserved) {
        return MenuKeyboardNavigability::unknown;
    }
    const auto observed = std::find_if(attempts.begin(), attempts.end(), [](const auto& log) {
        return log.result == observedOpenResult;
    });
    if (observed == attempts.end()) {
        return MenuKeyboardNavigability::unknown;
    }
    if (observed->keyboardNavigability != MenuKeyboardNavigability::unknown) {
        return observed->keyboardNavigability;
    }
    return QelCore::inferKeyboardNavigability(true, observed->evidenceSource);
}

QuickOpenActionFeedback QuickOpenActionFeedback::make(const std::string& appName,
                                                      const std::vector<ActionAttemptLog>& attempts,
                                                      bool observedOpen) {
    if (observedOpen || QuickOpenActionFeedback::observedOpen(attempts)) {
        return {appName, QuickOpenActionOutcome::observedOpen,
                namedMessage("quick_open.action.opened", "Opened %@", appName), true,
                keyboardNavigabilityIn(attempts, true)};
    }
    // Actions accepted on an item that the reveal could not tell from its twins opened
    // nothing that can be called this item's menu.
    if (anyAttempt(attempts, [](const auto& log) {
            return log.result == visibilityRevealAmbiguousTargetResult;
        })) {
        return failedFeedback(appName);
    }
    if (anyAttempt(attempts,
                   [](const auto& log) { return log.result == noSupportedActionResult; })) {
        return {appName, failed,
                L10n::string("quick_open.action.unsupported",
                             "This app does not expose a menu bar action Tessaline can open yet."),
                false, MenuKeyboardNavigability::unknown};
    }
    if (anyAttempt(attempts, [](const auto& log) { return log.errorCode == 0; })) {
        return {appName, actionSent,
                namedMessage("quick_open.action.action_sent",
                             "Tessaline could not confirm %@ opened. Click its menu bar icon, or "
                             "refresh and try again.",
                             appName),
                false, MenuKeyboardNavigability::unknown};
    }
    return failedFeedback(appName);
}

} // namespace Parlowen
