#pragma once

#include "platform/GlobalHotKeys.h"
#include "platform/HandlerRegistry.h"
#include "platform/RunLoop.h"
#include "platform/sim/AppServicesDescription.h"

#include <map>
#include <mutex>
#include <optional>
#include <utility>

namespace platform::sim {

// One chord table for every application of the desktop: this program registers and releases
// chords through the interface, the description and the test API hold chords for others, and a
// press reaches this program's handlers only when it holds the chord.
class SimHotKeys final : public GlobalHotKeys {
public:
    SimHotKeys(RunLoop& mainLoop, pid_t ownPid, const std::vector<HeldHotKeyDescription>& held);

    InstallHandlerResult installEventHandler(EventTypeSpec type, Handler handler) override;
    OSStatus removeEventHandler(EventHandlerRef handler) override;
    RegisterHotKeyResult registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                             EventHotKeyID id) override;
    OSStatus unregisterEventHotKey(EventHotKeyRef hotKey) override;

    // Test API: the process holding a chord; none when it is free.
    std::optional<pid_t> holder(std::uint32_t keyCode, std::uint32_t modifiers) const;
    // Test API: another application takes a chord; false when it is held already.
    bool holdForApplication(pid_t pid, std::uint32_t keyCode, std::uint32_t modifiers);
    // Test API: the user presses a chord. When this program holds it, each installed hotkey
    // handler gets the press on the main loop. Answers the holder.
    std::optional<pid_t> press(std::uint32_t keyCode, std::uint32_t modifiers);

private:
    using Chord = std::pair<std::uint32_t, std::uint32_t>;
    struct Registration {
        pid_t pid = 0;
        EventHotKeyRef ref = 0;
        EventHotKeyID id;
    };
    struct InstalledHandler {
        EventTypeSpec type;
        Handler handler;
    };

    static Chord chordOf(std::uint32_t keyCode, std::uint32_t modifiers);

    RunLoop& mainLoop_;
    const pid_t ownPid_;
    mutable std::mutex mutex_;
    std::map<Chord, Registration> chords_;
    EventHotKeyRef nextHotKey_ = 1;
    HandlerRegistry<InstalledHandler> handlers_;
};

} // namespace platform::sim
