#include "Parlowen/Hotkeys/PerAppHotKeyRuntime.h"

#include "Parlowen/Opening/CompatibilityRecord.h"
#include "Parlowen/Scanning/MenuBarScanner.h"
#include "Parlowen/Settings/StoredJSONList.h"
#include "Parlowen/Telemetry/QuickOpenTelemetrySampling.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/sim/SimAppServices.h"
#include "tests/hotkeys/HotkeyTestSupport.h"
#include "tests/open/OpenTestSupport.h"
#include "tests/telemetry/TelemetryReporterFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Parlowen;
using HotkeyTesting::at;
using OpenTestSupport::sampleDesktop;
using OpenTestSupport::statusItem;
using std::chrono::milliseconds;

constexpr std::uint32_t kKey = 40; // K
constexpr std::uint32_t jKey = 38; // J
constexpr std::uint32_t otherPid = 4242;

// A runtime on a simulated desktop, with its own stores and a reporter that keeps the events.
struct RuntimeDesktop : OpenTestSupport::Desktop {
    explicit RuntimeDesktop(const nlohmann::json& description = sampleDesktop())
        : OpenTestSupport::Desktop(description) {
        configuration.telemetryReporter = [this](const QuickOpenTelemetryEvent& event) {
            events.push_back(event);
        };
    }

    std::shared_ptr<platform::InMemoryUserDefaults> defaults =
        std::make_shared<platform::InMemoryUserDefaults>();
    PerAppHotKeyStore store{defaults};
    RecentMenuBarItemStore recents{defaults};
    CompatibilityStore compatibility{defaults};
    platform::NotificationCenter center;
    ScanStatusStore status{center};
    platform::sim::SimHotKeys& hotKeys = desktop.appServices().hotKeys;
    HotKeyRegistry registry{hotKeys, loop};
    PerAppHotKeyRuntime::Configuration configuration = PerAppHotKeyRuntime::Configuration::live(
        services(), registry, {}, {store, recents, compatibility, status});
    std::vector<QuickOpenTelemetryEvent> events;

    ScanSnapshot scan() { return MenuBarScanner::scan(services(), std::nullopt, true); }

    AXMenuBarItemRecord item(const ScanSnapshot& snapshot, const std::string& id) {
        const auto element = desktop.statusItemElement(id);
        for (const auto& record : snapshot.items) {
            if (element && record.element == *element) {
                return record;
            }
        }
        ADD_FAILURE() << "no item " << id;
        return {};
    }

    std::vector<CompatibilityRecord> compatibilityRecords() const {
        return StoredJSONList::loadEntries<CompatibilityRecord>(*defaults, CompatibilityStore::key);
    }

    // Closes the open menus, as the user would.
    void pressEscape() {
        auto& events = services().events;
        for (const bool down : {true, false}) {
            events.post(platform::kCGHIDEventTap,
                        *events.createKeyboardEvent(nullptr, platform::kVK_Escape, down));
        }
    }

    void press(std::uint32_t keyCode, std::uint32_t modifiers) {
        hotKeys.press(keyCode, modifiers);
        loop.runFor(milliseconds(1));
    }
};

TEST(PerAppHotKeyRuntime, APressOpensTheItemAndRecordsItLikeQuickOpen) {
    RuntimeDesktop desktop;
    const auto snapshot = desktop.scan();
    const auto clock = desktop.item(snapshot, "clock");
    ASSERT_EQ(desktop.store.assign(clock, kKey, platform::cmdKey | platform::optionKey, at(0)).kind,
              PerAppHotKeyAssignmentResult::Kind::saved);
    PerAppHotKeyRuntime runtime(desktop.configuration);
    runtime.sync(snapshot);
    ASSERT_EQ(runtime.registeredIdentities(), std::vector{MenuBarItemStableIdentity::of(clock)});

    const auto pressedAt = desktop.clock.wallNow();
    desktop.press(kKey, platform::cmdKey | platform::optionKey);

    EXPECT_TRUE(desktop.desktop.isMenuOpen("clock"));
    const auto& feedback = desktop.status.lastActionFeedback();
    ASSERT_TRUE(feedback.has_value());
    EXPECT_EQ(feedback->outcome, QuickOpenActionOutcome::observedOpen);
    EXPECT_EQ(feedback->appName, clock.appName);
    EXPECT_GE(*desktop.status.lastActionFeedbackRecordedAt(), pressedAt);

    const auto recents = desktop.recents.load();
    ASSERT_EQ(recents.size(), 1u);
    EXPECT_EQ(recents[0].identity, MenuBarItemStableIdentity::of(clock));
    EXPECT_EQ(recents[0].outcome, QuickOpenActionOutcome::observedOpen);

    const auto records = desktop.compatibilityRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].lastOutcome, CompatibilityLabel::worksWell);
    EXPECT_EQ(records[0].observedOpenCount, 1);

    ASSERT_EQ(desktop.events.size(), 1u);
    EXPECT_EQ(desktop.events[0].name, "quick_open_attempt");
    EXPECT_EQ(desktop.events[0].tags.at("trigger"), "perAppHotKey");
}

TEST(PerAppHotKeyRuntime, AHiddenItemThatNeverShowsItsMenuCountsAsObstructed) {
    auto description = sampleDesktop();
    statusItem(description, "amphetamine-14").erase("menu");
    RuntimeDesktop desktop(description);
    const auto snapshot = desktop.scan();
    const auto amphetamine = desktop.item(snapshot, "amphetamine-14");
    ASSERT_EQ(amphetamine.classification, QelCore::VisibilityClassification::hiddenBehindNotch);
    desktop.store.assign(amphetamine, kKey, platform::controlKey, at(0));
    PerAppHotKeyRuntime runtime(desktop.configuration);
    runtime.sync(snapshot);

    desktop.press(kKey, platform::controlKey);

    ASSERT_TRUE(desktop.status.lastActionFeedback().has_value());
    EXPECT_EQ(desktop.status.lastActionFeedback()->outcome, QuickOpenActionOutcome::actionSent);
    const auto records = desktop.compatibilityRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].lastOutcome, CompatibilityLabel::requiresMoveIntoView);
    EXPECT_EQ(records[0].actionSentCount, 1);
}

TEST(PerAppHotKeyRuntime, RegistersOnlyWhatCanBeRegistered) {
    RuntimeDesktop desktop;
    const auto snapshot = desktop.scan();
    const auto clock = desktop.item(snapshot, "clock");
    const auto held = desktop.item(snapshot, "amphetamine-14");
    const auto bare = desktop.item(snapshot, "zoom-5");
    auto gone = clock;
    gone.title = "Not in this scan";
    desktop.store.assign(clock, kKey, platform::cmdKey, at(1));
    desktop.store.assign(gone, jKey, platform::cmdKey, at(2));
    ASSERT_TRUE(desktop.hotKeys.holdForApplication(otherPid, kKey, platform::shiftKey));
    desktop.store.assign(held, kKey, platform::shiftKey, at(3));
    // A chord without a modifier, as an older or edited store may hold it.
    StoredJSONList::updateEntries<PerAppHotKeyBinding>(
        *desktop.defaults, PerAppHotKeyStore::key, [&](auto& bindings) {
            bindings.push_back({MenuBarItemStableIdentity::of(bare), bare.appName, bare.title,
                                PerAppHotKeyShortcut{jKey, platform::alphaLock}, at(4)});
        });
    ASSERT_EQ(desktop.store.load().size(), 4u);

    PerAppHotKeyRuntime runtime(desktop.configuration);
    runtime.sync(snapshot);
    EXPECT_EQ(runtime.registeredIdentities(), std::vector{MenuBarItemStableIdentity::of(clock)});
    EXPECT_EQ(desktop.hotKeys.holder(kKey, platform::shiftKey), otherPid);
    EXPECT_EQ(desktop.hotKeys.holder(jKey, 0), std::nullopt);
    EXPECT_EQ(desktop.hotKeys.holder(jKey, platform::cmdKey), std::nullopt);

    // The other application's chord opens nothing here.
    desktop.press(kKey, platform::shiftKey);
    EXPECT_FALSE(desktop.status.lastActionFeedback().has_value());
    EXPECT_TRUE(desktop.events.empty());

    // Syncing again registers the same hotkeys anew; stopping gives them all back.
    runtime.sync(snapshot);
    EXPECT_EQ(runtime.registeredIdentities().size(), 1u);
    runtime.stop();
    runtime.stop();
    EXPECT_TRUE(runtime.registeredIdentities().empty());
    EXPECT_EQ(desktop.hotKeys.holder(kKey, platform::cmdKey), std::nullopt);
}

TEST(PerAppHotKeyRuntime, ARescanDuringAnOpenReplacesTheRunningHotKey) {
    RuntimeDesktop desktop;
    const auto snapshot = desktop.scan();
    const auto clock = desktop.item(snapshot, "clock");
    desktop.store.assign(clock, kKey, platform::cmdKey, at(1));
    std::unique_ptr<PerAppHotKeyRuntime> runtime;
    auto run = desktop.configuration.actionRunner;
    int opens = 0;
    desktop.configuration.actionRunner = [&](const AXMenuBarItemRecord& item) {
        ++opens;
        // The scan's resync lands while the menu-open waits turn the loop.
        runtime->sync(snapshot);
        return run(item);
    };
    runtime = std::make_unique<PerAppHotKeyRuntime>(desktop.configuration);
    runtime->sync(snapshot);

    desktop.press(kKey, platform::cmdKey);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(desktop.recents.load().at(0).appName, clock.appName);
    desktop.pressEscape();
    desktop.press(kKey, platform::cmdKey);
    EXPECT_EQ(opens, 2);
}

TEST(PerAppHotKeyRuntime, NothingHappensOnceTheRuntimeIsGone) {
    RuntimeDesktop desktop;
    const auto snapshot = desktop.scan();
    desktop.store.assign(desktop.item(snapshot, "clock"), kKey, platform::cmdKey, at(1));
    auto runtime = std::make_unique<PerAppHotKeyRuntime>(desktop.configuration);
    runtime->sync(snapshot);
    desktop.hotKeys.press(kKey, platform::cmdKey);
    runtime.reset();
    desktop.loop.runFor(milliseconds(1));
    EXPECT_FALSE(desktop.desktop.isMenuOpen("clock"));
    EXPECT_FALSE(desktop.status.lastActionFeedback().has_value());
    EXPECT_EQ(desktop.hotKeys.holder(kKey, platform::cmdKey), std::nullopt);
}

// The program's own sampler: with the success rate set to 0 in the process environment, only
// failures are reported.
TEST(PerAppHotKeyRuntime, WithoutSamplingOnlyFailuresAreReported) {
    auto description = sampleDesktop();
    auto& zoom = statusItem(description, "zoom-5");
    zoom["actions"] = nlohmann::json::array();
    zoom["attributes"]["AXPosition"] = nullptr;
    zoom["attributes"]["AXSize"] = nullptr;
    RuntimeDesktop desktop(description);
    int trustChecks = 0;
    desktop.configuration.accessibilityTrustChecker = [&] {
        ++trustChecks;
        return true;
    };
    const struct RateZero {
        RateZero() { ::setenv(QuickOpenTelemetrySampling::sampleRateVariable, " 0 ", 1); }
        ~RateZero() { ::unsetenv(QuickOpenTelemetrySampling::sampleRateVariable); }
    } rateZero;
    desktop.configuration.telemetrySampler =
        PerAppHotKeyRuntime::Configuration::live(
            desktop.services(), desktop.registry, {},
            {desktop.store, desktop.recents, desktop.compatibility, desktop.status})
            .telemetrySampler;
    const auto snapshot = desktop.scan();
    desktop.store.assign(desktop.item(snapshot, "clock"), kKey, platform::cmdKey, at(1));
    desktop.store.assign(desktop.item(snapshot, "zoom-5"), jKey, platform::cmdKey, at(2));
    PerAppHotKeyRuntime runtime(desktop.configuration);
    runtime.sync(snapshot);

    desktop.press(kKey, platform::cmdKey);
    EXPECT_TRUE(desktop.events.empty());
    EXPECT_EQ(trustChecks, 0);
    desktop.press(jKey, platform::cmdKey);
    ASSERT_EQ(desktop.events.size(), 1u);
    EXPECT_EQ(trustChecks, 1);
    EXPECT_EQ(desktop.status.lastActionFeedback()->outcome, QuickOpenActionOutcome::failed);
    // A failure is remembered but never becomes a recent item.
    EXPECT_EQ(desktop.recents.load().size(), 1u);
    EXPECT_EQ(desktop.compatibilityRecords().size(), 2u);
}

using PerAppHotKeyReporting = TelemetryReporterFixture;

TEST_F(PerAppHotKeyReporting, TheProgramsReporterSendsTheOpenToTheCrashReporter) {
    auto reporter = makeReporter();
    reporter->startIfConsented();
    ASSERT_TRUE(reporter->isActive());
    CrashReporter::setShared(std::move(reporter));
    {
        RuntimeDesktop desktop;
        desktop.configuration.telemetryReporter =
            PerAppHotKeyRuntime::Configuration::live(
                desktop.services(), desktop.registry, {},
                {desktop.store, desktop.recents, desktop.compatibility, desktop.status})
                .telemetryReporter;
        const auto snapshot = desktop.scan();
        desktop.store.assign(desktop.item(snapshot, "clock"), kKey, platform::cmdKey, at(1));
        PerAppHotKeyRuntime runtime(desktop.configuration);
        runtime.sync(snapshot);
        desktop.press(kKey, platform::cmdKey);
    }
    const auto events = eventsOnceThereAre(1);
    CrashReporter::setShared(nullptr);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].at("message").at("formatted"), "quick_open_attempt");
    EXPECT_EQ(events[0].at("tags").at("trigger"), "perAppHotKey");
}

} // namespace
