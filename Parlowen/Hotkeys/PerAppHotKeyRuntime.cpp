#include "Parlowen/Hotkeys/PerAppHotKeyRuntime.h"

#include "Parlowen/Hotkeys/HotKeyManager.h"
#include "Parlowen/Hotkeys/PerAppHotKeyResolver.h"
#include "Parlowen/Opening/QuickOpenActionFeedback.h"
#include "Parlowen/Telemetry/CrashReporter.h"
#include "Parlowen/Telemetry/QuickOpenTelemetrySampling.h"
#include "core/VisibilityClassification.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace Parlowen {

namespace {

using QelCore::VisibilityClassification;

std::optional<CompatibilityAttemptOutcome> compatibilityOutcome(QuickOpenActionOutcome outcome,
                                                                const AXMenuBarItemRecord& item) {
    switch (outcome) {
    case QuickOpenActionOutcome::observedOpen:
        return CompatibilityAttemptOutcome::observedOpen;
    case QuickOpenActionOutcome::actionSent:
        return item.classification == VisibilityClassification::hiddenBehindNotch ||
                       item.classification == VisibilityClassification::pushedOffscreen
                   ? CompatibilityAttemptOutcome::actionSentWhileObstructed
                   : CompatibilityAttemptOutcome::actionSent;
    case QuickOpenActionOutcome::failed:
        return CompatibilityAttemptOutcome::failed;
    case QuickOpenActionOutcome::opening:
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

PerAppHotKeyRuntime::Stores PerAppHotKeyRuntime::Stores::shared() {
    return {PerAppHotKeyStore::shared(), RecentMenuBarItemStore::shared(),
            CompatibilityStore::shared(), ScanStatusStore::shared()};
}

PerAppHotKeyRuntime::Configuration
PerAppHotKeyRuntime::Configuration::live(const platform::PlatformServices& services,
                                         HotKeyRegistry& registry,
                                         ActionRunner::LiveSettings runnerSettings, Stores stores) {
    auto& accessibility = services.accessibility;
    return Configuration{
        stores,
        [&registry] { return std::make_unique<HotKeyManager>(registry); },
        [runner = ActionRunner::Configuration::live(services, std::move(runnerSettings))](
            const AXMenuBarItemRecord& item) {
            return ActionRunner::runPreferredActions(item, runner);
        },
        [&accessibility] { return accessibility.isProcessTrusted(false); },
        QuickOpenTelemetrySampling::sampler(platform::currentProcessEnvironment),
        [](const QuickOpenTelemetryEvent& event) {
            CrashReporter::shared().captureDiagnosticEvent(event.diagnosticEvent(), std::nullopt);
        },
        services.clock,
        services.bundle,
    };
}

PerAppHotKeyRuntime::PerAppHotKeyRuntime(Configuration configuration)
    : state_(std::make_shared<State>(State{std::move(configuration), {}})) {}

PerAppHotKeyRuntime::~PerAppHotKeyRuntime() {
    stop();
}

void PerAppHotKeyRuntime::sync(const ScanSnapshot& snapshot) {
    stop();
    auto& configuration = state_->configuration;
    const auto resolutions =
        PerAppHotKeyResolver::resolve(configuration.stores.store.bindings(), snapshot.items);
    for (const auto& resolution : resolutions) {
        const auto& binding = resolution.binding;
        // A chord without Command, Shift, Option or Control would take a bare key from every
        // application; such a binding stays listed but is never registered. Of two bindings
        // under one identity the newer keeps the hotkey.
        if (!resolution.item || !binding.shortcut.hasModifier() ||
            state_->registrations.contains(binding.identity)) {
            continue;
        }
        auto registrar = configuration.registrarFactory();
        if (!registrar) {
            continue;
        }
        const bool registered = registrar->registerHotKey(
            binding.shortcut.keyCode, binding.shortcut.modifierFlags,
            [weak = std::weak_ptr<State>(state_), item = *resolution.item] {
                if (const auto state = weak.lock()) {
                    open(state->configuration, item);
                }
            });
        if (registered) {
            state_->registrations.emplace(binding.identity, std::move(registrar));
        }
    }
}

void PerAppHotKeyRuntime::stop() {
    // Taken out first: giving a hotkey back must not meet a half-cleared map.
    auto registrations = std::exchange(state_->registrations, {});
    for (auto& [identity, registrar] : registrations) {
        registrar->unregister();
    }
}

std::vector<MenuBarItemStableIdentity> PerAppHotKeyRuntime::registeredIdentities() const {
    std::vector<MenuBarItemStableIdentity> identities;
    for (const auto& [identity, registrar] : state_->registrations) {
        identities.push_back(identity);
    }
    std::sort(identities.begin(), identities.end());
    return identities;
}

void PerAppHotKeyRuntime::open(const Configuration& configuration,
                               const AXMenuBarItemRecord& item) {
    const auto started = configuration.clock.now();
    const auto attempts = configuration.actionRunner(item);
    const auto feedback = QuickOpenActionFeedback::make(
        item.appName, attempts, QuickOpenActionFeedback::observedOpen(attempts));
    const auto outcome = feedback.outcome;

    if (configuration.telemetrySampler(outcome)) {
        const auto evidenceSource = QuickOpenTelemetryEvent::evidenceSource(attempts);
        const bool accessibilityGranted = configuration.accessibilityTrustChecker();
        const double duration =
            std::chrono::duration<double>(configuration.clock.now() - started).count();
        configuration.telemetryReporter(QuickOpenTelemetryEvent::make(
            item, feedback, attempts, evidenceSource, accessibilityGranted, duration,
            QuickOpenTelemetryTrigger::perAppHotKey, configuration.bundle));
    }

    const Date now = configuration.clock.wallNow();
    configuration.stores.recentStore.record(item, outcome, now);
    if (const auto compatibility = compatibilityOutcome(outcome, item)) {
        configuration.stores.compatibilityStore.record(item, *compatibility,
                                                       feedback.keyboardNavigability, now);
    }
    configuration.stores.scanStatusStore.recordActionFeedback(feedback, now);
}

} // namespace Parlowen
