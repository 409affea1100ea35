#include "core/ActionAttemptPlanner.h"

#include <algorithm>

namespace QelCore::ActionAttemptPlanner {

namespace {
constexpr std::string_view retrySuffix = "+retry";

std::optional<CGPoint> finitePoint(CGPoint point) {
    return point.isFinite() ? std::optional<CGPoint>(point) : std::nullopt;
}
} // namespace

std::vector<std::string> preferredActions(const std::vector<std::string>& advertisedActions) {
    std::vector<std::string> result;
    for (const std::string_view name : preferredActionPriority) {
        if (std::find(advertisedActions.begin(), advertisedActions.end(), name) !=
            advertisedActions.end()) {
            result.emplace_back(name);
        }
    }
    return result;
}

bool isTransientFailure(std::int32_t errorCode) {
    return std::find(transientFailureErrorCodes.begin(), transientFailureErrorCodes.end(),
                     errorCode) != transientFailureErrorCodes.end();
}

std::string renamedActionForRetry(std::string_view action) {
    std::string renamed(action);
    renamed += retrySuffix;
    return renamed;
}

std::string normalizedActionName(std::string_view action) {
    if (action == coordinateClickRetryActionName) {
        return std::string(coordinateClickActionName);
    }
    for (const std::string_view name : preferredActionPriority) {
        if (action == renamedActionForRetry(name)) {
            return std::string(name);
        }
    }
    return std::string(action);
}

std::optional<CGPoint> coordinateClickPoint(const std::optional<CGRect>& rect) {
    if (!rect || rect->isEmpty()) {
        return std::nullopt;
    }
    return finitePoint({rect->midX(), rect->midY()});
}

std::optional<CGPoint> axClickPoint(const std::optional<CGPoint>& position,
                                    const std::optional<CGSize>& size) {
    if (!position || !size || !(size->width > 0) || !(size->height > 0)) {
        return std::nullopt;
    }
    return finitePoint({position->x + size->width * 0.5, position->y + size->height * 0.5});
}

bool requiresVisibilityReveal(VisibilityClassification classification) {
    return isHidden(classification);
}

} // namespace QelCore::ActionAttemptPlanner
