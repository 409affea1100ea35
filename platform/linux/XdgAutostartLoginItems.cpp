#include "platform/linux/XdgAutostartLoginItems.h"

#include "platform/FileReplacement.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>

namespace platform::native {

namespace {
constexpr std::size_t maximumEntrySize = 64 * 1024;

LoginItemError errorOf(int code, const std::string& what) {
    return {code, what + ": " + std::strerror(code)};
}

// One argument of an Exec key: quoted, with the characters the desktop entry format reserves
// escaped, then the string escape applied to backslashes.
std::string quotedArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '\\') {
            quoted += "\\\\\\\\";
            continue;
        }
        if (c == '"' || c == '`' || c == '$') {
            quoted += "\\\\";
        }
        if (c == '%') {
            quoted += '%';
        }
        quoted += c;
    }
    return quoted + '"';
}

bool switchedOff(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") {
            return true;
        }
    }
    return false;
}
} // namespace

std::filesystem::path
XdgAutostartLoginItems::defaultEntryPath(const ProcessEnvironment& environment) {
    std::filesystem::path config;
    if (auto xdg = environment.find("XDG_CONFIG_HOME");
        xdg != environment.end() && std::filesystem::path(xdg->second).is_absolute()) {
        config = xdg->second;
    } else if (auto home = environment.find("HOME"); home != environment.end()) {
        config = std::filesystem::path(home->second) / ".config";
    }
    return config / "autostart" / "app.tessaline.Tessaline.desktop";
}

XdgAutostartLoginItems::XdgAutostartLoginItems(std::filesystem::path entryPath,
                                               std::filesystem::path executable, std::string name)
    : entryPath_(std::move(entryPath)), executable_(std::move(executable)), name_(std::move(name)) {
}

std::optional<std::string>
XdgAutostartLoginItems::entryText(const std::filesystem::path& executable,
                                  const std::string& name) {
    const std::string path = executable.string();
    if (path.find_first_of("\n\r") != std::string::npos ||
        name.find_first_of("\n\r") != std::string::npos) {
        return std::nullopt;
    }
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           name + "\nExec=" + quotedArgument(path) +
           "\nTerminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

SMAppServiceStatus XdgAutostartLoginItems::status() {
    std::lock_guard lock(mutex_);
    if (executable_.empty() || ::access(executable_.c_str(), X_OK) != 0) {
        return SMAppServiceStatusNotFound;
    }
    const std::optional<std::string> text =
        FileReplacement::readOwnedFile(entryPath_, maximumEntrySize);
    if (!text) {
        return SMAppServiceStatusNotRegistered;
    }
    return switchedOff(*text) ? SMAppServiceStatusRequiresApproval : SMAppServiceStatusEnabled;
}

std::optional<LoginItemError> XdgAutostartLoginItems::registerAndReturnError() {
    std::lock_guard lock(mutex_);
    const std::optional<std::string> text = entryText(executable_, name_);
    if (!text || executable_.empty()) {
        return errorOf(EINVAL, "The program's path cannot start at login");
    }
    std::error_code created;
    std::filesystem::create_directories(entryPath_.parent_path(), created);
    if (created) {
        return errorOf(created.value(), "Cannot create " + entryPath_.parent_path().string());
    }
    if (const int error = FileReplacement::replace(entryPath_, *text, 0644); error != 0) {
        return errorOf(error, "Cannot write " + entryPath_.string());
    }
    return std::nullopt;
}

std::optional<LoginItemError> XdgAutostartLoginItems::unregisterAndReturnError() {
    std::lock_guard lock(mutex_);
    if (::unlink(entryPath_.c_str()) != 0) {
        const int error = errno;
        if (error != ENOENT) {
            return errorOf(error, "Cannot remove " + entryPath_.string());
        }
    }
    return std::nullopt;
}

} // namespace platform::native
