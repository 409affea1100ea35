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
    if (!handler) {
        return 0;
    }
    return add({true, mask, std::move(handler), {}});
}

ObserverToken SimEventMonitors::addGlobalMonitor(NSEventMask mask, GlobalHandler handler) {
    if (!handler) {
        return 0;
    }
    return add({false, mask, {}, std::move(handler)});
}

ObserverToken SimEventMonitors::add(Monitor monitor) {
    std::lock_guard lock(state_->mutex);
    const ObserverToken token = state_->nextToken++;
    state_->monitors.emplace(token, std::make_shared<const Monitor>(std::move(monitor)));
    return token;
}

void SimEventMonitors::removeMonitor(ObserverToken monitor) {
    std::lock_guard lock(state_->mutex);
    state_->monitors.erase(monitor);
}

std::size_t SimEventMonitors::monitorCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->monitors.size();
}

NSEventModifierFlags SimEventMonitors::flags() const {
    NSEventModifierFlags flags = capsLock_ ? NSEventModifierFlagCapsLock : 0;
    for (CGKeyCode keyCode : held_) {
        const ModifierKey* key = modifierKey(keyCode);
        flags |= key->deviceIndependent | key->deviceDependent;
    }
    return flags;
}

std::optional<NSEvent> SimEventMonitors::pressModifierKey(CGKeyCode keyCode, bool down) {
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
    const bool local = isActive_();
    std::lock_guard lock(state_->mutex);
    for (const auto& [token, monitor] : state_->monitors) {
        if (monitor->local != local || (monitor->mask & NSEventMaskFlagsChanged) == 0) {
            continue;
        }
        mainLoop_.post([weak = std::weak_ptr<State>(state_), token = token, event] {
            std::shared_ptr<const Monitor> current;
            if (auto state = weak.lock()) {
                std::lock_guard lock(state->mutex);
                auto found = state->monitors.find(token);
                if (found != state->monitors.end()) {
                    current = found->second;
                }
            }
            if (!current) {
                return;
            }
            if (current->local) {
                current->localHandler(event);
            } else {
                current->globalHandler(event);
            }
        });
    }
    return event;
}

} // namespace platform::sim
