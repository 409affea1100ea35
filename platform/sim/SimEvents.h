#pragma once

#include "platform/Events.h"
#include "platform/sim/SimulatedDesktop.h"

namespace platform::sim {

// Synthesized events on the simulated desktop. Every post is recorded; a delivered one moves
// the cursor and acts like the real input: a click on a visible status item opens its menu,
// Escape closes open menus, and a Command-drag of a status item moves it to the drop point.
class SimEvents : public Events {
public:
    explicit SimEvents(SimulatedDesktop& desktop) : desktop_(desktop) {}

    std::optional<CGEventSource> createSource(CGEventSourceStateID state) override;
    std::optional<CGEvent> createEvent(const CGEventSource* source) override;
    std::optional<CGEvent> createMouseEvent(const CGEventSource* source, CGEventType type,
                                            CGPoint location, CGMouseButton button) override;
    std::optional<CGEvent> createKeyboardEvent(const CGEventSource* source, CGKeyCode keyCode,
                                               bool keyDown) override;
    void post(CGEventTapLocation tap, const CGEvent& event) override;
    CGDirectDisplayID mainDisplayID() override;
    CGError hideCursor(CGDirectDisplayID display) override;
    CGError showCursor(CGDirectDisplayID display) override;

private:
    // Uses up one injected failure of that kind; with the desktop's lock held.
    bool failing(EventFailure failure);
    void deliver(const CGEvent& event);

    SimulatedDesktop& desktop_;
};

} // namespace platform::sim
