#include "platform/sim/SimWorkspace.h"

#include <filesystem>
#include <utility>

namespace platform::sim {

std::vector<RunningApplication> SimWorkspace::runningApplications() {
    std::lock_guard lock(desktop_.mutex_);
    return desktop_.runningApplications();
}

pid_t SimWorkspace::currentProcessIdentifier() {
    std::lock_guard lock(desktop_.mutex_);
    return desktop_.ownProcess_.pid;
}

ObserverToken SimWorkspace::addLaunchObserver(ApplicationHandler handler) {
    return addObserver(Change::launched, std::move(handler));
}

ObserverToken SimWorkspace::addTerminateObserver(ApplicationHandler handler) {
    return addObserver(Change::terminated, std::move(handler));
}

ObserverToken SimWorkspace::addObserver(Change change, ApplicationHandler handler) {
    std::lock_guard lock(desktop_.mutex_);
    observers_.emplace(nextToken_, std::pair(change, std::move(handler)));
    return nextToken_++;
}

void SimWorkspace::removeObserver(ObserverToken token) {
    std::lock_guard lock(desktop_.mutex_);
    observers_.erase(token);
}

void SimWorkspace::notify(Change change, const RunningApplication& application) {
    for (const auto& [token, observer] : observers_) {
        if (observer.first == change) {
            desktop_.postToMain([handler = observer.second, application] { handler(application); });
        }
    }
}

NSApplicationActivationPolicy SimWorkspace::activationPolicy() {
    std::lock_guard lock(desktop_.mutex_);
    return desktop_.ownProcess_.activationPolicy;
}

bool SimWorkspace::setActivationPolicy(NSApplicationActivationPolicy policy) {
    std::lock_guard lock(desktop_.mutex_);
    desktop_.record_.activationCalls.push_back(
        {ActivationCall::Kind::setActivationPolicy, policy, false, 0, 0});
    desktop_.ownProcess_.activationPolicy = policy;
    return true;
}

void SimWorkspace::activateIgnoringOtherApps(bool flag) {
    std::lock_guard lock(desktop_.mutex_);
    desktop_.record_.activationCalls.push_back(
        {ActivationCall::Kind::activateIgnoringOtherApps, {}, flag, desktop_.ownProcess_.pid, 0});
    if (desktop_.ownProcess_.activationPolicy == NSApplicationActivationPolicyRegular) {
        const pid_t previous = std::exchange(desktop_.frontmost_, desktop_.ownProcess_.pid);
        frontmostChanged(previous);
    }
}

bool SimWorkspace::activate(pid_t pid, NSApplicationActivationOptions options) {
    std::lock_guard lock(desktop_.mutex_);
    desktop_.record_.activationCalls.push_back(
        {ActivationCall::Kind::activate, {}, false, pid, options});
    const AppDescription* app = desktop_.findApp(pid);
    if (app == nullptr) {
        return false;
    }
    if (app->activationPolicy == NSApplicationActivationPolicyRegular) {
        const pid_t previous = std::exchange(desktop_.frontmost_, pid);
        frontmostChanged(previous);
    }
    return true;
}

void SimWorkspace::frontmostChanged(pid_t previous) {
    if (previous != desktop_.ownProcess_.pid && desktop_.frontmost_ == desktop_.ownProcess_.pid) {
        notify(Change::becameActive, {});
    }
}

ObserverToken SimWorkspace::addObserver(Change change, std::function<void()> handler) {
    return addObserver(change,
                       [handler = std::move(handler)](const RunningApplication&) { handler(); });
}

ObserverToken SimWorkspace::addDidBecomeActiveObserver(std::function<void()> handler) {
    return addObserver(Change::becameActive, std::move(handler));
}

ObserverToken SimWorkspace::addAccessibilitySettingsObserver(std::function<void()> handler) {
    return addObserver(Change::accessibilitySettingsOpened, std::move(handler));
}

bool SimWorkspace::openURL(const std::string& url) {
    URLHandler handler;
    {
        std::lock_guard lock(desktop_.mutex_);
        desktop_.record_.openedURLs.push_back(url);
        if (url == kAccessibilitySettingsURL) {
            desktop_.openAccessibilitySettings();
            notify(Change::accessibilitySettingsOpened, {});
            return true;
        }
        handler = urlHandler_;
    }
    return handler ? handler(url) : true;
}

void SimWorkspace::activateFileViewerSelectingURLs(const std::vector<std::string>& fileURLs) {
    URLHandler handler;
    {
        std::lock_guard lock(desktop_.mutex_);
        for (const std::string& url : fileURLs) {
            desktop_.record_.revealedFiles.push_back(url);
        }
        handler = urlHandler_;
    }
    if (!handler) {
        return;
    }
    // File managers here open a folder; the file's own folder is the nearest to selecting it.
    for (const std::string& url : fileURLs) {
        const std::string folder = std::filesystem::path(url).parent_path().string();
        if (!folder.empty()) {
            handler(folder);
        }
    }
}

std::optional<NSImage> SimWorkspace::iconForApplication(pid_t pid) {
    std::lock_guard lock(desktop_.mutex_);
    const auto& icons = desktop_.initial_.appServices.appIcons;
    auto icon = icons.find(pid);
    if (icon == icons.end() || desktop_.findApp(pid) == nullptr) {
        return std::nullopt;
    }
    return NSImage{{32, 32}, 0, 0, {}, icon->second, false};
}

NSImage SimWorkspace::iconForFile(const std::string& path) {
    // The views draw the generic icon for an image that names no file.
    const std::string extension = std::filesystem::path(path).extension().string();
    const bool isImage = extension == ".png" || extension == ".svg" || extension == ".icns";
    return NSImage{{32, 32}, 0, 0, {}, isImage ? path : std::string(), false};
}

bool SimWorkspace::accessibilityDisplayShouldReduceMotion() {
    std::lock_guard lock(desktop_.mutex_);
    return reduceMotion_.value_or(desktop_.initial_.appServices.reduceMotion);
}

void SimWorkspace::setURLHandler(URLHandler handler) {
    std::lock_guard lock(desktop_.mutex_);
    urlHandler_ = std::move(handler);
}

void SimWorkspace::setReduceMotion(bool reduceMotion) {
    std::lock_guard lock(desktop_.mutex_);
    reduceMotion_ = reduceMotion;
}

} // namespace platform::sim
