#pragma once

#include "Parlowen/Settings/QuickAccessModifierShortcut.h"
#include "platform/ObserverToken.h"
#include "platform/ProcessEnvironment.h"
#include "ui/Onboarding/OnboardingPageViews.h"
#include "ui/Onboarding/RunLoopTicker.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace Parlowen {
class AppPreferences;
}

namespace platform {
struct PlatformServices;
class BundleInfo;
class RunLoop;
class Workspace;
} // namespace platform

// Whether the permission page already asked the system to show its trust prompt.
struct AccessibilityPermissionRequestFlow {
    bool didRequestSystemPrompt = false;
};

// The first-run window: a page that explains Quick Open and lets the user choose the modifier
// pair, then a page that guides the user to grant Accessibility. While it is up it watches the
// permission (a one-second poll, a recheck when the app becomes active and a burst of rechecks
// after each request) and completes as soon as the grant shows on the permission page. Closing
// the window is not completion. Main thread only.
class OnboardingWindowController : public QObject {
public:
    using Step = OnboardingStep;

    struct Dependencies {
        Parlowen::AppPreferences* preferences = nullptr;
        // Accessibility trust; with `prompt` the system asks the user to grant it.
        std::function<bool(bool prompt)> permissionProbe;
        // Opens the Accessibility list of the system settings.
        std::function<void()> openAccessibilitySettings;
        // Activation, became-active, reduce motion and icons.
        platform::Workspace* workspace = nullptr;
        // Timers, rechecks and the diagnostic lines' time.
        platform::RunLoop* mainLoop = nullptr;
        // Where the running app's bundle lives, for the drag-the-app panel.
        const platform::BundleInfo* bundle = nullptr;
        // Holds the diagnostics switch.
        platform::ProcessEnvironment environment;

        // The shared settings and the platform's services, which outlive the controller.
        static Dependencies production(const platform::PlatformServices& services);
    };

    static constexpr int windowWidth = 1040;
    static constexpr int windowHeight = 760;
    static constexpr int dragPanelWidth = 372;
    static constexpr int dragPanelHeight = 142;

    explicit OnboardingWindowController(Dependencies dependencies);
    ~OnboardingWindowController() override;

    // At launch: completes at once (false) when onboarding was completed and the permission is
    // held; otherwise shows the window and starts watching the permission (true).
    bool presentIfNeeded();
    // Reads the permission (never prompting) and renders it; completes on the permission page
    // when granted while presented.
    void refreshStatus();
    // The page's main button.
    void primaryAction();
    // "Re-check": prompts again and shows the waiting line while the permission is missing.
    void recheckPermission();
    // "Skip for now": completes without the permission.
    void skip();
    // The shortcut popup's choice changed.
    void quickAccessShortcutChanged();
    // The permission page for a still picture: no probe, timer or observer.
    void renderVisualPreviewPermissionStep(bool isGranted);

    // Called once when onboarding completes or is bypassed; the owner may destroy the
    // controller inside it.
    std::function<void()> onCompleted;
    // Called after the user picked (and the controller stored) a shortcut.
    std::function<void(Parlowen::QuickAccessModifierShortcut)> onQuickAccessShortcutChanged;

    QWidget* window() const { return window_; }
    const OnboardingPageViews& views() const { return *views_; }
    Step step() const { return step_; }
    bool isGranted() const { return isGranted_; }
    bool isPresented() const { return isPresented_; }
    bool isPolling() const { return pollTicker_.isRunning(); }
    QWidget* accessibilityDragOverlayPanel() const { return accessibilityDragOverlayPanel_; }
    // The running app's ".app" bundle folder, or none outside a bundle.
    std::optional<std::string> currentApplicationBundleURL() const;

private:
    void configureSubviews();
    void renderCurrentStep();
    void setPermissionHelpText();
    void completeOnboarding();
    void startPolling();
    void schedulePermissionRefreshes();
    void startActivationRefresh();
    void stopActivationRefresh();
    void openAccessibilityDragOverlay();
    void closeAccessibilityDragOverlay();
    void syncShortcutPopup();
    void updateShortcutInstruction();
    void setStatus(const QString& text, const QColor& colour, bool shown);
    // Runs `body` with the window's frame kept as it was.
    void updateLayoutWithoutAnimation(const std::function<void()>& body);
    void writeDiagnostic(std::string_view message) const;

    Dependencies dependencies_;
    QPointer<QWidget> window_;
    std::unique_ptr<OnboardingPageViews> views_;
    RunLoopTicker pollTicker_;
    std::optional<platform::ObserverToken> activationObserver_;
    bool isGranted_ = false;
    bool isPresented_ = false;
    bool didComplete_ = false;
    bool shouldShowPendingFeedback_ = false;
    AccessibilityPermissionRequestFlow permissionFlow_;
    QPointer<QWidget> accessibilityDragOverlayPanel_;
    Step step_ = Step::value;
};
