#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>

namespace platform {

// A handle to one Accessibility element: the owning process and the element's identifier within
// it. Handles are plain values, so they can be shared and read from any thread, and they stay
// safe after the owning application quits: reads through them then answer
// kAXErrorInvalidUIElement. Two handles are equal when they name the same element.
class AXUIElement {
public:
    // The null element, which names nothing.
    AXUIElement() = default;
    AXUIElement(pid_t pid, std::uint64_t identifier) : pid_(pid), identifier_(identifier) {}

    // The process that owns the element (AXUIElementGetPid).
    pid_t pid() const { return pid_; }
    // The element's identifier within its process; 0 names the application element.
    std::uint64_t identifier() const { return identifier_; }
    bool isNull() const { return pid_ == 0 && identifier_ == 0; }

    friend bool operator==(const AXUIElement&, const AXUIElement&) = default;

private:
    pid_t pid_ = 0;
    std::uint64_t identifier_ = 0;
};

} // namespace platform

template <> struct std::hash<platform::AXUIElement> {
    std::size_t operator()(const platform::AXUIElement& element) const noexcept {
        return std::hash<std::uint64_t>{}(element.identifier()) * 31 +
               std::hash<pid_t>{}(element.pid());
    }
};
