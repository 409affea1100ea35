#include "Parlowen/Telemetry/QuickOpenTelemetryEvent.h"

#include "Parlowen/Telemetry/TelemetryBundleValues.h"
#include "core/ActionAttemptPlanner.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace Parlowen {

namespace {

namespace Planner = QelCore::ActionAttemptPlanner;
using Attempts = std::vector<QelCore::ActionAttemptLog>;

bool isObservedOpen(const QelCore::ActionAttemptLog& attempt) {
    return attempt.result == Planner::observedOpenResult;
}

const QelCore::ActionAttemptLog* firstObservedOpen(const Attempts& attempts) {
    const auto found = std::find_if(attempts.begin(), attempts.end(), isObservedOpen);
    return found == attempts.end() ? nullptr : &*found;
}

// The most telling action tried: a reveal over a click over the Accessibility actions.
std::string primaryAction(const Attempts& attempts) {
    if (attempts.empty()) {
        return "none";
    }
    static constexpr std::string_view priority[] = {
        Planner::visibilityRevealActionName, Planner::coordinateClickActionName,
        Planner::axShowMenuActionName, Planner::axPressActionName};
    for (const auto action : priority) {
        const bool tried = std::any_of(attempts.begin(), attempts.end(), [&](const auto& attempt) {
            return Planner::normalizedActionName(attempt.action) == action;
        });
        if (tried) {
            return std::string(action);
        }
    }
    return attempts.front().action;
}

std::string openedByAction(const Attempts& attempts) {
    const auto* observed = firstObservedOpen(attempts);
    return observed ? Planner::normalizedActionName(observed->action) : "none";
}

std::string visibilityRevealResult(const Attempts& attempts) {
    const auto found = std::find_if(attempts.begin(), attempts.end(), [](const auto& attempt) {
        return Planner::normalizedActionName(attempt.action) == Planner::visibilityRevealActionName;
    });
    return found == attempts.end() ? "notAttempted" : found->result;
}

std::int64_t observedAttemptIndex(const Attempts& attempts) {
    const auto* observed = firstObservedOpen(attempts);
    return observed ? observed->attemptIndex : -1;
}

std::vector<std::string> actionSequence(const Attempts& attempts) {
    std::vector<std::string> sequence;
    sequence.reserve(attempts.size());
    for (const auto& attempt : attempts) {
        sequence.push_back(std::to_string(attempt.attemptIndex) + ":" +
                           QelCore::toString(attempt.phase) + ":" +
                           Planner::normalizedActionName(attempt.action) + ":" + attempt.result +
                           ":" + QelCore::toString(attempt.evidenceSource));
    }
    return sequence;
}

// Milliseconds rounded half away from zero; 0 for negative or non-finite durations, and the
// largest count for durations beyond it, so no conversion overflows.
std::int64_t durationMilliseconds(double seconds) {
    const double milliseconds = std::round(seconds * 1000.0);
    if (!std::isfinite(milliseconds) || milliseconds <= 0) {
        return 0;
    }
    // 2^63 is exactly representable; anything at or above it does not fit.
    if (milliseconds >= 9223372036854775808.0) {
        return std::numeric_limits<std::int64_t>::max();
    }
    return static_cast<std::int64_t>(milliseconds);
}

template <typename Predicate> std::int64_t countOf(const Attempts& attempts, Predicate predicate) {
    return static_cast<std::int64_t>(std::count_if(attempts.begin(), attempts.end(), predicate));
}

} // namespace

QuickOpenTelemetryEvent QuickOpenTelemetryEvent::make(
    const AXMenuBarItemRecord& item, const QuickOpenActionFeedback& feedback,
    const Attempts& attempts, QelCore::MenuOpenEvidenceSource evidenceSource,
    bool accessibilityGranted, double duration, QuickOpenTelemetryTrigger trigger,
    const std::string& appVersion, const std::string& appBundleID) {
    const std::string revealResult = visibilityRevealResult(attempts);
    QuickOpenTelemetryEvent event;
    event.name = "quick_open_attempt";
    event.tags = {
        {"outcome", QelCore::toString(feedback.outcome)},
        {"openObserved", feedback.openObserved ? "true" : "false"},
        {"keyboardNavigable", QelCore::toString(feedback.keyboardNavigability)},
        {"evidenceSource", QelCore::toString(evidenceSource)},
        {"classification", QelCore::toString(item.classification)},
        {"action", primaryAction(attempts)},
        {"openedByAction", openedByAction(attempts)},
        {"accessibility", accessibilityGranted ? "granted" : "missing"},
        {"appVersion", appVersion},
        {"appBundleID", appBundleID},
        {"targetAppBundleID", item.bundleIdentifier.value_or("unknown")},
        {"trigger", QelCore::toString(trigger)},
        {"pipelineVersion", "2"},
        {"terminalPhase",
         attempts.empty() ? "lightweight" : QelCore::toString(attempts.back().phase)},
        {"visibilityRevealResult", revealResult},
        {"visibilityRevealAttempted", revealResult == "notAttempted" ? "false" : "true"},
    };
    event.extras = {
        {"durationMs", durationMilliseconds(duration)},
        {"attemptCount", static_cast<std::int64_t>(attempts.size())},
        {"successAttemptCount",
         countOf(attempts, [](const auto& attempt) { return attempt.errorCode == 0; })},
        {"supportedActionCount", countOf(attempts,
                                         [](const auto& attempt) {
                                             return attempt.result !=
                                                    Planner::noSupportedActionResult;
                                         })},
        {"observedAttemptIndex", observedAttemptIndex(attempts)},
        {"postRevealAttemptCount", countOf(attempts,
                                           [](const auto& attempt) {
                                               return attempt.phase ==
                                                      QelCore::MenuOpenPipelinePhase::postReveal;
                                           })},
        {"actionSequence", actionSequence(attempts)},
    };
    return event;
}

QuickOpenTelemetryEvent QuickOpenTelemetryEvent::make(
    const AXMenuBarItemRecord& item, const QuickOpenActionFeedback& feedback,
    const Attempts& attempts, QelCore::MenuOpenEvidenceSource evidenceSource,
    bool accessibilityGranted, double duration, QuickOpenTelemetryTrigger trigger,
    const platform::BundleInfo& bundle) {
    return make(item, feedback, attempts, evidenceSource, accessibilityGranted, duration, trigger,
                TelemetryBundleValues::shortVersion(bundle),
                TelemetryBundleValues::appBundleID(bundle));
}

QelCore::MenuOpenEvidenceSource QuickOpenTelemetryEvent::evidenceSource(const Attempts& attempts) {
    const auto found = std::find_if(attempts.begin(), attempts.end(), [](const auto& attempt) {
        return isObservedOpen(attempt) &&
               attempt.evidenceSource != QelCore::MenuOpenEvidenceSource::none;
    });
    return found == attempts.end() ? QelCore::MenuOpenEvidenceSource::none : found->evidenceSource;
}

} // namespace Parlowen
