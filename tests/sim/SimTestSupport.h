#pragma once

#include "tests/support/SampleDesktops.h"
#include "tests/support/VirtualDesktop.h"

#include <string>

namespace platform::sim {

inline std::string readDesktopFile(const std::string& name) {
    return SampleDesktops::sampleDesktopText(name);
}

// A sample desktop on a virtual clock and loop.
struct VirtualDesktop : TestSupport::VirtualDesktop {
    explicit VirtualDesktop(const std::string& name = "notched-crowded")
        : TestSupport::VirtualDesktop(readDesktopFile(name)) {}
};

} // namespace platform::sim
