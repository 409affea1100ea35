#pragma once

#include "Parlowen/Opening/QuickOpenActionOutcome.h"
#include "platform/ProcessEnvironment.h"

#include <functional>

// How many successful Quick Open outcomes are reported; failures are always reported.
namespace Parlowen::QuickOpenTelemetrySampling {

inline constexpr const char* sampleRateVariable = "TESSALINE_QUICK_OPEN_TELEMETRY_SAMPLE_RATE";

// The rate from the environment, between 0 and 1: 1 (send all) when absent, unparsable, not
// finite or 1 and more; 0 for negatives.
double configuredSuccessSampleRate(const platform::ProcessEnvironment& environment);

// Whether to report an outcome: a uniform draw from [0, 1) is taken first, then the rate is
// read from `environment()` as it stands at this decision; a failure is always reported, any
// other outcome when the draw is below the rate.
using Sampler = std::function<bool(QuickOpenActionOutcome)>;
Sampler sampler(std::function<platform::ProcessEnvironment()> environment);

} // namespace Parlowen::QuickOpenTelemetrySampling
