#pragma once

#include "platform/LoginItems.h"
#include "platform/ProcessEnvironment.h"

#include <filesystem>
#include <mutex>
#include <string>

namespace platform::native {

// The main application as a login item: an XDG autostart entry that starts its executable.
// The entry is replaced atomically, so a failed write leaves the old one and answers the error.
class XdgAutostartLoginItems final : public LoginItems {
public:
    // The entry "app.tessaline.Tessaline.desktop" in "$XDG_CONFIG_HOME/autostart", or in
    // "$HOME/.config/autostart" without an absolute XDG_CONFIG_HOME.
    static std::filesystem::path defaultEntryPath(const ProcessEnvironment& environment);

    XdgAutostartLoginItems(std::filesystem::path entryPath, std::filesystem::path executable,
                           std::string name);

    // Enabled when the entry exists and is not switched off, requires approval when the user
    // switched it off (Hidden or X-GNOME-Autostart-enabled=false), not found when the
    // executable is missing.
    SMAppServiceStatus status() override;
    std::optional<LoginItemError> registerAndReturnError() override;
    // Removing an entry that is not there succeeds.
    std::optional<LoginItemError> unregisterAndReturnError() override;

    // The entry's text for an executable and name; none when the path cannot be written in one
    // (a line break in it).
    static std::optional<std::string> entryText(const std::filesystem::path& executable,
                                                const std::string& name);

private:
    const std::filesystem::path entryPath_;
    const std::filesystem::path executable_;
    const std::string name_;
    std::mutex mutex_;
};

} // namespace platform::native
