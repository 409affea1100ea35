#pragma once

#include "core/MenuOpenEvidenceSource.h"
#include "platform/Accessibility.h"
#include "platform/RunLoop.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace QelCore {

// Listens for the first "AXMenuOpened" or "AXWindowCreated" of one process. Start one per
// action attempt, before the action; notifications arrive only while the loop given to `start`
// runs, which `waitForEvidence` does. Start and wait on the thread of that loop. Destroying the
// observation unregisters everything and drops deliveries still pending.
class AXMenuOpenObservation {
public:
    struct Event {
        std::string notificationName;
        MenuOpenEvidenceSource evidenceSource = MenuOpenEvidenceSource::none;

        friend bool operator==(const Event&, const Event&) = default;
    };

    static constexpr std::array<std::string_view, 2> defaultNotificationNames{"AXMenuOpened",
                                                                              "AXWindowCreated"};

    // None when no observer can be created or no notification can be registered.
    static std::unique_ptr<AXMenuOpenObservation>
    start(platform::Accessibility& accessibility, platform::RunLoop& runLoop, pid_t pid,
          const std::vector<std::string>& notificationNames);
    static std::unique_ptr<AXMenuOpenObservation> start(platform::Accessibility& accessibility,
                                                        platform::RunLoop& runLoop, pid_t pid);
    // As `start` with the default names for the element's process, keeping only notifications
    // about the element itself or one of its children (the menu of a menu-bar item is its
    // child), so that another item of the same process never answers for this one.
    static std::unique_ptr<AXMenuOpenObservation>
    startForElement(platform::Accessibility& accessibility, platform::RunLoop& runLoop,
                    const platform::AXUIElement& element);

    // "AXMenuOpened" and "AXWindowCreated" map to their sources, any other name to none.
    static MenuOpenEvidenceSource evidenceSource(std::string_view notificationName);

    // Runs the loop in slices of the poll interval (at least 1 ms) until the first notification
    // arrives or the time is up. A time-out of 0 runs nothing but still answers a notification
    // delivered before the call.
    std::optional<Event> waitForEvidence(std::uint32_t timeoutMilliseconds,
                                         std::uint32_t pollIntervalMilliseconds);

    AXMenuOpenObservation(const AXMenuOpenObservation&) = delete;
    AXMenuOpenObservation& operator=(const AXMenuOpenObservation&) = delete;
    ~AXMenuOpenObservation();

private:
    using ElementFilter = std::function<bool(const platform::AXUIElement&)>;

    static std::unique_ptr<AXMenuOpenObservation>
    start(platform::Accessibility& accessibility, platform::RunLoop& runLoop, pid_t pid,
          const std::vector<std::string>& notificationNames, ElementFilter accepts);

    // The slot the callback fills: only the first accepted notification is kept.
    struct State {
        std::mutex lock;
        std::optional<Event> storedEvent;
    };

    AXMenuOpenObservation(std::shared_ptr<platform::AXObserver> observer,
                          platform::AXUIElement observedElement,
                          std::vector<std::string> notificationNames, platform::RunLoop& runLoop,
                          std::shared_ptr<platform::RunLoopSource> runLoopSource,
                          std::shared_ptr<State> state);

    std::optional<Event> storedEvent() const;

    std::shared_ptr<platform::AXObserver> observer_;
    platform::AXUIElement observedElement_;
    std::vector<std::string> notificationNames_;
    platform::RunLoop& runLoop_;
    std::shared_ptr<platform::RunLoopSource> runLoopSource_;
    std::shared_ptr<State> state_;
};

} // namespace QelCore
