#include "platform/sim/SimEventMonitors.h"

#include <array>

namespace platform::sim {

namespace {
struct ModifierKey {
    CGKeyCode keyCode;
    NSEventModifierFlags deviceIndependent;
    NSEventModifierFlags deviceDependent;
};

constexpr std::array<ModifierKey, 10> modifierKeys{{
    {kVK_Shift, NSEventModifierFlagShift, NX_DEVICELSHIFTKEYMASK},
    {kVK_RightShift, NSEventModifierFlagShift, NX_DEVICERSHIFTKEYMASK},
    {kVK_Control, NSEventModifierFlagControl, NX_DEVICELCTLKEYMASK},
    {kVK_RightControl, NSEventModifierFlagControl, NX_DEVICERCTLKEYMASK},
    {kVK_Option, NSEventModifierFlagOption, NX_DEVICELALTKEYMASK},
    {kVK_RightOption, NSEventModifierFlagOption, NX_DEVICERALTKEYMASK},
    {kVK_Command, NSEventModifierFlagCommand, NX_DEVICELCMDKEYMASK},
    {kVK_RightCommand, NSEventModifierFlagCommand, NX_DEVICERCMDKEYMASK},
    {kVK_Function, NSEventModifierFlagFunction, 0},
    {kVK_CapsLock, NSEventModifierFlagCapsLock, 0},
}};

const ModifierKey* modifierKey(CGKeyCode keyCode) {
    for (const ModifierKey& key : modifierKeys) {
        if (key.keyCode == keyCode) {
            return &key;
        }
    }
    return nullptr;
}
} // namespace

SimEventMonitors::SimEventMonitors(RunLoop& mainLoop, std::function<bool()> isActive)
    : mainLoop_(mainLoop), isActive_(std::move(isActive)) {}

ObserverToken SimEventMonitors::addLocalMonitor(NSEventMask mask, LocalHandler handler) {
    return handler ? monitors_.add({true, mask, std::move(handler), {}}) : 0;
}

ObserverToken SimEventMonitors::addGlobalMonitor(NSEventMask mask, GlobalHandler handler) {
    return handler ? monitors_.add({false, mask, {}, std::move(handler)}) : 0;
}

void SimEventMonitors::removeMonitor(ObserverToken monitor) {
    monitors_.remove(monitor);
}

std::size_t SimEventMonitors::monitorCount() const {
    return monitors_.size();
}

NSEventModifierFlags SimEventMonitors::flags() const {
    NSEventModifierFlags flags = capsLock_ ? NSEventModifierFlagCapsLock : 0;
    for (CGKeyCode keyCode : held_) {
        const ModifierKey* key = modifierKey(keyCode);
        flags |= key->deviceIndependent | key->deviceDependent;
    }
    return flags;
}

std::vector<NSEvent> SimEventMonitors::releaseModifierKeys(NSEventModifierFlags modifiers,
                                                           KeyWindow window) {
    std::vector<CGKeyCode> released;
    {
        std::lock_guard lock(keysMutex_);
        for (CGKeyCode keyCode : held_) {
            if ((modifierKey(keyCode)->deviceIndependent & modifiers) != 0) {
                released.push_back(keyCode);
            }
        }
    }
    std::vector<NSEvent> events;
    for (CGKeyCode keyCode : released) {
        // A key another thread let go meanwhile sends nothing more.
        if (auto event = pressModifierKey(keyCode, false, window)) {
            events.push_back(*event);
        }
    }
    return events;
}

std::optional<NSEvent> SimEventMonitors::pressModifierKey(CGKeyCode keyCode, bool down,
                                                          KeyWindow window) {
    if (modifierKey(keyCode) == nullptr) {
        return std::nullopt;
    }
    NSEvent event{NSEventTypeFlagsChanged, keyCode, 0};
    {
        std::lock_guard lock(keysMutex_);
        if (keyCode == kVK_CapsLock) {
            // Caps Lock toggles its flag on each press; its release sends nothing.
            if (!down) {
                return std::nullopt;
            }
            capsLock_ = !capsLock_;
        } else if (down ? !held_.insert(keyCode).second : held_.erase(keyCode) == 0) {
            return std::nullopt;
        }
        event.modifierFlags = flags();
    }
    const bool local =
        window == KeyWindow::frontmostApp ? isActive_() : window == KeyWindow::thisProgram;
    monitors_.post(
        mainLoop_,
        [local](const Monitor& monitor) {
            return monitor.local == local && (monitor.mask & NSEventMaskFlagsChanged) != 0;
        },
        [event](const Monitor& monitor) {
            if (monitor.local) {
                monitor.localHandler(event);
            } else {
                monitor.globalHandler(event);
            }
        });
    return event;
}

} // namespace platform::sim
