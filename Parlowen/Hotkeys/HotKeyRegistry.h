#pragma once

#include "platform/GlobalHotKeys.h"
#include "platform/RunLoop.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace Parlowen {

// The actions of this program's hotkeys on one hotkey service, by identifier, and the one event
// handler that hands each press to the main loop. Every `HotKeyManager` of a service shares one
// registry (the program makes one at start-up): identifiers are unique across it and never
// reused, so a press can never reach another hotkey's action. Main thread only.
class HotKeyRegistry {
public:
    HotKeyRegistry(platform::GlobalHotKeys& hotKeys, platform::RunLoop& mainLoop);
    // Removes the event handler; presses still queued do nothing.
    ~HotKeyRegistry();
    HotKeyRegistry(const HotKeyRegistry&) = delete;
    HotKeyRegistry& operator=(const HotKeyRegistry&) = delete;

    platform::GlobalHotKeys& hotKeys() { return hotKeys_; }

    // Keeps the action under a new identifier; none when the event handler cannot be installed
    // or the identifiers are used up.
    std::optional<std::uint32_t> add(std::function<void()> action);
    // Forgets an identifier's action; nothing when it has none.
    void remove(std::uint32_t id);
    // How many actions are kept.
    std::size_t actionCount() const;

private:
    struct State {
        std::map<std::uint32_t, std::function<void()>> actions;
        std::uint64_t nextID = 1;
    };

    bool installHandler();
    // Runs a copy of the identifier's action, so the action may unregister or replace itself;
    // nothing for an identifier without one.
    static void dispatch(State& state, std::uint32_t id);

    platform::GlobalHotKeys& hotKeys_;
    platform::RunLoop& mainLoop_;
    platform::EventHandlerRef handler_ = 0;
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace Parlowen
