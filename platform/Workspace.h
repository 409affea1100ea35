#pragma once

#include "platform/Clock.h"
#include "platform/Image.h"
#include "platform/ObserverToken.h"

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum NSApplicationActivationPolicy : int {
    NSApplicationActivationPolicyRegular = 0,
    NSApplicationActivationPolicyAccessory = 1,
    NSApplicationActivationPolicyProhibited = 2,
};

using NSApplicationActivationOptions = unsigned;
inline constexpr NSApplicationActivationOptions NSApplicationActivateAllWindows = 1 << 0;
inline constexpr NSApplicationActivationOptions NSApplicationActivateIgnoringOtherApps = 1 << 1;

// One running application as NSRunningApplication describes it. A helper process names the
// application it belongs to by `parentProcessIdentifier`.
struct RunningApplication {
    pid_t processIdentifier = 0;
    std::optional<std::string> localizedName;
    std::optional<std::string> bundleIdentifier;
    NSApplicationActivationPolicy activationPolicy = NSApplicationActivationPolicyRegular;
    std::optional<WallTime> launchDate;
    std::optional<pid_t> parentProcessIdentifier;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

// The address of the Accessibility list in the system settings.
inline constexpr std::string_view kAccessibilitySettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

// NSWorkspace's running applications and their notifications, URL opening, icons and display
// settings, and this application's activation (NSApplication, NSRunningApplication).
// Notifications arrive as tasks on the main run loop.
class Workspace {
public:
    using ApplicationHandler = std::function<void(const RunningApplication& application)>;

    Workspace() = default;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;
    virtual ~Workspace() = default;

    // The running applications, in the workspace's order.
    virtual std::vector<RunningApplication> runningApplications() = 0;
    // This process's id.
    virtual pid_t currentProcessIdentifier() = 0;
    // Observes NSWorkspaceDidLaunchApplicationNotification.
    virtual ObserverToken addLaunchObserver(ApplicationHandler handler) = 0;
    // Observes NSWorkspaceDidTerminateApplicationNotification.
    virtual ObserverToken addTerminateObserver(ApplicationHandler handler) = 0;
    // Removes an observer added above.
    virtual void removeObserver(ObserverToken token) = 0;
    // This application's activation policy.
    virtual NSApplicationActivationPolicy activationPolicy() = 0;
    // Sets this application's activation policy (setActivationPolicy:); false when refused.
    virtual bool setActivationPolicy(NSApplicationActivationPolicy policy) = 0;
    // Activates this application (activateIgnoringOtherApps:).
    virtual void activateIgnoringOtherApps(bool flag) = 0;
    // Activates a running application (activateWithOptions:); false when it is not running.
    virtual bool activate(pid_t pid, NSApplicationActivationOptions options) = 0;
    // Observes NSApplicationDidBecomeActiveNotification of this application.
    virtual ObserverToken addDidBecomeActiveObserver(std::function<void()> handler) = 0;
    // Opens a URL with its default handler (openURL:); false when nothing opened it.
    virtual bool openURL(const std::string& url) = 0;
    // Shows the files selected in the file manager (activateFileViewerSelectingURLs:).
    virtual void activateFileViewerSelectingURLs(const std::vector<std::string>& fileURLs) = 0;
    // The icon of a running application (NSRunningApplication icon); none without one.
    virtual std::optional<NSImage> iconForApplication(pid_t pid) = 0;
    // The icon of a file or bundle (iconForFile:); an empty image (the views draw the generic
    // icon) when it has none of its own.
    virtual NSImage iconForFile(const std::string& path) = 0;
    // Whether the user asked the system to reduce motion
    // (accessibilityDisplayShouldReduceMotion).
    virtual bool accessibilityDisplayShouldReduceMotion() = 0;
};

} // namespace platform
