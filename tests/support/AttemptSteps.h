#pragma once

#include "core/ActionAttemptLog.h"

#include <cstdint>
#include <string>
#include <vector>

// The parts of attempt logs that tell what happened, for comparing runs with a table.
namespace AttemptSteps {

struct Step {
    std::string action;
    std::string result;
    std::int32_t errorCode = 0;
    QelCore::MenuOpenEvidenceSource evidence = QelCore::MenuOpenEvidenceSource::none;
    QelCore::MenuOpenPipelinePhase phase = QelCore::MenuOpenPipelinePhase::lightweight;

    friend bool operator==(const Step&, const Step&) = default;
};

inline std::vector<Step> steps(const std::vector<QelCore::ActionAttemptLog>& logs) {
    std::vector<Step> result;
    for (const auto& log : logs) {
        result.push_back({log.action, log.result, log.errorCode, log.evidenceSource, log.phase});
    }
    return result;
}

// One line per step, for failure messages.
inline std::string describe(const std::vector<Step>& steps) {
    std::string text;
    for (const auto& step : steps) {
        text += step.action + " " + step.result + " " + std::to_string(step.errorCode) + " " +
                QelCore::toString(step.evidence) + " " + QelCore::toString(step.phase) + "\n";
    }
    return text;
}

} // namespace AttemptSteps
