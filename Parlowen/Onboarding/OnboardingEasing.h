#pragma once

#include <algorithm>

// The easing of the onboarding window's drawn animations.
namespace Parlowen::OnboardingEasing {

inline double clamp(double x) {
    return std::clamp(x, 0.0, 1.0);
}

// clamp(x)² × (3 − 2 × clamp(x)).
inline double smoothstep(double x) {
    const double t = clamp(x);
    return t * t * (3 - 2 * t);
}

// How far `phase` has come through the window from `start` to `end`, smoothed.
inline double ease(double phase, double start, double end) {
    return smoothstep((phase - start) / (end - start));
}

// Advances a looping phase by `step`, wrapping to exactly 0 once it has reached 1. Steps add up
// with rounding error, so a phase within a hair of 1 counts as having reached it.
inline double advanceLoop(double phase, double step) {
    constexpr double tolerance = 1e-9;
    return phase >= 1.0 - tolerance ? 0.0 : phase + step;
}

} // namespace Parlowen::OnboardingEasing
