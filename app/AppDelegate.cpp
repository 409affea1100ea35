#include "app/AppDelegate.h"

#include "Parlowen/Updates/UpdaterController.h"
#include "ui/Debug/DebugPanelController.h"
#include "ui/Desktop/DesktopWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace Parlowen {

namespace {

// Centres the debug panel, with the simulated desktop beside it: to its right when the screen is
// wide enough for both, else above it when it is tall enough; else the panel alone is centred.
void placeDebugWindows(QWidget& panel, QWidget* desktop) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize panelSize = panel.frameGeometry().size();
    const QSize desktopSize = desktop ? desktop->frameGeometry().size() : QSize();
    constexpr int gap = 16;
    const QSize sideBySide(panelSize.width() + gap + desktopSize.width(),
                           std::max(panelSize.height(), desktopSize.height()));
    const QSize stacked(std::max(panelSize.width(), desktopSize.width()),
                        desktopSize.height() + gap + panelSize.height());
    if (desktop && sideBySide.width() <= area.width() && sideBySide.height() <= area.height()) {
        const QPoint origin = area.center() - QPoint(sideBySide.width(), sideBySide.height()) / 2;
        panel.move(origin);
        desktop->move(origin + QPoint(panelSize.width() + gap, 0));
    } else if (desktop && stacked.height() <= area.height()) {
        const QPoint origin(area.left() + std::max(0, (area.width() - stacked.width()) / 2),
                            area.top() + (area.height() - stacked.height()) / 2);
        desktop->move(origin);
        panel.move(origin + QPoint(0, desktopSize.height() + gap));
    } else {
        panel.move(area.center() - QPoint(panelSize.width(), panelSize.height()) / 2);
    }
}

} // namespace

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
            // Turned away by another user's process, the start failed: no copy comes forward.
            const bool failed = context_.singleInstanceGuard->turnedAwayByAnotherUser();
            writeLaunchDiagnostic(failed ? "lock-held-by-another-user-exit"
                                         : "duplicate-instance-exit");
            context_.terminate(failed ? 1 : 0);
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
    debugController_ =
        std::make_unique<DebugPanelController>(context_.services, context_.preferences);
    // The debug panel is the mode's one window of its own: closing it ends the run. Closing the
    // simulated desktop ends it too, as it ends the product.
    const auto terminate = [weak = std::weak_ptr<AppDelegate*>(self_)] {
        if (const auto self = weak.lock()) {
            (*self)->context_.terminate(0);
        }
    };
    debugController_->onClosed = terminate;
    if (context_.makeDesktopWindow) {
        debugDesktopWindow_ = context_.makeDesktopWindow();
        debugDesktopWindow_->onClosed = terminate;
        debugDesktopWindow_->onReopen = [weak = std::weak_ptr<AppDelegate*>(self_)] {
            if (const auto self = weak.lock()) {
                (*self)->applicationShouldHandleReopen(true);
            }
        };
        debugDesktopWindow_->show();
    }
    QWidget& window = *debugController_->window();
    window.show();
    placeDebugWindows(window, debugDesktopWindow_.get());
    window.raise();
    window.activateWindow();
    context_.services.workspace.activateIgnoringOtherApps(true);
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
    presentOnboarding();
    if (!context_.preferences.launchAtLogin() && !onboardingWasPresentedThisLaunch_ &&
        context_.services.loginItems.status() != platform::SMAppServiceStatusEnabled) {
        showRescuePanelLater();
    }
}

void AppDelegate::presentOnboarding() {
    if (!context_.makeOnboarding) {
        return;
    }
    onboarding_ = context_.makeOnboarding();
    const std::weak_ptr<AppDelegate*> weak(self_);
    onboarding_->onCompleted = [weak] {
        if (const auto self = weak.lock()) {
            (*self)->onboardingCompleted();
        }
    };
    onboarding_->onQuickAccessShortcutChanged = [weak](QuickAccessModifierShortcut shortcut) {
        const auto self = weak.lock();
        if (self && (*self)->statusBar_) {
            (*self)->statusBar_->applyQuickAccessShortcutChange(shortcut);
        }
    };
    // A window that is not needed completes inside this call, while the flag is still false,
    // so its completion opens nothing and the launch rule below decides.
    const bool presented = onboarding_->presentIfNeeded();
    onboardingWasPresentedThisLaunch_ = presented;
}

void AppDelegate::onboardingCompleted() {
    const bool wasPresented = onboardingWasPresentedThisLaunch_;
    onboardingWasPresentedThisLaunch_ = false;
    if (onboarding_) {
        // Released on the next turn: the completion runs inside one of the controller's own
        // handlers (a button, the permission poll, or `presentIfNeeded`).
        context_.services.mainLoop.post(
            [released = std::shared_ptr<OnboardingWindowController>(std::move(onboarding_))] {});
    }
    if (wasPresented) {
        showRescuePanelLater();
    }
}

void AppDelegate::showRescuePanelLater() {
    context_.services.mainLoop.post([weak = std::weak_ptr<AppDelegate*>(self_)] {
        const auto self = weak.lock();
        if (self && (*self)->statusBar_) {
            (*self)->statusBar_->showRescuePanel();
        }
    });
}

bool AppDelegate::bringOnboardingForward() {
    QWidget* window = onboarding_ ? onboarding_->window() : nullptr;
    if (window == nullptr) {
        return false;
    }
    auto& workspace = context_.services.workspace;
    workspace.setActivationPolicy(platform::NSApplicationActivationPolicyRegular);
    window->show();
    window->raise();
    window->activateWindow();
    workspace.activateIgnoringOtherApps(true);
    return true;
}

bool AppDelegate::hasVisibleWindow() const {
    const QWidget* window = onboarding_ ? onboarding_->window() : nullptr;
    return (window != nullptr && window->isVisible()) ||
           (statusBar_ && statusBar_->hasVisibleWindow());
}

bool AppDelegate::applicationShouldHandleReopen([[maybe_unused]] bool hasVisibleWindows) {
    switch (context_.mode) {
    case LaunchMode::sentrySmoke:
    case LaunchMode::updateSmoke:
        return false;
    case LaunchMode::product:
        if (bringOnboardingForward() || !statusBar_) {
            return true;
        }
        if (statusBar_->isPreferencesWindowVisible()) {
            statusBar_->showPreferences();
        } else {
            statusBar_->showRescuePanel();
        }
        return true;
    case LaunchMode::debug:
        if (debugController_ && !debugController_->window()->isVisible()) {
            QWidget& window = *debugController_->window();
            window.show();
            window.raise();
            window.activateWindow();
        }
        return true;
    }
    return true;
}

bool AppDelegate::applicationShouldTerminateAfterLastWindowClosed() const {
    return context_.mode == LaunchMode::debug;
}

void AppDelegate::existingInstanceActivationRequested() {
    writeLaunchDiagnostic("duplicate-instance-activation-request");
    if (!bringOnboardingForward() && statusBar_) {
        statusBar_->showRescuePanel();
    }
}

void AppDelegate::applicationWillTerminate() {
    if (!updater_) {
        return;
    }
    if (const auto error = updater_->standard().updater().installPendingUpdateOnQuit()) {
        platform::Logger(context_.services.log, context_.services.clock, "app.tessaline.Tessaline",
                         "Update")
            .error("the downloaded update was not installed: " + error->localizedDescription);
    }
}

} // namespace Parlowen
