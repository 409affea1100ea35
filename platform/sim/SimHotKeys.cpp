#include "platform/sim/SimHotKeys.h"

#include <algorithm>

namespace platform::sim {

SimHotKeys::SimHotKeys(RunLoop& mainLoop, pid_t ownPid,
                       const std::vector<HeldHotKeyDescription>& held)
    : mainLoop_(mainLoop), ownPid_(ownPid) {
    for (const HeldHotKeyDescription& chord : held) {
        holdForApplication(chord.pid, chord.keyCode, chord.modifiers);
    }
}

SimHotKeys::Chord SimHotKeys::chordOf(std::uint32_t keyCode, std::uint32_t modifiers) {
    // Only the four modifier keys tell chords apart, as the event manager compares them.
    return {keyCode, modifiers & (cmdKey | shiftKey | optionKey | controlKey)};
}

InstallHandlerResult SimHotKeys::installEventHandler(EventTypeSpec type, Handler handler) {
    if (type.eventClass != kEventClassKeyboard ||
        (type.eventKind != kEventHotKeyPressed && type.eventKind != kEventHotKeyReleased) ||
        !handler) {
        return {paramErr, 0};
    }
    return {noErr, handlers_.add({type, std::move(handler)})};
}

OSStatus SimHotKeys::removeEventHandler(EventHandlerRef handler) {
    return handlers_.remove(handler) ? noErr : paramErr;
}

RegisterHotKeyResult SimHotKeys::registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                                     EventHotKeyID id) {
    std::lock_guard lock(mutex_);
    const Chord chord = chordOf(keyCode, modifiers);
    if (keyCode > 0xFFFF) {
        return {eventHotKeyInvalidErr, 0};
    }
    if (chords_.contains(chord)) {
        return {eventHotKeyExistsErr, 0};
    }
    const EventHotKeyRef ref = nextHotKey_++;
    chords_.emplace(chord, Registration{ownPid_, ref, id});
    return {noErr, ref};
}

OSStatus SimHotKeys::unregisterEventHotKey(EventHotKeyRef hotKey) {
    std::lock_guard lock(mutex_);
    auto found = std::find_if(chords_.begin(), chords_.end(), [&](const auto& entry) {
        return entry.second.pid == ownPid_ && entry.second.ref == hotKey;
    });
    if (hotKey == 0 || found == chords_.end()) {
        return eventHotKeyInvalidErr;
    }
    chords_.erase(found);
    return noErr;
}

std::optional<pid_t> SimHotKeys::holder(std::uint32_t keyCode, std::uint32_t modifiers) const {
    std::lock_guard lock(mutex_);
    auto found = chords_.find(chordOf(keyCode, modifiers));
    return found == chords_.end() ? std::nullopt : std::optional(found->second.pid);
}

bool SimHotKeys::holdForApplication(pid_t pid, std::uint32_t keyCode, std::uint32_t modifiers) {
    std::lock_guard lock(mutex_);
    return chords_.emplace(chordOf(keyCode, modifiers), Registration{pid, nextHotKey_++, {}})
        .second;
}

std::optional<pid_t> SimHotKeys::press(std::uint32_t keyCode, std::uint32_t modifiers) {
    std::lock_guard lock(mutex_);
    auto found = chords_.find(chordOf(keyCode, modifiers));
    if (found == chords_.end()) {
        return std::nullopt;
    }
    if (found->second.pid == ownPid_) {
        const HotKeyEvent event{{kEventClassKeyboard, kEventHotKeyPressed}, found->second.id};
        handlers_.post(
            mainLoop_,
            [](const InstalledHandler& installed) {
                return installed.type.eventKind == kEventHotKeyPressed;
            },
            [event](const InstalledHandler& installed) { installed.handler(event); });
    }
    return found->second.pid;
}

} // namespace platform::sim
