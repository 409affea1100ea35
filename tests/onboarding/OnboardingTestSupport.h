#pragma once

#include "Parlowen/Scanning/AccessibilityTrustProbe.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/sim/SimAppServices.h"
#include "platform/sim/SimWorkspace.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"
#include "tests/support/UiTestApplication.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Onboarding/OnboardingCard.h"
#include "ui/Onboarding/OnboardingWindowController.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>

#include <chrono>
#include <memory>
#include <string>

namespace OnboardingTesting {

// The simulated desktop grants trust this long after the first prompt.
inline constexpr auto grantDelay = std::chrono::milliseconds(2500);

// Runs the deletions that widgets asked for with deleteLater.
inline void flushDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline platform::sim::DesktopDescription untrustedDesktop() {
    platform::sim::DesktopDescription description =
        platform::sim::SimulatedDesktop::defaultDescription();
    description.trust.trusted = false;
    description.trust.grantOnPromptAfterMs =
        std::chrono::duration<double, std::milli>(grantDelay).count();
    return description;
}

// An onboarding controller over throwaway settings and a simulated desktop on virtual time whose
// trust is granted some time after the prompt.
struct OnboardingFixture {
    explicit OnboardingFixture(platform::sim::DesktopDescription description = untrustedDesktop())
        : desktop(std::move(description), loop) {
        tessaline::testing::uiTestApplication();
    }
    ~OnboardingFixture() {
        controller.reset();
        flushDeferredDeletes();
    }

    OnboardingWindowController::Dependencies dependencies() {
        OnboardingWindowController::Dependencies result;
        result.preferences = &preferences;
        result.permissionProbe =
            Parlowen::AccessibilityTrustProbe::live(desktop.accessibility()).isTrusted;
        result.openAccessibilitySettings = [this] {
            desktop.workspace().openURL(std::string(platform::kAccessibilitySettingsURL));
        };
        result.workspace = &desktop.workspace();
        result.mainLoop = &loop;
        result.bundle = &desktop.appServices().bundle;
        result.environment = environment;
        return result;
    }

    // A controller whose completions are counted.
    OnboardingWindowController& make() {
        controller = std::make_unique<OnboardingWindowController>(dependencies());
        controller->onCompleted = [this] { ++completions; };
        return *controller;
    }

    void press() { controller->views().primaryButton->click(); }
    // A controller past the value page and the prompt, with System Settings and the drag
    // panel opened by the third press.
    OnboardingWindowController& makeWithDragPanel() {
        make().presentIfNeeded();
        press();
        press();
        press();
        return *controller;
    }
    QString primaryTitle() const { return controller->views().primaryButton->text(); }
    platform::sim::SimWorkspace& simWorkspace() {
        return static_cast<platform::sim::SimWorkspace&>(desktop.workspace());
    }

    std::shared_ptr<platform::InMemoryUserDefaults> defaults =
        std::make_shared<platform::InMemoryUserDefaults>();
    Parlowen::AppPreferences preferences{defaults};
    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop{clock};
    platform::sim::SimulatedDesktop desktop;
    platform::ProcessEnvironment environment;
    std::unique_ptr<OnboardingWindowController> controller;
    int completions = 0;
};

} // namespace OnboardingTesting
