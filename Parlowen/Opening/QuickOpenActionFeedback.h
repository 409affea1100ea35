#pragma once

#include "Parlowen/Opening/QuickOpenActionOutcome.h"
#include "core/ActionAttemptLog.h"

#include <string>
#include <vector>

namespace Parlowen {

// What the user is told about one open request.
struct QuickOpenActionFeedback {
    std::string appName;
    QuickOpenActionOutcome outcome = QuickOpenActionOutcome::failed;
    std::string message;
    bool openObserved = false;
    QelCore::MenuKeyboardNavigability keyboardNavigability =
        QelCore::MenuKeyboardNavigability::unknown;

    friend bool operator==(const QuickOpenActionFeedback&,
                           const QuickOpenActionFeedback&) = default;

    // Shown while the request runs.
    static QuickOpenActionFeedback opening(const std::string& appName);
    // Whether any attempt saw the menu open.
    static bool observedOpen(const std::vector<QelCore::ActionAttemptLog>& attempts);
    // The navigability of the first attempt that saw the menu open.
    static QelCore::MenuKeyboardNavigability
    keyboardNavigabilityIn(const std::vector<QelCore::ActionAttemptLog>& attempts,
                           bool openObserved);
    // The final feedback of a request; `observedOpen` is set by a caller that already knows.
    static QuickOpenActionFeedback make(const std::string& appName,
                                        const std::vector<QelCore::ActionAttemptLog>& attempts,
                                        bool observedOpen);
};

} // namespace Parlowen
