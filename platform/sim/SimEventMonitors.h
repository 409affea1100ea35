#pragma once

#include "platform/EventMonitors.h"
#include "platform/HandlerRegistry.h"
#include "platform/RunLoop.h"

#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

namespace platform::sim {

// Event monitors over the simulated keyboard. The test API presses and releases modifier keys;
// each change becomes one flags-changed event with the flags of every key then held, delivered
// to the local monitors when the key is pressed in a window of this program and to the global
// ones when it is pressed in another app's, as on a Mac.
class SimEventMonitors final : public EventMonitors {
public:
    // Whose window has the keyboard as a key changes; by default the frontmost app's.
    enum class KeyWindow { frontmostApp, thisProgram, otherApp };

    SimEventMonitors(RunLoop& mainLoop, std::function<bool()> isActive);

    ObserverToken addLocalMonitor(NSEventMask mask, LocalHandler handler) override;
    ObserverToken addGlobalMonitor(NSEventMask mask, GlobalHandler handler) override;
    void removeMonitor(ObserverToken monitor) override;

    // Test API: a modifier key (by virtual key code) goes down or up in `window`. Answers the
    // event sent, none for a key that is no modifier or a change that changes nothing.
    std::optional<NSEvent> pressModifierKey(CGKeyCode keyCode, bool down,
                                            KeyWindow window = KeyWindow::frontmostApp);
    // Test API: every held key of the modifiers in `modifiers` (device-independent flags) goes up
    // in `window`, one flags-changed event each, as when the keys were let go where none of the
    // program's windows saw it. Answers the events sent.
    std::vector<NSEvent> releaseModifierKeys(NSEventModifierFlags modifiers, KeyWindow window);
    // Test API: the number of monitors installed.
    std::size_t monitorCount() const;

private:
    struct Monitor {
        bool local = false;
        NSEventMask mask = 0;
        LocalHandler localHandler;
        GlobalHandler globalHandler;
    };
    NSEventModifierFlags flags() const;

    RunLoop& mainLoop_;
    const std::function<bool()> isActive_;
    HandlerRegistry<Monitor> monitors_;
    std::mutex keysMutex_;
    std::set<CGKeyCode> held_;
    bool capsLock_ = false;
};

} // namespace platform::sim
