#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform::sim {

class JsonFieldReader;

// A global hotkey chord that another application holds from the start.
struct HeldHotKeyDescription {
    pid_t pid = 0;
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0; // Carbon modifier mask
};

// What the desktop tells the program's application services: where its own status item goes,
// the chords other applications hold, the reduce-motion setting and application icons.
struct AppServicesDescription {
    // How many status items stand right of the program's own item when it is made; the default
    // puts it rightmost.
    std::size_t ownStatusItemPosition = 0;
    std::vector<HeldHotKeyDescription> heldHotKeys;
    bool reduceMotion = false;
    std::map<pid_t, std::string> appIcons; // image file of an application's icon
};

// Reads "ownStatusItem": {"position": n}, "heldHotKeys": [{"pid", "keyCode", "modifiers"}],
// "reduceMotion" and "appIcons": [{"pid", "path"}] from the description's top level; every
// field is optional.
AppServicesDescription readAppServices(const JsonFieldReader& root);

} // namespace platform::sim
