#include "core/ActionAttemptSummary.h"

#include "core/ActionAttemptPlanner.h"

#include <algorithm>
#include <cmath>

namespace QelCore {

namespace {

// The fields that make two attempts belong to one target.
struct SummaryTarget {
    std::string appName;
    std::int64_t pid = 0;
    std::string title;
    std::string role;
    std::string subrole;

    friend auto operator<=>(const SummaryTarget&, const SummaryTarget&) = default;
};

struct SummaryTargetOutcome {
    std::string appName;
    bool didSucceed = false;
    std::vector<const ActionAttemptLog*> failedAttempts;
};

} // namespace

ActionAttemptSummary::ActionAttemptSummary(const std::vector<ActionAttemptLog>& attempts) {
    std::map<SummaryTarget, SummaryTargetOutcome> outcomes;
    for (const auto& attempt : attempts) {
        auto& outcome =
            outcomes[{attempt.appName, attempt.pid, attempt.title, attempt.role, attempt.subrole}];
        outcome.appName = attempt.appName;
        if (attempt.result == ActionAttemptPlanner::observedOpenResult) {
            outcome.didSucceed = true;
        } else {
            outcome.failedAttempts.push_back(&attempt);
        }
    }

    totalCount = static_cast<std::int64_t>(outcomes.size());
    for (const auto& [target, outcome] : outcomes) {
        if (outcome.didSucceed) {
            ++successCount;
            continue;
        }
        failedApps.push_back(outcome.appName);
        for (const auto* failed : outcome.failedAttempts) {
            if (failed->errorCode != 0) {
                ++failuresByErrorCode[failed->errorCode];
            }
        }
    }
    failureCount = totalCount - successCount;
    successRate =
        totalCount == 0 ? 0.0 : static_cast<double>(successCount) / static_cast<double>(totalCount);
    successRatePercent = std::round(successRate * 1000) / 10;

    std::sort(failedApps.begin(), failedApps.end());
    failedApps.erase(std::unique(failedApps.begin(), failedApps.end()), failedApps.end());
}

nlohmann::ordered_json ActionAttemptSummary::toJson() const {
    nlohmann::ordered_json json;
    json["totalCount"] = totalCount;
    json["successCount"] = successCount;
    json["failureCount"] = failureCount;
    json["successRate"] = successRate;
    json["successRatePercent"] = successRatePercent;
    json["failedApps"] = failedApps;
    auto byCode = nlohmann::ordered_json::object();
    for (const auto& [code, count] : failuresByErrorCode) {
        byCode[std::to_string(code)] = count;
    }
    json["failuresByErrorCode"] = std::move(byCode);
    return json;
}

} // namespace QelCore
