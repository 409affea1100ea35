#include "core/ActionAttemptLog.h"

#include <utility>

namespace QelCore {

ActionAttemptLog ActionAttemptLog::tagged(MenuOpenPipelinePhase newPhase,
                                          std::int64_t newAttemptIndex) const {
    ActionAttemptLog copy = *this;
    copy.phase = newPhase;
    copy.attemptIndex = newAttemptIndex;
    return copy;
}

ActionAttemptLog ActionAttemptLog::withAction(std::string newAction) const {
    ActionAttemptLog copy = *this;
    copy.action = std::move(newAction);
    return copy;
}

} // namespace QelCore
