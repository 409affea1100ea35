#pragma once

#include <nlohmann/json.hpp>

#include <map>
#include <string>

namespace Parlowen {

// Values attached to a telemetry event beside its tags: numbers, texts and lists of them.
using TelemetryExtras = std::map<std::string, nlohmann::json>;

// A named telemetry event as the crash reporter sends it: the name becomes the message, tags
// are indexed and searchable texts, extras are attached values.
struct DiagnosticTelemetryEvent {
    std::string name;
    std::map<std::string, std::string> tags;
    TelemetryExtras extras;

    friend bool operator==(const DiagnosticTelemetryEvent&,
                           const DiagnosticTelemetryEvent&) = default;
};

} // namespace Parlowen
