#include "Parlowen/Telemetry/QuickOpenTelemetrySampling.h"

#include "core/NumberText.h"
#include "core/TextFolding.h"

#include <cmath>
#include <random>

namespace Parlowen::QuickOpenTelemetrySampling {

double configuredSuccessSampleRate(const platform::ProcessEnvironment& environment) {
    const auto found = environment.find(sampleRateVariable);
    if (found == environment.end()) {
        return 1.0;
    }
    const auto rate = QelCore::parsedDecimal(QelCore::TextFolding::trimmed(found->second));
    if (!rate || !std::isfinite(*rate)) {
        return 1.0;
    }
    if (*rate < 0) {
        return 0.0;
    }
    return *rate >= 1.0 ? 1.0 : *rate;
}

Sampler sampler(std::function<platform::ProcessEnvironment()> environment) {
    return [environment = std::move(environment)](QuickOpenActionOutcome outcome) {
        thread_local std::mt19937_64 generator{std::random_device{}()};
        // Drawn first, so every decision takes one number whatever its outcome.
        const double draw = std::uniform_real_distribution<double>(0.0, 1.0)(generator);
        return outcome == QuickOpenActionOutcome::failed ||
               draw < configuredSuccessSampleRate(environment());
    };
}

} // namespace Parlowen::QuickOpenTelemetrySampling
