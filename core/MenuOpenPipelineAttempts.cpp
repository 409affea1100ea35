#include "core/MenuOpenPipelineAttempts.h"

#include "core/ActionAttemptPlanner.h"

#include <algorithm>

namespace QelCore {

namespace {
constexpr std::string_view notAttempted = "notAttempted";

bool isObservedOpen(const ActionAttemptLog& log) {
    return log.result == ActionAttemptPlanner::observedOpenResult;
}
} // namespace

bool MenuOpenPipelineAttempts::observedOpen() const {
    return std::any_of(attempts.begin(), attempts.end(), isObservedOpen);
}

std::string MenuOpenPipelineAttempts::openedByAction() const {
    const auto opened = std::find_if(attempts.begin(), attempts.end(), isObservedOpen);
    return opened == attempts.end() ? "none"
                                    : ActionAttemptPlanner::normalizedActionName(opened->action);
}

MenuOpenPipelinePhase MenuOpenPipelineAttempts::terminalPhase() const {
    return attempts.empty() ? MenuOpenPipelinePhase::lightweight : attempts.back().phase;
}

std::string MenuOpenPipelineAttempts::visibilityRevealResult() const {
    const auto reveal = std::find_if(attempts.begin(), attempts.end(), [](const auto& log) {
        return ActionAttemptPlanner::normalizedActionName(log.action) ==
               ActionAttemptPlanner::visibilityRevealActionName;
    });
    return reveal == attempts.end() ? std::string(notAttempted) : reveal->result;
}

bool MenuOpenPipelineAttempts::didAttemptVisibilityReveal() const {
    return visibilityRevealResult() != notAttempted;
}

} // namespace QelCore
