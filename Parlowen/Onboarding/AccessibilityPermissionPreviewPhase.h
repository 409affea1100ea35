#pragma once

// The timeline of the drawn Accessibility settings picture: a still start, then a loop of 40
// ticks. Plain arithmetic, so its timing is checked without a window.
namespace Parlowen {

struct AccessibilityPermissionPreviewPhase {
    static constexpr int initialDelayTicks = 20;
    static constexpr double tickSeconds = 0.1;
    static constexpr double step = 0.025;
    // The finished picture (switch on, pointer gone), shown still when motion is reduced.
    static constexpr double reducedMotionPhase = 0.72;

    double animationPhase = 0;
    int remainingInitialDelayTicks = initialDelayTicks;

    // Back to the start: phase 0 and the full stillness ahead.
    void reset();
    // One tick; true when the picture changed.
    bool tick();

    // How far the switch is on (1 with reduced motion).
    static double switchOnAmount(double phase, bool reduceMotion);
    // The pulse around the app row, 0 to 1 and back: 0 before 0.62.
    static double pulse(double phase);
    // How far the pointer has travelled from the sidebar row to the switch.
    static double pointerTravel(double phase);
    // How visible the pointer is.
    static double pointerVisibility(double phase);
};

} // namespace Parlowen
