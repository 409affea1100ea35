#include "Parlowen/Onboarding/OnboardingDemoMedia.h"

#include "Parlowen/Settings/AppResourceBundles.h"
#include "Parlowen/Settings/ResourceBundle.h"

#include <system_error>

namespace Parlowen::OnboardingDemoMedia {

bool forcePosterForSnapshots = false;

namespace {

constexpr std::string_view chineseLocale = "zh-Hans";
constexpr std::string_view englishLocale = "en";

std::string lowercased(std::string text) {
    for (char& character : text) {
        if (character >= 'A' && character <= 'Z') {
            character = static_cast<char>(character - 'A' + 'a');
        }
    }
    return text;
}

} // namespace

std::vector<std::string> resourceNames(QuickAccessModifierShortcut shortcut,
                                       std::string_view locale) {
    const std::string mode(QelCore::toString(shortcut));
    const std::string other(locale == chineseLocale ? englishLocale : chineseLocale);
    const std::string prefix = std::string(resourcePrefix) + "-";
    return {prefix + std::string(locale) + "-" + mode, prefix + other + "-" + mode, prefix + mode,
            resourcePrefix};
}

std::vector<std::string> resourceNames(QuickAccessModifierShortcut shortcut) {
    return resourceNames(shortcut, preferredVideoLocale());
}

std::optional<std::filesystem::path> videoURL(QuickAccessModifierShortcut shortcut) {
    const std::vector<ResourceBundle> bundles = AppResourceBundles::candidates();
    for (const std::string& name : resourceNames(shortcut)) {
        for (const ResourceBundle& bundle : bundles) {
            const std::filesystem::path file =
                bundle.root() / (name + "." + std::string(videoExtension));
            std::error_code error;
            if (std::filesystem::is_regular_file(file, error)) {
                return file;
            }
        }
    }
    return std::nullopt;
}

std::string preferredVideoLocale(const std::vector<std::string>& languages) {
    for (const std::string& language : languages) {
        const std::string entry = lowercased(language);
        if (entry.starts_with("zh")) {
            return std::string(chineseLocale);
        }
        if (entry.starts_with("en")) {
            return std::string(englishLocale);
        }
    }
    return std::string(englishLocale);
}

std::string preferredVideoLocale() {
    std::vector<std::string> languages;
    for (const ResourceBundle& bundle : AppResourceBundles::candidates()) {
        languages.push_back(bundle.preferredLocalization());
    }
    for (std::string& language : ResourceBundle::preferredLanguages()) {
        languages.push_back(std::move(language));
    }
    return preferredVideoLocale(languages);
}

} // namespace Parlowen::OnboardingDemoMedia
