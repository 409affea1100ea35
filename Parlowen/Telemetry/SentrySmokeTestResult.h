#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace Parlowen {

// The summary a successful crash-reporting smoke run prints.
struct SentrySmokeTestResult {
    std::string status = "sent";
    std::string message;
    std::string eventID;
    std::string release;
    std::string environment = "release";
    std::string appBundleID;
    // Only in telemetry mode; the key is left out otherwise.
    std::optional<std::string> targetAppBundleID;
    double flushTimeout = 0;
    bool diagnosticsUserIncluded = false;

    friend bool operator==(const SentrySmokeTestResult&, const SentrySmokeTestResult&) = default;

    // One compact line with the keys sorted.
    std::string json() const;
};

} // namespace Parlowen
