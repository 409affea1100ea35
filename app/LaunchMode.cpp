#include "app/LaunchMode.h"

#include "core/CommandLineArguments.h"

#include <algorithm>

namespace Parlowen {

namespace {
bool contains(const std::vector<std::string>& arguments, std::string_view flag) {
    return std::find(arguments.begin(), arguments.end(), flag) != arguments.end();
}
} // namespace

std::string_view toString(LaunchMode mode) {
    switch (mode) {
    case LaunchMode::product:
        return "product";
    case LaunchMode::debug:
        return "debug";
    case LaunchMode::sentrySmoke:
        return "sentrySmoke";
    case LaunchMode::updateSmoke:
        return "updateSmoke";
    }
    return "product";
}

LaunchMode detectLaunchMode(const std::vector<std::string>& arguments) {
    if (contains(arguments, "--update-smoke")) {
        return LaunchMode::updateSmoke;
    }
    if (contains(arguments, "--sentry-smoke") ||
        contains(arguments, "--quick-open-telemetry-smoke")) {
        return LaunchMode::sentrySmoke;
    }
    if (contains(arguments, "--debug")) {
        return LaunchMode::debug;
    }
    return LaunchMode::product;
}

bool wantsVisualSnapshot(const std::vector<std::string>& arguments) {
    return contains(arguments, "--visual-snapshot");
}

bool runsWithoutDisplay(LaunchMode mode, const std::vector<std::string>& arguments) {
    return mode == LaunchMode::sentrySmoke || mode == LaunchMode::updateSmoke ||
           wantsVisualSnapshot(arguments);
}

std::optional<std::string> desktopDescriptionPath(const std::vector<std::string>& arguments,
                                                  const char* environmentValue) {
    if (contains(arguments, "--desktop")) {
        auto path = QelCore::CommandLineArguments::valueAfter(arguments, "--desktop");
        if (!path || path->empty() || path->starts_with("--")) {
            return std::nullopt;
        }
        return path;
    }
    return environmentValue != nullptr ? std::string(environmentValue) : std::string();
}

} // namespace Parlowen
