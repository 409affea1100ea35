#pragma once

#include "Parlowen/Settings/AppPreferences.h"
#include "app/LaunchMode.h"
#include "app/SingleInstanceGuard.h"
#include "app/StatusBarController.h"
#include "platform/PlatformServices.h"
#include "ui/Onboarding/OnboardingWindowController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class DebugPanelController;
class DesktopWindow;

namespace Parlowen {

class UpdaterController;

// The application delegate of the product and the debug mode: the single-instance check, the
// product's start-up in its fixed order, the onboarding window until it completes, the panel
// once after launch or after onboarding, reopen and activation requests, the waiting update at
// quit, and one diagnostic line per start-up event. Main thread only.
class AppDelegate {
public:
    // What start-up needs beyond the services; the program's choices are made in main.
    struct Context {
        LaunchMode mode = LaunchMode::product;
        platform::PlatformServices services;
        AppPreferences& preferences;
        std::unique_ptr<SingleInstanceGuard> singleInstanceGuard;
        // Starts crash reporting when the user consents.
        std::function<void()> startCrashReporting;
        // The hub with its per-app hotkey runtime.
        std::function<std::unique_ptr<StatusBarController>()> makeStatusBar;
        // The updater, only called when the bundle's update key is usable.
        std::function<std::shared_ptr<UpdaterController>()> makeUpdater;
        // Ends the application's event loop with the status.
        std::function<void(int status)> terminate;
        // Writes one launch diagnostic line.
        std::function<void(std::string_view event)> writeLaunchDiagnostic;
        // The onboarding window, made once at start-up; none leaves it out.
        std::function<std::unique_ptr<OnboardingWindowController>()> makeOnboarding;
        // The simulated desktop's window, shown beside the debug panel in the debug mode.
        std::function<std::unique_ptr<DesktopWindow>()> makeDesktopWindow = {};
    };

    explicit AppDelegate(Context context);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Runs inside the event loop, so that a duplicate's termination really ends the process.
    void applicationDidFinishLaunching();
    // The program opened again while it runs.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    bool applicationShouldTerminateAfterLastWindowClosed() const;
    // A later copy asked this one to come forward.
    void existingInstanceActivationRequested();
    // The event loop has ended: a downloaded update waiting for quit is swapped in.
    void applicationWillTerminate();

    LaunchMode mode() const { return context_.mode; }
    StatusBarController* statusBar() const { return statusBar_.get(); }
    UpdaterController* updater() const { return updater_.get(); }
    // None once onboarding completed (or was never needed).
    OnboardingWindowController* onboarding() const { return onboarding_.get(); }
    DebugPanelController* debugController() const { return debugController_.get(); }
    DesktopWindow* debugDesktopWindow() const { return debugDesktopWindow_.get(); }
    bool isDuplicate() const { return isDuplicate_; }
    // Whether one of the program's windows (onboarding, panel, preferences) is up; a reveal
    // leaves the program a regular application only then.
    bool hasVisibleWindow() const;

private:
    void startDebugPanel();
    void startProductExperience();
    void presentOnboarding();
    void onboardingCompleted();
    // Brings the onboarding window forward; false when there is none.
    bool bringOnboardingForward();
    void showRescuePanelLater();
    void writeLaunchDiagnostic(std::string_view event);

    Context context_;
    std::unique_ptr<StatusBarController> statusBar_;
    std::shared_ptr<UpdaterController> updater_;
    std::unique_ptr<OnboardingWindowController> onboarding_;
    bool onboardingWasPresentedThisLaunch_ = false;
    std::unique_ptr<DebugPanelController> debugController_;
    std::unique_ptr<DesktopWindow> debugDesktopWindow_;
    platform::ObserverToken activationObserver_ = 0;
    bool isDuplicate_ = false;
    std::shared_ptr<AppDelegate*> self_;
};

} // namespace Parlowen
