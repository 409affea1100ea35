#pragma once

#include "core/ActionAttemptLog.h"
#include "runtime/MenuOpenExecutions.h"

#include <string>

// The attempt logs of the live executors' answers: each carries the item's app, pid, title, role
// and subrole, phase `lightweight` and index 0 (the pipeline stamps the real phase and index).
namespace QelRuntime::MenuOpenLogs {

// A log naming the item and nothing else yet.
template <typename Record> QelCore::ActionAttemptLog itemLog(const Record& item) {
    QelCore::ActionAttemptLog log;
    log.appName = item.appName;
    log.pid = item.pid;
    log.title = item.title;
    log.role = item.role;
    log.subrole = item.subrole;
    return log;
}

// "observed-open", else "success" for error 0, else "failure", with the error code.
QelCore::ActionAttemptLog axAction(QelCore::ActionAttemptLog log, const std::string& actionName,
                                   const AXActionExecution& execution);
// "failure" with -25200 when nothing was posted, else "observed-open" or "posted-unconfirmed".
QelCore::ActionAttemptLog coordinateClick(QelCore::ActionAttemptLog log,
                                          const std::string& actionName,
                                          const CoordinateClickExecution& execution);
// A reveal with its result text; a reveal that moved nothing carries an error code, so that it
// never reads as an action sent.
QelCore::ActionAttemptLog visibilityReveal(QelCore::ActionAttemptLog log,
                                           const std::string& result);
// Action "none", "no-supported-action", -25206.
QelCore::ActionAttemptLog unsupported(QelCore::ActionAttemptLog log);

template <typename Record>
QelCore::ActionAttemptLog axActionLog(const std::string& actionName,
                                      const AXActionExecution& execution, const Record& item) {
    return axAction(itemLog(item), actionName, execution);
}
template <typename Record>
QelCore::ActionAttemptLog coordinateClickLog(const std::string& actionName,
                                             const CoordinateClickExecution& execution,
                                             const Record& item) {
    return coordinateClick(itemLog(item), actionName, execution);
}
template <typename Record>
QelCore::ActionAttemptLog visibilityRevealLog(const std::string& result, const Record& item) {
    return visibilityReveal(itemLog(item), result);
}
template <typename Record> QelCore::ActionAttemptLog unsupportedLog(const Record& item) {
    return unsupported(itemLog(item));
}

} // namespace QelRuntime::MenuOpenLogs
