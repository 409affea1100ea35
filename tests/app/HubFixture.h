#pragma once

#include "Parlowen/Hotkeys/HotKeyRegistry.h"
#include "Parlowen/Opening/CompatibilityStore.h"
#include "app/AppDelegate.h"
#include "app/StatusBarController.h"
#include "platform/InMemoryLoginItems.h"
#include "platform/sim/SimAppServices.h"
#include "platform/sim/SimStatusBar.h"
#include "tests/panel/PanelTestSupport.h"
#include "tests/support/TemporaryFolder.h"
#include "ui/Onboarding/OnboardingWindowController.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace AppTesting {

// The hub and the delegate over the panel fixture's throwaway stores, on a simulated desktop
// whose description a test may replace, all on virtual time.
struct HubFixture : ::testing::Test {
    PanelTesting::PanelFixture panel;
    std::unique_ptr<platform::sim::SimulatedDesktop> desktop;
    Parlowen::CompatibilityStore compatibility{panel.defaults};
    platform::NotificationCenter center;
    Parlowen::ScanStatusStore scanStatus{center};
    std::unique_ptr<Parlowen::HotKeyRegistry> registry;
    platform::InMemoryLoginItems preferencesLoginItems;
    // The updater the preferences window drives; none by default.
    Parlowen::PreferencesUpdater* preferencesUpdater = nullptr;
    TemporaryFolder diagnostics;

    void SetUp() override {
        ::setenv("TESSALINE_DIAGNOSTICS_DIR", diagnostics.path().c_str(), 1);
        useDesktop(platform::sim::SimulatedDesktop::defaultDescription());
    }
    void TearDown() override {
        registry.reset();
        PanelTesting::flushDeferredDeletes();
    }

    void useDesktop(platform::sim::DesktopDescription description) {
        registry.reset();
        desktop =
            std::make_unique<platform::sim::SimulatedDesktop>(std::move(description), panel.loop);
        registry =
            std::make_unique<Parlowen::HotKeyRegistry>(desktop->appServices().hotKeys, panel.loop);
    }

    PreferencesServices preferencesServices() {
        PreferencesServices result;
        result.preferences = &panel.preferences;
        result.recentStore = &panel.recents;
        result.perAppHotKeyStore = &panel.hotKeys;
        result.loginItems = &preferencesLoginItems;
        result.workspace = &desktop->workspace();
        result.mainLoop = &panel.loop;
        result.notificationCenter = &center;
        result.isAccessibilityTrusted = [this] {
            return desktop->accessibility().isProcessTrusted(false);
        };
        result.updaterProvider = [this] { return preferencesUpdater; };
        result.applyCrashReportingConsent = [](bool) {};
        result.scan = [](bool) { return Parlowen::ScanSnapshot{}; };
        result.now = [this] { return panel.clock.wallNow(); };
        result.telemetryReporter = [](const Parlowen::DiagnosticTelemetryEvent&) {};
        return result;
    }

    std::unique_ptr<Parlowen::StatusBarController> makeHub() {
        auto dependencies = panel.dependencies();
        dependencies.accessibilityTrustChecker = [this] {
            return desktop->accessibility().isProcessTrusted(false);
        };
        dependencies.workspace = &desktop->workspace();
        dependencies.hotKeyRegistry = registry.get();
        const auto services = desktop->services();
        auto runtime = std::make_unique<Parlowen::PerAppHotKeyRuntime>(
            Parlowen::PerAppHotKeyRuntime::Configuration::live(
                services, *registry, {},
                Parlowen::PerAppHotKeyRuntime::Stores{panel.hotKeys, panel.recents, compatibility,
                                                      scanStatus}));
        return std::make_unique<Parlowen::StatusBarController>(
            Parlowen::StatusBarController::Context{services, panel.preferences, scanStatus,
                                                   dependencies, preferencesServices()},
            std::move(runtime));
    }

    std::unique_ptr<OnboardingWindowController> makeOnboarding() {
        OnboardingWindowController::Dependencies result;
        result.preferences = &panel.preferences;
        result.permissionProbe = [this](bool prompt) {
            return desktop->accessibility().isProcessTrusted(prompt);
        };
        result.openAccessibilitySettings = [] {};
        result.workspace = &desktop->workspace();
        result.mainLoop = &panel.loop;
        result.bundle = &desktop->appServices().bundle;
        return std::make_unique<OnboardingWindowController>(std::move(result));
    }

    // A product delegate that records its launch lines and terminations, with the onboarding
    // window when `withOnboarding`.
    Parlowen::AppDelegate::Context productContext(std::vector<std::string>& events,
                                                  int& terminations, bool withOnboarding) {
        Parlowen::AppDelegate::Context context{
            Parlowen::LaunchMode::product,
            desktop->services(),
            panel.preferences,
            nullptr,
            nullptr,
            [this] { return makeHub(); },
            nullptr,
            [&terminations](int) { ++terminations; },
            [&events](std::string_view event) { events.emplace_back(event); },
            nullptr};
        if (withOnboarding) {
            context.makeOnboarding = [this] { return makeOnboarding(); };
        }
        return context;
    }

    static void wire(Parlowen::StatusBarController& hub) {
        hub.configureStatusButton();
        hub.wirePoller();
        hub.wireQuickAccessShortcut();
        hub.wirePanelCallbacks();
    }

    void run(int milliseconds = 50) {
        panel.loop.runFor(std::chrono::milliseconds(milliseconds));
        QCoreApplication::processEvents();
    }

    std::vector<platform::NSApplicationActivationPolicy> policies() const {
        std::vector<platform::NSApplicationActivationPolicy> result;
        for (const auto& call : desktop->record().activationCalls) {
            if (call.kind == platform::sim::ActivationCall::Kind::setActivationPolicy) {
                result.push_back(call.policy);
            }
        }
        return result;
    }

    // Each showing of the panel activates the program with all its windows, which no other
    // window of it does.
    int panelPresentations() const {
        int count = 0;
        for (const auto& call : desktop->record().activationCalls) {
            count += call.kind == platform::sim::ActivationCall::Kind::activate ? 1 : 0;
        }
        return count;
    }

    void click(std::string_view id) {
        const auto frame = desktop->statusItemFrame(id);
        ASSERT_TRUE(frame);
        auto& events = desktop->events();
        const platform::CGPoint point{frame->origin.x + frame->size.width / 2,
                                      frame->origin.y + frame->size.height / 2};
        for (const auto type : {platform::kCGEventLeftMouseDown, platform::kCGEventLeftMouseUp}) {
            events.post(
                platform::kCGHIDEventTap,
                *events.createMouseEvent(nullptr, type, point, platform::kCGMouseButtonLeft));
        }
        run();
    }

    void pressOptionPair() {
        auto& monitors = desktop->appServices().eventMonitors;
        monitors.pressModifierKey(platform::kVK_Option, true);
        monitors.pressModifierKey(platform::kVK_RightOption, true);
        monitors.pressModifierKey(platform::kVK_RightOption, false);
        monitors.pressModifierKey(platform::kVK_Option, false);
        run();
    }
};

} // namespace AppTesting
