#pragma once

#include <map>
#include <string>

// How many successful Quick Open outcomes are reported; failures are always reported.
namespace Parlowen::QuickOpenTelemetrySampling {

inline constexpr const char* sampleRateVariable = "TESSALINE_QUICK_OPEN_TELEMETRY_SAMPLE_RATE";

// The rate from the environment, between 0 and 1: 1 (send all) when absent, unparsable, not
// finite or 1 and more; 0 for negatives.
double configuredSuccessSampleRate(const std::map<std::string, std::string>& environment);

} // namespace Parlowen::QuickOpenTelemetrySampling
