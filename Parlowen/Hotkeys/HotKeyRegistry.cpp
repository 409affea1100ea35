#include "Parlowen/Hotkeys/HotKeyRegistry.h"

#include <limits>

namespace Parlowen {

HotKeyRegistry::HotKeyRegistry(platform::GlobalHotKeys& hotKeys, platform::RunLoop& mainLoop)
    : hotKeys_(hotKeys), mainLoop_(mainLoop) {}

HotKeyRegistry::~HotKeyRegistry() {
    if (handler_ != 0) {
        hotKeys_.removeEventHandler(handler_);
    }
}

bool HotKeyRegistry::installHandler() {
    if (handler_ != 0) {
        return true;
    }
    // The handler only queues the press: the action runs as a task of its own after the
    // handler has returned, and not at all once its identifier is gone.
    auto handler = [weak = std::weak_ptr<State>(state_),
                    &mainLoop = mainLoop_](const platform::HotKeyEvent& event) {
        const std::uint32_t id = event.hotKeyID.id;
        mainLoop.post([weak, id] {
            if (const auto state = weak.lock()) {
                dispatch(*state, id);
            }
        });
        return platform::noErr;
    };
    const auto installed = hotKeys_.installEventHandler(
        {platform::kEventClassKeyboard, platform::kEventHotKeyPressed}, std::move(handler));
    if (installed.status != platform::noErr) {
        return false;
    }
    handler_ = installed.handler;
    return true;
}

std::optional<std::uint32_t> HotKeyRegistry::add(std::function<void()> action) {
    // A hotkey without a handler would be held but never fire.
    if (!installHandler() || state_->nextID > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    const auto id = static_cast<std::uint32_t>(state_->nextID++);
    state_->actions[id] = std::move(action);
    return id;
}

void HotKeyRegistry::remove(std::uint32_t id) {
    state_->actions.erase(id);
}

void HotKeyRegistry::dispatch(State& state, std::uint32_t id) {
    const auto found = state.actions.find(id);
    if (found == state.actions.end()) {
        return;
    }
    const auto action = found->second;
    action();
}

std::size_t HotKeyRegistry::actionCount() const {
    return state_->actions.size();
}

} // namespace Parlowen
