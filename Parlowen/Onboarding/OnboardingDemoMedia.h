#pragma once

#include "Parlowen/Settings/QuickAccessModifierShortcut.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The demo videos of the onboarding window: which names are tried for a shortcut and a language,
// and the first that the app's resources hold. The program ships none; the drawn demo stands in.
namespace Parlowen::OnboardingDemoMedia {

inline constexpr const char* resourcePrefix = "onboarding-quick-open-demo";
inline constexpr const char* videoExtension = "mp4";

// While set, the demo never plays a video (still pictures are being rendered). Main thread.
extern bool forcePosterForSnapshots;

// The resource names to try for the shortcut, in order, for the video language `locale`.
std::vector<std::string> resourceNames(QuickAccessModifierShortcut shortcut,
                                       std::string_view locale);
// The same for the app's and the user's languages.
std::vector<std::string> resourceNames(QuickAccessModifierShortcut shortcut);

// The first demo video found for the shortcut in the app's resource bundles, or none.
std::optional<std::filesystem::path> videoURL(QuickAccessModifierShortcut shortcut);

// "zh-Hans" when the first Chinese or English entry (any case) is Chinese, else "en".
std::string preferredVideoLocale(const std::vector<std::string>& languages);
// The same over the resource bundles' localizations, then the user's languages.
std::string preferredVideoLocale();

} // namespace Parlowen::OnboardingDemoMedia
