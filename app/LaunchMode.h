#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Parlowen {

// How this process was started, decided once from the command line.
enum class LaunchMode { product, debug, sentrySmoke, updateSmoke };

std::string_view toString(LaunchMode mode);

// The first of "--update-smoke", "--sentry-smoke" or "--quick-open-telemetry-smoke", "--debug"
// found as a whole argument (exact and case-sensitive) gives the mode; else `product`.
LaunchMode detectLaunchMode(const std::vector<std::string>& arguments);

// Whether "--visual-snapshot" is one of the arguments (only the product and debug modes reach
// it).
bool wantsVisualSnapshot(const std::vector<std::string>& arguments);

// Whether the start needs no display: the smoke modes and the visual snapshot.
bool runsWithoutDisplay(LaunchMode mode, const std::vector<std::string>& arguments);

// The value after "--desktop", else the environment's TESSALINE_DESKTOP; empty when neither
// names a desktop description (the compiled-in one is used). None when "--desktop" has no path
// after it (it ends the command line, or an empty argument or another option follows), which
// must not start the compiled-in desktop as if no path had been asked for.
std::optional<std::string> desktopDescriptionPath(const std::vector<std::string>& arguments,
                                                  const char* environmentValue);

} // namespace Parlowen
