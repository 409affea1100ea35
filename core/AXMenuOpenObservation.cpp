#include "core/AXMenuOpenObservation.h"

#include <algorithm>

namespace QelCore {

std::unique_ptr<AXMenuOpenObservation>
AXMenuOpenObservation::start(platform::Accessibility& accessibility, platform::RunLoop& runLoop,
                             pid_t pid) {
    return start(accessibility, runLoop, pid,
                 {defaultNotificationNames.begin(), defaultNotificationNames.end()});
}

std::unique_ptr<AXMenuOpenObservation>
AXMenuOpenObservation::startForElement(platform::Accessibility& accessibility,
                                       platform::RunLoop& runLoop,
                                       const platform::AXUIElement& element) {
    const auto accepts = [&accessibility, element](const platform::AXUIElement& notified) {
        if (notified == element) {
            return true;
        }
        const auto children =
            accessibility.copyAttributeValue(element, platform::kAXChildrenAttribute);
        const auto elements =
            children.error == platform::kAXErrorSuccess ? children.value.elements() : std::nullopt;
        return elements &&
               std::find(elements->begin(), elements->end(), notified) != elements->end();
    };
    return start(accessibility, runLoop, element.pid(),
                 {defaultNotificationNames.begin(), defaultNotificationNames.end()}, accepts);
}

std::unique_ptr<AXMenuOpenObservation>
AXMenuOpenObservation::start(platform::Accessibility& accessibility, platform::RunLoop& runLoop,
                             pid_t pid, const std::vector<std::string>& notificationNames) {
    return start(accessibility, runLoop, pid, notificationNames, {});
}

std::unique_ptr<AXMenuOpenObservation>
AXMenuOpenObservation::start(platform::Accessibility& accessibility, platform::RunLoop& runLoop,
                             pid_t pid, const std::vector<std::string>& notificationNames,
                             ElementFilter accepts) {
    auto state = std::make_shared<State>();
    // The callback holds the state weakly: a delivery that outlives the observation finds
    // nothing to fill.
    auto observer = accessibility.createObserver(
        pid, [weakState = std::weak_ptr<State>(state), accepts = std::move(accepts)](
                 const platform::AXUIElement& element, const std::string& name) {
            const auto source = evidenceSource(name);
            const auto target = weakState.lock();
            if (!target || source == MenuOpenEvidenceSource::none ||
                (accepts && !accepts(element))) {
                return;
            }
            std::lock_guard guard(target->lock);
            if (!target->storedEvent) {
                target->storedEvent = Event{name, source};
            }
        });
    if (!observer) {
        return nullptr;
    }
    const platform::AXUIElement application = accessibility.createApplication(pid);
    std::vector<std::string> registered;
    for (const auto& name : notificationNames) {
        if (observer->addNotification(application, name) == platform::kAXErrorSuccess) {
            registered.push_back(name);
        }
    }
    if (registered.empty()) {
        return nullptr;
    }
    auto source = observer->runLoopSource();
    if (!source) {
        for (const auto& name : registered) {
            observer->removeNotification(application, name);
        }
        return nullptr;
    }
    runLoop.addSource(source);
    return std::unique_ptr<AXMenuOpenObservation>(
        new AXMenuOpenObservation(std::move(observer), application, std::move(registered), runLoop,
                                  std::move(source), std::move(state)));
}

AXMenuOpenObservation::AXMenuOpenObservation(std::shared_ptr<platform::AXObserver> observer,
                                             platform::AXUIElement observedElement,
                                             std::vector<std::string> notificationNames,
                                             platform::RunLoop& runLoop,
                                             std::shared_ptr<platform::RunLoopSource> runLoopSource,
                                             std::shared_ptr<State> state)
    : observer_(std::move(observer)), observedElement_(observedElement),
      notificationNames_(std::move(notificationNames)), runLoop_(runLoop),
      runLoopSource_(std::move(runLoopSource)), state_(std::move(state)) {}

AXMenuOpenObservation::~AXMenuOpenObservation() {
    for (const auto& name : notificationNames_) {
        observer_->removeNotification(observedElement_, name);
    }
    runLoop_.removeSource(runLoopSource_);
    // Deliveries already queued would otherwise run whenever a loop next holds the source.
    runLoopSource_->cancelAll();
    observer_.reset();
    observedElement_ = {};
    runLoopSource_.reset();
    state_.reset();
}

MenuOpenEvidenceSource AXMenuOpenObservation::evidenceSource(std::string_view notificationName) {
    if (notificationName == "AXMenuOpened") {
        return MenuOpenEvidenceSource::axMenuOpened;
    }
    if (notificationName == "AXWindowCreated") {
        return MenuOpenEvidenceSource::axWindowCreated;
    }
    return MenuOpenEvidenceSource::none;
}

std::optional<AXMenuOpenObservation::Event> AXMenuOpenObservation::storedEvent() const {
    std::lock_guard guard(state_->lock);
    return state_->storedEvent;
}

std::optional<AXMenuOpenObservation::Event>
AXMenuOpenObservation::waitForEvidence(std::uint32_t timeoutMilliseconds,
                                       std::uint32_t pollIntervalMilliseconds) {
    using std::chrono::milliseconds;
    platform::Clock& clock = runLoop_.clock();
    const auto deadline = clock.now() + milliseconds(timeoutMilliseconds);
    // A zero slice would spin; a millisecond lets the loop's time move.
    const platform::Duration slice =
        milliseconds(std::max<std::uint32_t>(pollIntervalMilliseconds, 1));
    while (clock.now() < deadline) {
        if (auto event = storedEvent()) {
            return event;
        }
        const platform::Duration left = deadline - clock.now();
        if (left <= platform::Duration::zero()) {
            break;
        }
        runLoop_.runFor(std::min(left, slice));
    }
    return storedEvent();
}

} // namespace QelCore
