#pragma once

#include "platform/Workspace.h"
#include "platform/sim/SimulatedDesktop.h"

namespace platform::sim {

// The simulated running applications, their launch and terminate notifications and this
// application's activation, which is recorded for tests.
class SimWorkspace : public Workspace {
public:
    enum class Change { launched, terminated, becameActive, accessibilitySettingsOpened };
    using URLHandler = std::function<bool(const std::string& url)>;

    explicit SimWorkspace(SimulatedDesktop& desktop) : desktop_(desktop) {}

    std::vector<RunningApplication> runningApplications() override;
    pid_t currentProcessIdentifier() override;
    ObserverToken addLaunchObserver(ApplicationHandler handler) override;
    ObserverToken addTerminateObserver(ApplicationHandler handler) override;
    void removeObserver(ObserverToken token) override;
    NSApplicationActivationPolicy activationPolicy() override;
    bool setActivationPolicy(NSApplicationActivationPolicy policy) override;
    void activateIgnoringOtherApps(bool flag) override;
    bool activate(pid_t pid, NSApplicationActivationOptions options) override;
    ObserverToken addDidBecomeActiveObserver(std::function<void()> handler) override;
    bool openURL(const std::string& url) override;
    void activateFileViewerSelectingURLs(const std::vector<std::string>& fileURLs) override;
    std::optional<NSImage> iconForApplication(pid_t pid) override;
    NSImage iconForFile(const std::string& path) override;
    bool accessibilityDisplayShouldReduceMotion() override;

    // Where URLs other than the Accessibility settings go, and the folders of revealed files
    // (the program hands them to the desktop's own opener); without one they are only recorded.
    void setURLHandler(URLHandler handler);
    // Observes the Accessibility settings being opened (System Settings is then frontmost), so
    // that the desktop's window can show them and a person can grant or revoke trust.
    ObserverToken addAccessibilitySettingsObserver(std::function<void()> handler);
    // Test API: the reduce-motion setting.
    void setReduceMotion(bool reduceMotion);

    // Posts the notification of a launch or termination; with the desktop's lock held.
    void notify(Change change, const RunningApplication& application);
    // Posts did-become-active when this program just became frontmost; with the lock held.
    void frontmostChanged(pid_t previous);

private:
    ObserverToken addObserver(Change change, ApplicationHandler handler);
    ObserverToken addObserver(Change change, std::function<void()> handler);

    SimulatedDesktop& desktop_;
    ObserverToken nextToken_ = 1;
    std::map<ObserverToken, std::pair<Change, ApplicationHandler>> observers_;
    URLHandler urlHandler_;
    std::optional<bool> reduceMotion_;
};

} // namespace platform::sim
