#pragma once

#include "core/ActionAttemptLog.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace QelCore {

// Per-item success figures of an experiment: each distinct target (app name, pid, title, role,
// subrole) counts once, and succeeds when any of its attempts observed the menu opening.
struct ActionAttemptSummary {
    std::int64_t totalCount = 0;
    std::int64_t successCount = 0;
    std::int64_t failureCount = 0;
    double successRate = 0;
    // The rate in percent, rounded to one decimal place.
    double successRatePercent = 0;
    // For failed targets only: the number of their failed attempts per non-zero error code.
    std::map<std::int32_t, std::int64_t> failuresByErrorCode;
    // The app names of the failed targets, without duplicates, sorted ascending.
    std::vector<std::string> failedApps;

    ActionAttemptSummary() = default;
    explicit ActionAttemptSummary(const std::vector<ActionAttemptLog>& attempts);

    friend bool operator==(const ActionAttemptSummary&, const ActionAttemptSummary&) = default;

    // The report record: the five numbers, "failedApps", then "failuresByErrorCode" keyed by the
    // codes in decimal.
    nlohmann::ordered_json toJson() const;
};

} // namespace QelCore
