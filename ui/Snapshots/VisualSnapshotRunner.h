#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace platform {
struct PlatformServices;
}

// The "--visual-snapshot" mode: renders the program's windows and panels off screen in fixed
// sample states, with fixed settings over an empty store, into one PNG per screen plus
// "manifest.json", and prints one JSON result line. Main thread, before any run loop runs.
namespace VisualSnapshotRunner {

struct Environment {
    // Workspace icons, trust and the bundle for the windows being drawn.
    const platform::PlatformServices& services;
    std::ostream& out;
    std::ostream& err;
    // Where a relative "--output" and the icon file are looked up from.
    std::filesystem::path currentDirectory = std::filesystem::current_path();
};

// 0 when every requested PNG, the manifest and the result line were written, else 1 after one
// "Visual snapshot failed: …" line on the error stream.
int run(const std::vector<std::string>& arguments, const Environment& environment);

} // namespace VisualSnapshotRunner
