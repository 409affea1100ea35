#include "Parlowen/Onboarding/AccessibilityPermissionPreviewPhase.h"

#include "Parlowen/Onboarding/OnboardingEasing.h"

#include <algorithm>

namespace Parlowen {

void AccessibilityPermissionPreviewPhase::reset() {
    animationPhase = 0;
    remainingInitialDelayTicks = initialDelayTicks;
}

bool AccessibilityPermissionPreviewPhase::tick() {
    if (remainingInitialDelayTicks >= 1) {
        --remainingInitialDelayTicks;
        return false;
    }
    animationPhase = OnboardingEasing::advanceLoop(animationPhase, step);
    return true;
}

double AccessibilityPermissionPreviewPhase::switchOnAmount(double phase, bool reduceMotion) {
    return reduceMotion ? 1.0 : OnboardingEasing::smoothstep((phase - 0.38) / 0.24);
}

double AccessibilityPermissionPreviewPhase::pulse(double phase) {
    const double t = (phase - 0.62) / 0.38;
    if (t <= 0) {
        return 0;
    }
    return t < 0.5 ? t : 1 - std::min(t, 1.0);
}

double AccessibilityPermissionPreviewPhase::pointerTravel(double phase) {
    return OnboardingEasing::smoothstep((phase - 0.16) / 0.30);
}

double AccessibilityPermissionPreviewPhase::pointerVisibility(double phase) {
    return 1 - OnboardingEasing::clamp((phase - 0.68) / 0.20);
}

} // namespace Parlowen
