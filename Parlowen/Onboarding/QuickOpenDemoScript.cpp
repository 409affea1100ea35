#include "Parlowen/Onboarding/QuickOpenDemoScript.h"

#include "Parlowen/Onboarding/OnboardingEasing.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace Parlowen::QuickOpenDemoScript {

double advance(double phase) {
    return OnboardingEasing::advanceLoop(phase, step);
}

int typedLength(double phase) {
    const double typed = std::floor(8 * OnboardingEasing::ease(phase, 0.36, 0.58));
    return std::clamp(static_cast<int>(typed), 0, 7);
}

std::string typedText(double phase) {
    return std::string(std::string_view(typedName).substr(0, typedLength(phase)));
}

} // namespace Parlowen::QuickOpenDemoScript
