#include "Parlowen/Scanning/MenuBarScanner.h"
#include "tests/app/HubFixture.h"
#include "ui/Debug/DebugPanelController.h"
#include "ui/Desktop/DesktopWindow.h"

#include <QTableWidget>

namespace {
using namespace Parlowen;
using AppTesting::HubFixture;

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
    // The open window is closed first, which returns to accessory before the new showing.
    pressOptionPair();
    EXPECT_TRUE(hub->isPanelWindowVisible());
    EXPECT_EQ(policies(), (std::vector<P>{regular, regular, regular, accessory, regular, regular,
                                          regular, accessory, regular}));
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
// enabled login item says the launch was automatic and no onboarding is shown; a shown
// onboarding opens it once when it completes, whatever the launch.
TEST_F(HubFixture, TheLaunchMatrixOpensThePanelOnceOrNever) {
    enum class Onboarding { notNeeded, leftOpen, completed };
    for (const Onboarding onboarding :
         {Onboarding::notNeeded, Onboarding::leftOpen, Onboarding::completed}) {
        for (const bool launchAtLogin : {false, true}) {
            for (const bool loginItemEnabled : {false, true}) {
                SCOPED_TRACE(std::string("onboarding=") +
                             (onboarding == Onboarding::notNeeded  ? "not needed"
                              : onboarding == Onboarding::leftOpen ? "left open"
                                                                   : "completed") +
                             " launchAtLogin=" + (launchAtLogin ? "on" : "off") +
                             " loginItem=" + (loginItemEnabled ? "enabled" : "not registered"));
                useDesktop(platform::sim::SimulatedDesktop::defaultDescription());
                panel.defaults->set(AppPreferences::launchAtLoginKey, launchAtLogin);
                panel.defaults->set(AppPreferences::onboardingCompletedKey,
                                    onboarding == Onboarding::notNeeded);
                desktop->appServices().loginItems.setStatus(
                    loginItemEnabled ? platform::SMAppServiceStatusEnabled
                                     : platform::SMAppServiceStatusNotRegistered);
                std::vector<std::string> events;
                int terminations = 0;
                AppDelegate delegate(productContext(events, terminations, true));
                delegate.applicationDidFinishLaunching();
                run(200);
                EXPECT_EQ(delegate.onboarding() != nullptr, onboarding != Onboarding::notNeeded);
                if (onboarding == Onboarding::completed) {
                    EXPECT_EQ(panelPresentations(), 0);
                    // On to the permission page, where the grant already held completes it.
                    delegate.onboarding()->primaryAction();
                    run(200);
                    EXPECT_EQ(delegate.onboarding(), nullptr);
                }
                const bool opensAtLaunch = !launchAtLogin && !loginItemEnabled;
                const int expected = onboarding == Onboarding::completed  ? 1
                                     : onboarding == Onboarding::leftOpen ? 0
                                                                          : opensAtLaunch;
                EXPECT_EQ(panelPresentations(), expected);
                EXPECT_EQ(delegate.statusBar()->isPanelWindowVisible(), expected == 1);
                EXPECT_EQ(events, std::vector<std::string>{"product"});
                EXPECT_EQ(terminations, 0);
                EXPECT_TRUE(panel.preferences.defaults().boolForKey(
                    AppPreferences::firstRunDefaultsAppliedKey));
            }
        }
    }
}

TEST_F(HubFixture, AnActivationRequestAndAReopenOpenThePanelOfTheRunningCopy) {
    panel.defaults->set(AppPreferences::launchAtLoginKey, true);
    std::vector<std::string> events;
    AppDelegate delegate(
        AppDelegate::Context{LaunchMode::product, desktop->services(), panel.preferences, nullptr,
                             nullptr, [this] { return makeHub(); }, nullptr, [](int) {},
                             [&](std::string_view event) { events.emplace_back(event); }, nullptr});
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

    // With the preferences window up, a reopen brings it forward and leaves the panel alone.
    delegate.statusBar()->overflowPanel().closeCurrentPresentation();
    delegate.statusBar()->showPreferences();
    const int presentations = panelPresentations();
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(true));
    run();
    EXPECT_FALSE(delegate.statusBar()->isPanelWindowVisible());
    EXPECT_EQ(panelPresentations(), presentations);
    EXPECT_TRUE(delegate.statusBar()->isPreferencesWindowVisible());
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
            [&](std::string_view event) { events.emplace_back(event); }, nullptr});
        delegate.applicationDidFinishLaunching();
        EXPECT_EQ(events, std::vector<std::string>{row.event}) << toString(row.mode);
        EXPECT_EQ(statuses, std::vector<int>{0}) << toString(row.mode);
        EXPECT_EQ(delegate.statusBar(), nullptr);
        EXPECT_FALSE(delegate.applicationShouldTerminateAfterLastWindowClosed());
        EXPECT_FALSE(delegate.applicationShouldHandleReopen(false));
    }
}

// The preferences window is made on first use with the hub's callbacks, keeps the program
// regular while it is up (also when the panel closes), and is dropped when it closes.
TEST_F(HubFixture, ThePreferencesWindowIsWiredToTheHubAndOwnsTheRegularPolicyWhileUp) {
    panel.preferences.setQuickAccessModifierShortcut(QuickAccessModifierShortcut::none);
    auto hub = makeHub();
    wire(*hub);
    EXPECT_EQ(hub->preferencesWindow(), nullptr);
    hub->overflowPanel().onRequestPreferences();
    PreferencesWindowController* window = hub->preferencesWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(hub->isPreferencesWindowVisible());
    hub->showPreferences();
    EXPECT_EQ(hub->preferencesWindow(), window);

    EXPECT_EQ(window->menuBarItemsProvider(), std::nullopt);
    hub->poller().start();
    run(500);
    ASSERT_TRUE(hub->lastSnapshot());
    EXPECT_EQ(window->menuBarItemsProvider()->size(), hub->lastSnapshot()->items.size());

    window->onScanIntervalChanged(10.0);
    EXPECT_EQ(hub->poller().interval(), 10.0);
    window->onScanIntervalChanged(0.0);
    EXPECT_EQ(hub->poller().interval(), 10.0);
    window->onQuickAccessShortcutChanged(QuickAccessModifierShortcut::command);
    EXPECT_NE(hub->quickAccessShortcutController(), nullptr);
    panel.defaults->set(AppPreferences::panelScopeKey, std::string("hiddenOnly"));
    window->onPanelScopeChanged(OverflowPanelScope::hiddenOnly);
    EXPECT_EQ(hub->overflowPanel().activeScope(), OverflowPanelScope::hiddenOnly);

    using P = platform::NSApplicationActivationPolicy;
    hub->showRescuePanel();
    desktop->clearRecord();
    hub->overflowPanel().closeCurrentPresentation();
    EXPECT_EQ(policies(), std::vector<P>{});

    window->window()->close();
    EXPECT_EQ(hub->preferencesWindow(), nullptr);
    EXPECT_EQ(policies(), std::vector<P>{platform::NSApplicationActivationPolicyAccessory});
    PanelTesting::flushDeferredDeletes();
    hub->showPreferences();
    ASSERT_NE(hub->preferencesWindow(), nullptr);
    EXPECT_TRUE(hub->isPreferencesWindowVisible());
}

TEST_F(HubFixture, ThePreferencesShortcutListOpensThePanelsSetupAndASaveRegistersAndRefreshes) {
    panel.preferences.setQuickAccessModifierShortcut(QuickAccessModifierShortcut::none);
    auto hub = makeHub();
    wire(*hub);
    hub->poller().start();
    run(500);
    ASSERT_TRUE(hub->lastSnapshot());
    hub->showPreferences();
    PreferencesWindowController* window = hub->preferencesWindow();
    ASSERT_NE(window, nullptr);
    auto& setup = hub->overflowPanel();
    int refreshes = 0;
    const auto refresh = [&refreshes] { ++refreshes; };

    // A binding whose item the last scan does not hold opens nothing.
    PerAppHotKeyBinding stale;
    stale.identity.rawValue = "v2|gone";
    stale.shortcut = {40, platform::cmdKey};
    window->onChangePerAppHotKeyShortcut(stale, refresh);
    EXPECT_FALSE(hub->isPanelWindowVisible());

    window->onAddPerAppHotKeyShortcut(refresh);
    EXPECT_TRUE(hub->isPanelWindowVisible());
    EXPECT_EQ(setup.presentationContext, OverflowPanelPresentationContext::shortcutSetup);
    EXPECT_FALSE(setup.activeHotKeyCaptureItem());
    setup.closeCurrentPresentation();

    const AXMenuBarItemRecord item = hub->lastSnapshot()->items.front();
    constexpr std::uint32_t keyJ = 38;
    ASSERT_EQ(panel.hotKeys.assign(item, keyJ, platform::cmdKey, panel.clock.wallNow()).kind,
              PerAppHotKeyAssignmentResult::Kind::saved);
    window->onChangePerAppHotKeyShortcut(panel.hotKeys.bindings().front(), refresh);
    ASSERT_TRUE(setup.activeHotKeyCaptureItem());
    EXPECT_EQ(MenuBarItemStableIdentity::of(*setup.activeHotKeyCaptureItem()),
              MenuBarItemStableIdentity::of(item));

    constexpr std::uint32_t keyK = 40;
    setup.assignPerAppHotKey(item, keyK, platform::cmdKey | platform::shiftKey);
    EXPECT_EQ(refreshes, 1);
    EXPECT_FALSE(hub->isPanelWindowVisible());
    EXPECT_TRUE(desktop->appServices().hotKeys.holder(keyK, platform::cmdKey | platform::shiftKey));
    EXPECT_FALSE(desktop->appServices().hotKeys.holder(keyJ, platform::cmdKey));
}

// A per-app shortcut saved in an earlier run works as soon as the first scan of this run found
// its item.
TEST_F(HubFixture, AStoredPerAppShortcutWorksFromTheFirstScan) {
    const auto scan = MenuBarScanner::scan(desktop->services(), std::nullopt, true);
    const auto element = desktop->statusItemElement("clock");
    ASSERT_TRUE(element);
    const auto clock = std::find_if(scan.items.begin(), scan.items.end(),
                                    [&](const auto& item) { return item.element == *element; });
    ASSERT_NE(clock, scan.items.end());
    constexpr std::uint32_t keyK = 40;
    ASSERT_EQ(panel.hotKeys.assign(*clock, keyK, platform::cmdKey, panel.clock.wallNow()).kind,
              PerAppHotKeyAssignmentResult::Kind::saved);

    auto hub = makeHub();
    wire(*hub);
    auto& hotKeys = desktop->appServices().hotKeys;
    EXPECT_FALSE(hotKeys.holder(keyK, platform::cmdKey));
    hub->poller().start();
    run(500);
    EXPECT_TRUE(hotKeys.holder(keyK, platform::cmdKey));
    hotKeys.press(keyK, platform::cmdKey);
    run();
    EXPECT_TRUE(desktop->isMenuOpen("clock"));
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
        [&](std::string_view event) { events.emplace_back(event); }, nullptr,
        [this] { return std::make_unique<DesktopWindow>(*desktop); }});
    delegate.applicationDidFinishLaunching();
    run();
    EXPECT_EQ(events, std::vector<std::string>{"debug-panel"});
    EXPECT_EQ(policies(), std::vector<platform::NSApplicationActivationPolicy>{
                              platform::NSApplicationActivationPolicyRegular});
    const auto activations = desktop->record().activationCalls;
    EXPECT_EQ(
        std::count_if(activations.begin(), activations.end(),
                      [](const platform::sim::ActivationCall& call) {
                          return call.kind ==
                                 platform::sim::ActivationCall::Kind::activateIgnoringOtherApps;
                      }),
        1);
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
