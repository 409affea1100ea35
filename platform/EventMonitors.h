#pragma once

#include "platform/Events.h"
#include "platform/ObserverToken.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace platform {

enum NSEventType : std::uint32_t {
    NSEventTypeKeyDown = 10,
    NSEventTypeKeyUp = 11,
    NSEventTypeFlagsChanged = 12,
};

using NSEventMask = std::uint64_t;
inline constexpr NSEventMask NSEventMaskKeyDown = NSEventMask{1} << NSEventTypeKeyDown;
inline constexpr NSEventMask NSEventMaskKeyUp = NSEventMask{1} << NSEventTypeKeyUp;
inline constexpr NSEventMask NSEventMaskFlagsChanged = NSEventMask{1} << NSEventTypeFlagsChanged;

// Modifier flags as NSEvent modifierFlags carries them: device-independent bits in the high
// half, the side of each held modifier in device-dependent bits below.
using NSEventModifierFlags = std::uint64_t;
inline constexpr NSEventModifierFlags NSEventModifierFlagCapsLock = 1 << 16;
inline constexpr NSEventModifierFlags NSEventModifierFlagShift = 1 << 17;
inline constexpr NSEventModifierFlags NSEventModifierFlagControl = 1 << 18;
inline constexpr NSEventModifierFlags NSEventModifierFlagOption = 1 << 19;
inline constexpr NSEventModifierFlags NSEventModifierFlagCommand = 1 << 20;
inline constexpr NSEventModifierFlags NSEventModifierFlagNumericPad = 1 << 21;
inline constexpr NSEventModifierFlags NSEventModifierFlagHelp = 1 << 22;
inline constexpr NSEventModifierFlags NSEventModifierFlagFunction = 1 << 23;
inline constexpr NSEventModifierFlags NSEventModifierFlagDeviceIndependentFlagsMask = 0xFFFF0000;

inline constexpr NSEventModifierFlags NX_DEVICELCTLKEYMASK = 0x00000001;
inline constexpr NSEventModifierFlags NX_DEVICELSHIFTKEYMASK = 0x00000002;
inline constexpr NSEventModifierFlags NX_DEVICERSHIFTKEYMASK = 0x00000004;
inline constexpr NSEventModifierFlags NX_DEVICELCMDKEYMASK = 0x00000008;
inline constexpr NSEventModifierFlags NX_DEVICERCMDKEYMASK = 0x00000010;
inline constexpr NSEventModifierFlags NX_DEVICELALTKEYMASK = 0x00000020;
inline constexpr NSEventModifierFlags NX_DEVICERALTKEYMASK = 0x00000040;
inline constexpr NSEventModifierFlags NX_DEVICERCTLKEYMASK = 0x00002000;

// Virtual key codes of the modifier keys.
inline constexpr CGKeyCode kVK_RightCommand = 0x36;
inline constexpr CGKeyCode kVK_Command = 0x37;
inline constexpr CGKeyCode kVK_Shift = 0x38;
inline constexpr CGKeyCode kVK_CapsLock = 0x39;
inline constexpr CGKeyCode kVK_Option = 0x3A;
inline constexpr CGKeyCode kVK_Control = 0x3B;
inline constexpr CGKeyCode kVK_RightShift = 0x3C;
inline constexpr CGKeyCode kVK_RightOption = 0x3D;
inline constexpr CGKeyCode kVK_RightControl = 0x3E;
inline constexpr CGKeyCode kVK_Function = 0x3F;

// One keyboard event as an event monitor sees it (NSEvent): its type, the virtual key code and
// the raw modifier flags.
struct NSEvent {
    NSEventType type = NSEventTypeFlagsChanged;
    CGKeyCode keyCode = 0;
    NSEventModifierFlags modifierFlags = 0;

    // The flags without their device-dependent bits.
    NSEventModifierFlags deviceIndependentModifierFlags() const {
        return modifierFlags & NSEventModifierFlagDeviceIndependentFlagsMask;
    }

    friend bool operator==(const NSEvent&, const NSEvent&) = default;
};

// NSEvent's event monitors. A local monitor sees this application's own events while it is
// active and may swallow them; a global monitor sees the events sent to other applications and
// cannot change them. Handlers run on the main run loop.
class EventMonitors {
public:
    // Answers the event to let it through, none to swallow it.
    using LocalHandler = std::function<std::optional<NSEvent>(const NSEvent& event)>;
    using GlobalHandler = std::function<void(const NSEvent& event)>;

    EventMonitors() = default;
    EventMonitors(const EventMonitors&) = delete;
    EventMonitors& operator=(const EventMonitors&) = delete;
    virtual ~EventMonitors() = default;

    // addLocalMonitorForEventsMatchingMask:handler:; 0 when the monitor cannot be made.
    virtual ObserverToken addLocalMonitor(NSEventMask mask, LocalHandler handler) = 0;
    // addGlobalMonitorForEventsMatchingMask:handler:; 0 when the monitor cannot be made.
    virtual ObserverToken addGlobalMonitor(NSEventMask mask, GlobalHandler handler) = 0;
    // removeMonitor:; a handler already queued does not run afterwards.
    virtual void removeMonitor(ObserverToken monitor) = 0;
};

} // namespace platform
