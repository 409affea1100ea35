#include "Parlowen/Hotkeys/HotKeyRegistry.h"
#include "Parlowen/Opening/CompatibilityStore.h"
#include "app/AppDelegate.h"
#include "app/StatusBarController.h"
#include "platform/sim/SimAppServices.h"
#include "platform/sim/SimStatusBar.h"
#include "tests/panel/PanelTestSupport.h"
#include "tests/support/TemporaryFolder.h"
#include "ui/Debug/DebugPanelController.h"
#include "ui/Desktop/DesktopWindow.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTableWidget>

namespace {
using namespace Parlowen;
using platform::sim::ActivationCall;

// A notch from 400 to 600 holding exactly two distinct items (clock, vpn) and a twin of the
// clock; the frontmost app's long menus reach under the notch too, and this program's own item
// stands left of everything, so its growing badge moves nobody.
const std::string crowdedJson = R"({
  "name": "two hidden",
  "displays": [{"id": 1, "name": "Built-in", "frame": {"x": 0, "y": 0, "width": 1000, "height": 700},
                "notch": {"width": 200, "height": 32}}],
  "ownProcess": {"pid": 100, "name": "Tessaline", "bundleIdentifier": "app.tessaline.Tessaline",
                 "activationPolicy": "accessory"},
  "apps": [
    {"pid": 200, "name": "Big", "activationPolicy": "accessory"},
    {"pid": 201, "name": "Clock", "bundleIdentifier": "com.example.clock", "activationPolicy": "accessory"},
    {"pid": 202, "name": "VPN", "bundleIdentifier": "com.example.vpn", "activationPolicy": "accessory"},
    {"pid": 203, "name": "Left", "activationPolicy": "accessory"},
    {"pid": 300, "name": "Editor", "menus": ["Document Management", "Formatting Options",
      "Collaboration Tools", "Window Arrangement", "Extended Help Topics"]}
  ],
  "frontmostPid": 300,
  "statusItems": [
    {"id": "big", "pid": 200, "width": 200, "attributes": {"AXDescription": "Big"}},
    {"id": "wide", "pid": 200, "width": 192, "attributes": {"AXDescription": "Wide"}},
    {"id": "clock", "pid": 201, "width": 70, "attributes": {"AXDescription": "Clock"}},
    {"id": "vpn", "pid": 202, "width": 70, "attributes": {"AXDescription": "VPN"}},
    {"id": "clock-twin", "pid": 201, "width": 60, "attributes": {"AXDescription": "Clock"}},
    {"id": "left", "pid": 203, "width": 100, "attributes": {"AXDescription": "Left"}}
  ],
  "ownStatusItem": {"position": 6}
})";

struct HubFixture : ::testing::Test {
    PanelTesting::PanelFixture panel;
    std::unique_ptr<platform::sim::SimulatedDesktop> desktop;
    CompatibilityStore compatibility{panel.defaults};
    platform::NotificationCenter center;
    ScanStatusStore scanStatus{center};
    std::unique_ptr<HotKeyRegistry> registry;
    TemporaryFolder diagnostics;

    void SetUp() override {
        ::setenv("TESSALINE_DIAGNOSTICS_DIR", diagnostics.path().c_str(), 1);
        useDesktop(platform::sim::SimulatedDesktop::defaultDescription());
    }
    void TearDown() override { registry.reset(); }

    void useDesktop(platform::sim::DesktopDescription description) {
        registry.reset();
        desktop =
            std::make_unique<platform::sim::SimulatedDesktop>(std::move(description), panel.loop);
        registry = std::make_unique<HotKeyRegistry>(desktop->appServices().hotKeys, panel.loop);
    }

    std::unique_ptr<StatusBarController> makeHub() {
        auto dependencies = panel.dependencies();
        dependencies.accessibilityTrustChecker = [this] {
            return desktop->accessibility().isProcessTrusted(false);
        };
        dependencies.workspace = &desktop->workspace();
        const auto services = desktop->services();
        auto runtime =
            std::make_unique<PerAppHotKeyRuntime>(PerAppHotKeyRuntime::Configuration::live(
                services, *registry, {},
                PerAppHotKeyRuntime::Stores{panel.hotKeys, panel.recents, compatibility,
                                            scanStatus}));
        return std::make_unique<StatusBarController>(
            StatusBarController::Context{services, panel.preferences, scanStatus, dependencies},
            std::move(runtime));
    }

    static void wire(StatusBarController& hub) {
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
        for (const ActivationCall& call : desktop->record().activationCalls) {
            if (call.kind == ActivationCall::Kind::setActivationPolicy) {
                result.push_back(call.policy);
            }
        }
        return result;
    }

    int panelPresentations() const {
        int count = 0;
        for (const ActivationCall& call : desktop->record().activationCalls) {
            count += call.kind == ActivationCall::Kind::activateIgnoringOtherApps ? 1 : 0;
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

TEST_F(HubFixture, TheBadgeCountsDistinctHiddenStatusItemsOnly) {
    useDesktop(std::get<platform::sim::DesktopDescription>(
        platform::sim::parseDesktopDescription(crowdedJson)));
    auto hub = makeHub();
    wire(*hub);
    hub->poller().start();
    run(500);
    ASSERT_TRUE(hub->lastSnapshot());
    ASSERT_NE(hub->statusItem(), nullptr);
    EXPECT_EQ(hub->statusItem()->title(), " 2");
    EXPECT_EQ(hub->statusItem()->toolTip(), "Tessaline");
    EXPECT_TRUE(hub->statusItem()->image().isTemplate);
    EXPECT_EQ(hub->statusItem()->image().pixelsWide, 18);

    // The same items on a display without a notch: nothing is hidden.
    auto plain = desktop->initialDescription().displays;
    plain[0].notch.reset();
    desktop->setDisplays(plain);
    run();
    hub->poller().scan("panel-refresh", true);
    run(500);
    EXPECT_EQ(hub->statusItem()->title(), "");
}

TEST_F(HubFixture, ClickClickShortcutShortcutOpensClosesOpensOpens) {
    auto hub = makeHub();
    wire(*hub);
    desktop->clearRecord();
    using P = platform::NSApplicationActivationPolicy;
    constexpr P regular = platform::NSApplicationActivationPolicyRegular;
    constexpr P accessory = platform::NSApplicationActivationPolicyAccessory;

    click(platform::sim::SimStatusBar::firstItemId);
    EXPECT_TRUE(hub->isPanelWindowVisible());
    EXPECT_EQ(policies(), (std::vector<P>{regular, regular}));

    click(platform::sim::SimStatusBar::firstItemId);
    EXPECT_FALSE(hub->isPanelWindowVisible());
    EXPECT_EQ(policies(), (std::vector<P>{regular, regular, regular, accessory}));

    pressOptionPair();
    EXPECT_TRUE(hub->isPanelWindowVisible());
    pressOptionPair();
    EXPECT_TRUE(hub->isPanelWindowVisible());
    EXPECT_EQ(policies(), (std::vector<P>{regular, regular, regular, accessory, regular, regular,
                                          regular, regular}));
    EXPECT_EQ(panelPresentations(), 3);
}

TEST_F(HubFixture, NoShortcutInstallsNoMonitorAndAChangeInstallsOne) {
    panel.preferences.setQuickAccessModifierShortcut(QuickAccessModifierShortcut::none);
    auto hub = makeHub();
    wire(*hub);
    EXPECT_EQ(hub->quickAccessShortcutController(), nullptr);
    pressOptionPair();
    EXPECT_FALSE(hub->isPanelWindowVisible());
    hub->applyQuickAccessShortcutChange(QuickAccessModifierShortcut::command);
    ASSERT_NE(hub->quickAccessShortcutController(), nullptr);
    pressOptionPair();
    EXPECT_FALSE(hub->isPanelWindowVisible());
    auto& monitors = desktop->appServices().eventMonitors;
    monitors.pressModifierKey(platform::kVK_Command, true);
    monitors.pressModifierKey(platform::kVK_RightCommand, true);
    run();
    EXPECT_TRUE(hub->isPanelWindowVisible());
}

TEST_F(HubFixture, AnUnusableScanIntervalFallsBackToFiveSeconds) {
    for (const double stored : {0.0, -3.0, std::nan(""), 0.01}) {
        panel.defaults->set(AppPreferences::scanIntervalSecondsKey, stored);
        EXPECT_EQ(makeHub()->poller().interval(), 5.0) << stored;
    }
    panel.defaults->set(AppPreferences::scanIntervalSecondsKey, 10.0);
    EXPECT_EQ(makeHub()->poller().interval(), 10.0);
}

// The panel opens once after launch only when neither the launch-at-login setting nor an
// enabled login item says the launch was automatic.
TEST_F(HubFixture, TheLaunchMatrixOpensThePanelOnceOrNever) {
    for (const bool launchAtLogin : {false, true}) {
        for (const bool loginItemEnabled : {false, true}) {
            SCOPED_TRACE(std::string("launchAtLogin=") + (launchAtLogin ? "on" : "off") +
                         " loginItem=" + (loginItemEnabled ? "enabled" : "not registered"));
            useDesktop(platform::sim::SimulatedDesktop::defaultDescription());
            panel.defaults->set(AppPreferences::launchAtLoginKey, launchAtLogin);
            desktop->appServices().loginItems.setStatus(
                loginItemEnabled ? platform::SMAppServiceStatusEnabled
                                 : platform::SMAppServiceStatusNotRegistered);
            std::vector<std::string> events;
            int terminations = 0;
            AppDelegate delegate(AppDelegate::Context{
                LaunchMode::product, desktop->services(), panel.preferences, nullptr, nullptr,
                [this] { return makeHub(); }, nullptr, [&](int) { ++terminations; },
                [&](std::string_view event) { events.emplace_back(event); }});
            delegate.applicationDidFinishLaunching();
            run(200);
            const int expected = !launchAtLogin && !loginItemEnabled ? 1 : 0;
            EXPECT_EQ(panelPresentations(), expected);
            EXPECT_EQ(delegate.statusBar()->isPanelWindowVisible(), expected == 1);
            EXPECT_EQ(events, std::vector<std::string>{"product"});
            EXPECT_EQ(terminations, 0);
            EXPECT_TRUE(panel.preferences.defaults().boolForKey(
                AppPreferences::firstRunDefaultsAppliedKey));
        }
    }
}

TEST_F(HubFixture, AnActivationRequestAndAReopenOpenThePanelOfTheRunningCopy) {
    panel.defaults->set(AppPreferences::launchAtLoginKey, true);
    std::vector<std::string> events;
    AppDelegate delegate(
        AppDelegate::Context{LaunchMode::product, desktop->services(), panel.preferences, nullptr,
                             nullptr, [this] { return makeHub(); }, nullptr, [](int) {},
                             [&](std::string_view event) { events.emplace_back(event); }});
    delegate.applicationDidFinishLaunching();
    run();
    EXPECT_FALSE(delegate.statusBar()->isPanelWindowVisible());
    desktop->appServices().distributedNotifications.postNotification(
        {std::string(SingleInstanceGuard::activationRequestNotification),
         desktop->services().bundle.bundleIdentifier(),
         {{"requestingPID", platform::Value(std::int64_t{4242})}}},
        true);
    run();
    EXPECT_TRUE(delegate.statusBar()->isPanelWindowVisible());
    EXPECT_EQ(events,
              (std::vector<std::string>{"product", "duplicate-instance-activation-request"}));

    // Opened again (Dock, Finder) with the panel closed: the panel comes back.
    delegate.statusBar()->statusItemClicked();
    run();
    ASSERT_FALSE(delegate.statusBar()->isPanelWindowVisible());
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
    run();
    EXPECT_TRUE(delegate.statusBar()->isPanelWindowVisible());
}

TEST_F(HubFixture, UnexpectedModesEndAtOnce) {
    struct Row {
        LaunchMode mode;
        const char* event;
    };
    for (const Row& row : {Row{LaunchMode::sentrySmoke, "sentry-smoke-unexpected-app-launch"},
                           Row{LaunchMode::updateSmoke, "update-smoke-unexpected-app-launch"}}) {
        std::vector<std::string> events;
        std::vector<int> statuses;
        AppDelegate delegate(AppDelegate::Context{
            row.mode, desktop->services(), panel.preferences, nullptr, nullptr,
            [this] { return makeHub(); }, nullptr, [&](int status) { statuses.push_back(status); },
            [&](std::string_view event) { events.emplace_back(event); }});
        delegate.applicationDidFinishLaunching();
        EXPECT_EQ(events, std::vector<std::string>{row.event}) << toString(row.mode);
        EXPECT_EQ(statuses, std::vector<int>{0}) << toString(row.mode);
        EXPECT_EQ(delegate.statusBar(), nullptr);
        EXPECT_FALSE(delegate.applicationShouldTerminateAfterLastWindowClosed());
        EXPECT_FALSE(delegate.applicationShouldHandleReopen(false));
    }
}

// The debug mode shows its panel with the simulated desktop beside it, starts no product, and
// ends when either window is closed; opened again, it brings a closed panel back.
TEST_F(HubFixture, TheDebugModeShowsItsPanelBesideTheDesktopAndEndsWithIt) {
    PanelTesting::application();
    std::vector<std::string> events;
    std::vector<int> statuses;
    AppDelegate delegate(AppDelegate::Context{
        LaunchMode::debug, desktop->services(), panel.preferences, nullptr, nullptr,
        [this] { return makeHub(); }, nullptr, [&](int status) { statuses.push_back(status); },
        [&](std::string_view event) { events.emplace_back(event); },
        [this] { return std::make_unique<DesktopWindow>(*desktop); }});
    delegate.applicationDidFinishLaunching();
    run();
    EXPECT_EQ(events, std::vector<std::string>{"debug-panel"});
    EXPECT_EQ(policies(), std::vector<platform::NSApplicationActivationPolicy>{
                              platform::NSApplicationActivationPolicyRegular});
    EXPECT_EQ(panelPresentations(), 1);
    EXPECT_EQ(delegate.statusBar(), nullptr);
    EXPECT_TRUE(delegate.applicationShouldTerminateAfterLastWindowClosed());
    ASSERT_NE(delegate.debugController(), nullptr);
    ASSERT_NE(delegate.debugDesktopWindow(), nullptr);
    QWidget& window = *delegate.debugController()->window();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(delegate.debugDesktopWindow()->isVisible());
    // The panel lists what the desktop shows.
    EXPECT_GT(delegate.debugController()->tableView()->rowCount(), 0);
    EXPECT_TRUE(statuses.empty());

    window.close();
    EXPECT_EQ(statuses, std::vector<int>{0});
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
    EXPECT_TRUE(window.isVisible());

    delegate.debugDesktopWindow()->close();
    EXPECT_EQ(statuses, (std::vector<int>{0, 0}));
}

} // namespace
