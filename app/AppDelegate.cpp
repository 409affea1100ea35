#include "app/AppDelegate.h"

#include "Parlowen/Updates/UpdaterController.h"
#include "platform/Logger.h"

namespace Parlowen {

AppDelegate::AppDelegate(Context context)
    : context_(std::move(context)), self_(std::make_shared<AppDelegate*>(this)) {}

AppDelegate::~AppDelegate() {
    self_.reset();
    if (activationObserver_ != 0) {
        context_.services.distributedNotifications.removeObserver(activationObserver_);
    }
}

void AppDelegate::writeLaunchDiagnostic(std::string_view event) {
    if (context_.writeLaunchDiagnostic) {
        context_.writeLaunchDiagnostic(event);
    }
}

void AppDelegate::applicationDidFinishLaunching() {
    auto& workspace = context_.services.workspace;
    switch (context_.mode) {
    case LaunchMode::product: {
        workspace.setActivationPolicy(platform::NSApplicationActivationPolicyAccessory);
        // Listening before the lock is taken: a copy that finds the lock held can only have
        // found it after this process could hear its request.
        activationObserver_ = context_.services.distributedNotifications.addObserver(
            std::string(SingleInstanceGuard::activationRequestNotification),
            context_.services.bundle.bundleIdentifier(),
            [weak = std::weak_ptr<AppDelegate*>(self_)](const platform::DistributedNotification&) {
                const auto self = weak.lock();
                if (self && !(*self)->isDuplicate_ && (*self)->statusBar_) {
                    (*self)->existingInstanceActivationRequested();
                }
            });
        if (context_.singleInstanceGuard &&
            context_.singleInstanceGuard->requestExistingInstanceActivationIfNeeded()) {
            isDuplicate_ = true;
            writeLaunchDiagnostic("duplicate-instance-exit");
            context_.terminate(0);
            return;
        }
        startProductExperience();
        return;
    }
    case LaunchMode::debug:
        workspace.setActivationPolicy(platform::NSApplicationActivationPolicyRegular);
        startDebugPanel();
        return;
    case LaunchMode::sentrySmoke:
        writeLaunchDiagnostic("sentry-smoke-unexpected-app-launch");
        context_.terminate(0);
        return;
    case LaunchMode::updateSmoke:
        writeLaunchDiagnostic("update-smoke-unexpected-app-launch");
        context_.terminate(0);
        return;
    }
}

void AppDelegate::startDebugPanel() {
    writeLaunchDiagnostic("debug-panel");
    // The debug panel is not part of this build: say so and end, as the debug mode does once
    // its last window is gone.
    platform::Logger(context_.services.log, context_.services.clock, "app.tessaline.Tessaline",
                     "Launch")
        .error("the debug panel is not part of this build");
    context_.terminate(1);
}

void AppDelegate::startProductExperience() {
    writeLaunchDiagnostic("product");
    context_.preferences.applyFirstRunDefaultsIfNeeded();
    if (context_.startCrashReporting) {
        context_.startCrashReporting();
    }
    statusBar_ = context_.makeStatusBar();
    statusBar_->configureStatusButton();
    statusBar_->wirePoller();
    statusBar_->wireQuickAccessShortcut();
    statusBar_->wirePanelCallbacks();
    statusBar_->poller().start();
    const auto publicKey = platform::infoString(context_.services.bundle, platform::kSUPublicEDKey);
    if (context_.makeUpdater && UpdaterController::canStart(publicKey)) {
        updater_ = context_.makeUpdater();
    }
    // No onboarding window in this build, so it is never shown at launch.
    const bool onboardingWasPresented = false;
    if (!context_.preferences.launchAtLogin() && !onboardingWasPresented &&
        context_.services.loginItems.status() != platform::SMAppServiceStatusEnabled) {
        context_.services.mainLoop.post([weak = std::weak_ptr<AppDelegate*>(self_)] {
            const auto self = weak.lock();
            if (self && (*self)->statusBar_) {
                (*self)->statusBar_->showRescuePanel();
            }
        });
    }
}

bool AppDelegate::applicationShouldHandleReopen([[maybe_unused]] bool hasVisibleWindows) {
    switch (context_.mode) {
    case LaunchMode::sentrySmoke:
    case LaunchMode::updateSmoke:
        return false;
    case LaunchMode::product:
        if (statusBar_) {
            statusBar_->showRescuePanel();
        }
        return true;
    case LaunchMode::debug:
        // Without the debug panel in this build there is no window to show again.
        return true;
    }
    return true;
}

bool AppDelegate::applicationShouldTerminateAfterLastWindowClosed() const {
    return context_.mode == LaunchMode::debug;
}

void AppDelegate::existingInstanceActivationRequested() {
    writeLaunchDiagnostic("duplicate-instance-activation-request");
    if (statusBar_) {
        statusBar_->showRescuePanel();
    }
}

} // namespace Parlowen
