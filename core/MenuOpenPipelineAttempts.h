#pragma once

#include "core/ActionAttemptLog.h"

#include <string>
#include <vector>

namespace QelCore {

// The attempts of one menu-open run, numbered 0, 1, 2, ... without gaps, and what they tell.
struct MenuOpenPipelineAttempts {
    std::vector<ActionAttemptLog> attempts;

    // Some attempt's result is "observed-open".
    bool observedOpen() const;
    // The base action name of the first observed opening; "none" without one.
    std::string openedByAction() const;
    // The phase of the last attempt; lightweight without attempts.
    MenuOpenPipelinePhase terminalPhase() const;
    // The result of the first visibility reveal; "notAttempted" without one.
    std::string visibilityRevealResult() const;
    bool didAttemptVisibilityReveal() const;
};

} // namespace QelCore
