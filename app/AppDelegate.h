#pragma once

#include "Parlowen/Settings/AppPreferences.h"
#include "app/LaunchMode.h"
#include "app/SingleInstanceGuard.h"
#include "app/StatusBarController.h"
#include "platform/PlatformServices.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class DebugPanelController;
class DesktopWindow;

namespace Parlowen {

class UpdaterController;

// The application delegate of the product and the debug mode: the single-instance check, the
// product's start-up in its fixed order, the panel once after launch, reopen and activation
// requests, and one diagnostic line per start-up event. Main thread only.
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

    LaunchMode mode() const { return context_.mode; }
    StatusBarController* statusBar() const { return statusBar_.get(); }
    UpdaterController* updater() const { return updater_.get(); }
    DebugPanelController* debugController() const { return debugController_.get(); }
    DesktopWindow* debugDesktopWindow() const { return debugDesktopWindow_.get(); }
    bool isDuplicate() const { return isDuplicate_; }

private:
    void startDebugPanel();
    void startProductExperience();
    void writeLaunchDiagnostic(std::string_view event);

    Context context_;
    std::unique_ptr<StatusBarController> statusBar_;
    std::shared_ptr<UpdaterController> updater_;
    std::unique_ptr<DebugPanelController> debugController_;
    std::unique_ptr<DesktopWindow> debugDesktopWindow_;
    platform::ObserverToken activationObserver_ = 0;
    bool isDuplicate_ = false;
    std::shared_ptr<AppDelegate*> self_;
};

} // namespace Parlowen
