#pragma once

#include "core/MenuKeyboardNavigability.h"
#include "core/MenuOpenEvidenceSource.h"
#include "core/MenuOpenPipelinePhase.h"

#include <cstdint>
#include <string>

namespace QelCore {

// One attempt to open an item's menu.
struct ActionAttemptLog {
    std::string appName;
    std::int64_t pid = 0;
    std::string title;
    std::string role;
    std::string subrole;
    std::string action;
    std::string result;
    std::int32_t errorCode = 0;
    MenuOpenEvidenceSource evidenceSource = MenuOpenEvidenceSource::none;
    MenuKeyboardNavigability keyboardNavigability = MenuKeyboardNavigability::unknown;
    MenuOpenPipelinePhase phase = MenuOpenPipelinePhase::lightweight;
    std::int64_t attemptIndex = 0;

    friend bool operator==(const ActionAttemptLog&, const ActionAttemptLog&) = default;

    // A copy placed at `attemptIndex` of a request, in `phase`.
    ActionAttemptLog tagged(MenuOpenPipelinePhase phase, std::int64_t attemptIndex) const;
    // A copy with only the action name replaced.
    ActionAttemptLog withAction(std::string action) const;
};

} // namespace QelCore
