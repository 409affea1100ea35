#pragma once

#include <string>

// The script of the drawn Quick Open demo: the pair's keys light up, the panel rises, "Dropbox"
// is typed and its menu opens, in a loop of 25 ticks. Plain arithmetic over the phase p.
namespace Parlowen::QuickOpenDemoScript {

// Panel open, text typed, menu open: the still picture and where the loop starts.
inline constexpr double stillPhase = 0.78;
inline constexpr double tickSeconds = 0.12;
inline constexpr double step = 0.04;
// The panel's fixed rise when no shortcut is chosen.
inline constexpr double restingPanelRise = 0.72;
inline constexpr const char* typedName = "Dropbox";

// The next phase of the loop.
double advance(double phase);
// How many letters of "Dropbox" are typed at p: ⌊8 × ease(0.36, 0.58)⌋, at most 7.
int typedLength(double phase);
// The search text at p.
std::string typedText(double phase);

} // namespace Parlowen::QuickOpenDemoScript
