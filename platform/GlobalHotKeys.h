#pragma once

#include <cstdint>
#include <functional>

namespace platform {

using OSStatus = std::int32_t;
using FourCharCode = std::uint32_t;

inline constexpr OSStatus noErr = 0;
inline constexpr OSStatus paramErr = -50;
inline constexpr OSStatus eventNotHandledErr = -9874;
inline constexpr OSStatus eventHotKeyExistsErr = -9878;
inline constexpr OSStatus eventHotKeyInvalidErr = -9879;

// Four characters read as a big-endian code ("tsln", "keyb").
constexpr FourCharCode fourCharCode(const char (&text)[5]) {
    return static_cast<FourCharCode>(static_cast<unsigned char>(text[0])) << 24 |
           static_cast<FourCharCode>(static_cast<unsigned char>(text[1])) << 16 |
           static_cast<FourCharCode>(static_cast<unsigned char>(text[2])) << 8 |
           static_cast<FourCharCode>(static_cast<unsigned char>(text[3]));
}

// Carbon modifier mask bits of a hotkey chord.
inline constexpr std::uint32_t cmdKey = 1u << 8;
inline constexpr std::uint32_t shiftKey = 1u << 9;
inline constexpr std::uint32_t alphaLock = 1u << 10;
inline constexpr std::uint32_t optionKey = 1u << 11;
inline constexpr std::uint32_t controlKey = 1u << 12;

inline constexpr FourCharCode kEventClassKeyboard = fourCharCode("keyb");
inline constexpr std::uint32_t kEventHotKeyPressed = 5;
inline constexpr std::uint32_t kEventHotKeyReleased = 6;

struct EventTypeSpec {
    FourCharCode eventClass = 0;
    std::uint32_t eventKind = 0;

    friend bool operator==(const EventTypeSpec&, const EventTypeSpec&) = default;
};

// The identifier record of a hotkey (signature and id), handed back with each press.
struct EventHotKeyID {
    FourCharCode signature = 0;
    std::uint32_t id = 0;

    friend bool operator==(const EventHotKeyID&, const EventHotKeyID&) = default;
};

// One hotkey event as the handler receives it: its type and the direct object ("----", "hkid").
struct HotKeyEvent {
    EventTypeSpec type;
    EventHotKeyID hotKeyID;
};

// Opaque references; 0 is none.
using EventHandlerRef = std::uint64_t;
using EventHotKeyRef = std::uint64_t;

struct InstallHandlerResult {
    OSStatus status = noErr;
    EventHandlerRef handler = 0;
};

struct RegisterHotKeyResult {
    OSStatus status = noErr;
    EventHotKeyRef hotKey = 0;
};

// System-wide hotkeys as the Carbon event manager offers them: a chord (virtual key code and
// Carbon modifier mask) is held by at most one application at a time, and its presses reach the
// handlers installed for the hotkey event type, as tasks on the main run loop.
class GlobalHotKeys {
public:
    using Handler = std::function<OSStatus(const HotKeyEvent& event)>;

    GlobalHotKeys() = default;
    GlobalHotKeys(const GlobalHotKeys&) = delete;
    GlobalHotKeys& operator=(const GlobalHotKeys&) = delete;
    virtual ~GlobalHotKeys() = default;

    // Installs an application event handler for the event type (InstallEventHandler on
    // GetApplicationEventTarget); paramErr for a type other than the hotkey events.
    virtual InstallHandlerResult installEventHandler(EventTypeSpec type, Handler handler) = 0;
    // Removes an installed handler (RemoveEventHandler).
    virtual OSStatus removeEventHandler(EventHandlerRef handler) = 0;
    // Registers a chord for this application (RegisterEventHotKey with options 0);
    // eventHotKeyExistsErr when any application, this one included, holds it already.
    virtual RegisterHotKeyResult registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                                     EventHotKeyID id) = 0;
    // Releases a registered chord (UnregisterEventHotKey).
    virtual OSStatus unregisterEventHotKey(EventHotKeyRef hotKey) = 0;
};

} // namespace platform
