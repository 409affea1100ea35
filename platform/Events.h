#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <optional>

namespace platform {

enum CGEventType : std::uint32_t {
    kCGEventNull = 0,
    kCGEventLeftMouseDown = 1,
    kCGEventLeftMouseUp = 2,
    kCGEventMouseMoved = 5,
    kCGEventLeftMouseDragged = 6,
    kCGEventKeyDown = 10,
    kCGEventKeyUp = 11,
};

enum CGEventTapLocation : std::uint32_t {
    kCGHIDEventTap = 0,
    kCGSessionEventTap = 1,
};

enum CGEventSourceStateID : std::int32_t {
    kCGEventSourceStateCombinedSessionState = 0,
    kCGEventSourceStateHIDSystemState = 1,
};

enum CGMouseButton : std::uint32_t {
    kCGMouseButtonLeft = 0,
};

using CGEventFlags = std::uint64_t;
using CGKeyCode = std::uint16_t;
using CGDirectDisplayID = std::uint32_t;
using CGError = std::int32_t;

inline constexpr CGEventFlags kCGEventFlagMaskCommand = 0x100000;
inline constexpr CGKeyCode kVK_Escape = 53;
inline constexpr CGError kCGErrorSuccess = 0;
inline constexpr CGError kCGErrorFailure = 1000;

// An event source (CGEventSourceRef) and the state it reads.
struct CGEventSource {
    CGEventSourceStateID state = kCGEventSourceStateHIDSystemState;

    friend bool operator==(const CGEventSource&, const CGEventSource&) = default;
};

// One synthesized event. Mouse locations are in top-left coordinates of the primary display;
// `flags` is what CGEventSetFlags sets.
struct CGEvent {
    CGEventType type = kCGEventNull;
    CGPoint location;
    CGMouseButton button = kCGMouseButtonLeft;
    CGKeyCode keyCode = 0;
    CGEventFlags flags = 0;

    friend bool operator==(const CGEvent&, const CGEvent&) = default;
};

// CoreGraphics events and the cursor.
class Events {
public:
    Events() = default;
    Events(const Events&) = delete;
    Events& operator=(const Events&) = delete;
    virtual ~Events() = default;

    // An event source reading the given state (CGEventSourceCreate); none on failure.
    virtual std::optional<CGEventSource> createSource(CGEventSourceStateID state) = 0;
    // A null event at the current cursor location (CGEventCreate); none on failure.
    virtual std::optional<CGEvent> createEvent(const CGEventSource* source) = 0;
    // A mouse event (CGEventCreateMouseEvent); none on failure.
    virtual std::optional<CGEvent> createMouseEvent(const CGEventSource* source, CGEventType type,
                                                    CGPoint location, CGMouseButton button) = 0;
    // A key-down or key-up event for a virtual key code (CGEventCreateKeyboardEvent); none on
    // failure.
    virtual std::optional<CGEvent> createKeyboardEvent(const CGEventSource* source,
                                                       CGKeyCode keyCode, bool keyDown) = 0;
    // Posts an event to a tap location (CGEventPost); like macOS it reports nothing.
    virtual void post(CGEventTapLocation tap, const CGEvent& event) = 0;
    // The display that holds the menu bar (CGMainDisplayID).
    virtual CGDirectDisplayID mainDisplayID() = 0;
    // Hides the cursor (CGDisplayHideCursor).
    virtual CGError hideCursor(CGDirectDisplayID display) = 0;
    // Shows the cursor again (CGDisplayShowCursor).
    virtual CGError showCursor(CGDirectDisplayID display) = 0;
};

} // namespace platform
