#pragma once

#include "platform/Accessibility.h"
#include "platform/sim/SimulatedDesktop.h"

#include <set>

namespace platform::sim {

// An observer of one simulated process. The desktop schedules its notifications on the
// observer's source, so they reach the callback only while a loop holding the source runs.
class SimAXObserver : public AXObserver {
public:
    SimAXObserver(SimulatedDesktop& desktop, pid_t pid, Callback callback);
    ~SimAXObserver() override;

    AXError addNotification(const AXUIElement& element, std::string_view name) override;
    AXError removeNotification(const AXUIElement& element, std::string_view name) override;
    std::shared_ptr<RunLoopSource> runLoopSource() override { return source_; }

    pid_t pid() const { return pid_; }
    // Schedules the notification when it is registered; called with the desktop's lock held.
    void deliver(const std::string& name, const AXUIElement& element, MonotonicTime due);

private:
    SimulatedDesktop& desktop_;
    const pid_t pid_;
    const Callback callback_;
    const std::shared_ptr<RunLoopSource> source_ = std::make_shared<RunLoopSource>();
    std::set<std::pair<std::uint64_t, std::string>, std::less<>> registrations_;
};

// Accessibility over the simulated desktop: trust, the element trees of the applications'
// menu bars and status items with their quirks, and actions that open and close menus.
class SimAccessibility : public Accessibility {
public:
    explicit SimAccessibility(SimulatedDesktop& desktop) : desktop_(desktop) {}

    bool isProcessTrusted(bool prompt) override;
    AXUIElement createApplication(pid_t pid) override { return AXUIElement(pid, 0); }
    AXCopyResult copyAttributeValue(const AXUIElement& element,
                                    std::string_view attribute) override;
    AXCopyResult copyActionNames(const AXUIElement& element) override;
    AXError performAction(const AXUIElement& element, std::string_view action) override;
    std::shared_ptr<AXObserver> createObserver(pid_t pid, AXObserver::Callback callback) override;

private:
    using StatusItem = SimulatedDesktop::StatusItem;

    // The error that stops any call on the element, or success; with the desktop's lock held.
    AXError check(const AXUIElement& element) const;
    AXCopyResult applicationAttribute(const AXUIElement& element, std::string_view attribute);
    AXCopyResult menuBarAttribute(const AXUIElement& element, std::string_view attribute);
    AXCopyResult statusItemAttribute(const StatusItem& item, std::string_view attribute);
    AXCopyResult menuAttribute(const StatusItem& item, std::uint64_t part,
                               std::string_view attribute);
    AXError performOnStatusItem(StatusItem& item, std::string_view action);

    SimulatedDesktop& desktop_;
};

} // namespace platform::sim
