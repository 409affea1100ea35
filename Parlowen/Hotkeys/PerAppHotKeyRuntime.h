#pragma once

#include "Parlowen/Hotkeys/HotKeyRegistry.h"
#include "Parlowen/Hotkeys/PerAppHotKeyRegistering.h"
#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"
#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Items/ScanSnapshot.h"
#include "Parlowen/Opening/ActionRunner.h"
#include "Parlowen/Opening/CompatibilityStore.h"
#include "Parlowen/Opening/QuickOpenActionOutcome.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Status/ScanStatusStore.h"
#include "Parlowen/Telemetry/QuickOpenTelemetryEvent.h"
#include "core/ActionAttemptLog.h"
#include "platform/BundleInfo.h"
#include "platform/Clock.h"
#include "platform/PlatformServices.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace Parlowen {

// Keeps one system-wide hotkey for every stored per-app binding whose item is in the latest
// scan; a press opens that item's menu the way a Quick Open row does (action runner, feedback,
// recents, compatibility memory, scan status, sampled telemetry) without the panel, with no
// delay and no change of the activation policy. Main thread only.
class PerAppHotKeyRuntime {
public:
    // Where bindings are read and each open is recorded.
    struct Stores {
        PerAppHotKeyStore& store;
        RecentMenuBarItemStore& recentStore;
        CompatibilityStore& compatibilityStore;
        ScanStatusStore& scanStatusStore;

        // The process-wide stores.
        static Stores shared();
    };

    struct Configuration {
        Stores stores;
        // A new registrar holding no hotkey.
        std::function<std::unique_ptr<PerAppHotKeyRegistering>()> registrarFactory;
        // Every attempt made to open the item's menu; blocks while the attempts wait.
        std::function<std::vector<QelCore::ActionAttemptLog>(const AXMenuBarItemRecord&)>
            actionRunner;
        // The Accessibility trust check, without a prompt.
        std::function<bool()> accessibilityTrustChecker;
        // Whether an open with this outcome is reported.
        std::function<bool(QuickOpenActionOutcome)> telemetrySampler;
        std::function<void(const QuickOpenTelemetryEvent&)> telemetryReporter;
        // Monotonic time measures the telemetry duration; wall time dates the stored records.
        platform::Clock& clock;
        // This app's bundle, whose version and identifier telemetry reports.
        const platform::BundleInfo& bundle;

        // The program's choice: `HotKeyManager`s on the registry, the live action runner,
        // trust check, clock and bundle of the services, failures always and successes at the
        // environment's sample rate reported through the shared crash reporter, without
        // waiting for delivery. `runnerSettings` tell a reveal whether a window of the program
        // is open. The services, the registry and the stores must outlive the runtime.
        static Configuration live(const platform::PlatformServices& services,
                                  HotKeyRegistry& registry,
                                  ActionRunner::LiveSettings runnerSettings = {},
                                  Stores stores = Stores::shared());
    };

    explicit PerAppHotKeyRuntime(Configuration configuration);
    // Gives every hotkey back; a press still queued does nothing.
    ~PerAppHotKeyRuntime();
    PerAppHotKeyRuntime(const PerAppHotKeyRuntime&) = delete;
    PerAppHotKeyRuntime& operator=(const PerAppHotKeyRuntime&) = delete;

    // Registers anew, newest binding first, one hotkey per stored binding that resolves to an
    // item of the snapshot and has a modifier. A chord the system refuses is skipped silently.
    void sync(const ScanSnapshot& snapshot);
    // Gives every hotkey back.
    void stop();

    // The identities whose hotkeys are registered now, in key order.
    std::vector<MenuBarItemStableIdentity> registeredIdentities() const;

private:
    struct State {
        Configuration configuration;
        std::unordered_map<MenuBarItemStableIdentity, std::unique_ptr<PerAppHotKeyRegistering>>
            registrations;
    };

    static void open(const Configuration& configuration, const AXMenuBarItemRecord& item);

    // Shared with the hotkeys' actions, which hold it weakly and keep it for the length of an
    // open: a rescan during the open's waits may replace every registration.
    std::shared_ptr<State> state_;
};

} // namespace Parlowen
