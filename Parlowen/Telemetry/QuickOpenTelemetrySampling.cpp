#include "Parlowen/Telemetry/QuickOpenTelemetrySampling.h"

#include "core/NumberText.h"
#include "core/TextFolding.h"

#include <cmath>

namespace Parlowen::QuickOpenTelemetrySampling {

double configuredSuccessSampleRate(const std::map<std::string, std::string>& environment) {
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

} // namespace Parlowen::QuickOpenTelemetrySampling
