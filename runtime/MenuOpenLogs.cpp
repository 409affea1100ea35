#include "runtime/MenuOpenLogs.h"

#include "core/ActionAttemptPlanner.h"
#include "core/MenuKeyboardNavigability.h"

namespace QelRuntime::MenuOpenLogs {

namespace {

namespace Planner = QelCore::ActionAttemptPlanner;
using QelCore::ActionAttemptLog;

// Accessibility codes carried by logs that delivered nothing.
constexpr std::int32_t generalFailureCode = -25200;
constexpr std::int32_t unsupportedActionCode = -25206;
// The target's element is no longer valid, and nothing else tells it from its twins.
constexpr std::int32_t invalidElementCode = -25202;

} // namespace

ActionAttemptLog axAction(ActionAttemptLog log, const std::string& actionName,
                          const AXActionExecution& execution) {
    log.action = actionName;
    if (execution.observedOpen) {
        log.result = std::string(Planner::observedOpenResult);
    } else {
        log.result = execution.errorCode != 0 ? "failure" : "success";
    }
    log.errorCode = execution.errorCode;
    log.evidenceSource = execution.evidenceSource;
    log.keyboardNavigability =
        QelCore::inferKeyboardNavigability(execution.observedOpen, execution.evidenceSource);
    return log;
}

ActionAttemptLog coordinateClick(ActionAttemptLog log, const std::string& actionName,
                                 const CoordinateClickExecution& execution) {
    log.action = actionName;
    if (!execution.posted) {
        log.result = "failure";
    } else if (execution.observedOpen) {
        log.result = std::string(Planner::observedOpenResult);
    } else {
        log.result = "posted-unconfirmed";
    }
    log.errorCode = execution.posted ? 0 : generalFailureCode;
    log.evidenceSource = execution.evidenceSource;
    log.keyboardNavigability =
        QelCore::inferKeyboardNavigability(execution.observedOpen, execution.evidenceSource);
    return log;
}

ActionAttemptLog visibilityReveal(ActionAttemptLog log, const std::string& result) {
    log.action = std::string(Planner::visibilityRevealActionName);
    log.result = result;
    if (result == Planner::visibilityRevealNoPlanResult) {
        log.errorCode = unsupportedActionCode;
    } else if (result == Planner::visibilityRevealMoveFailedResult) {
        log.errorCode = generalFailureCode;
    } else if (result == Planner::visibilityRevealAmbiguousTargetResult) {
        log.errorCode = invalidElementCode;
    }
    return log;
}

ActionAttemptLog unsupported(ActionAttemptLog log) {
    log.action = "none";
    log.result = std::string(Planner::noSupportedActionResult);
    log.errorCode = unsupportedActionCode;
    return log;
}

} // namespace QelRuntime::MenuOpenLogs
