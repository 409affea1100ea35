#pragma once

#include "platform/Events.h"
#include "platform/Value.h"
#include "platform/Workspace.h"
#include "platform/sim/AppServicesDescription.h"

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform::sim {

// One display; `frame` in Cocoa coordinates. A notch of the given size sits centred at the top.
struct DisplayDescription {
    CGDirectDisplayID id = 0;
    std::string name;
    CGRect frame;
    CGFloat menuBarHeight = 24;
    std::optional<CGSize> notch;
};

// The display whose Cocoa frame starts at (0, 0); null when there is none.
const DisplayDescription* primaryDisplay(const std::vector<DisplayDescription>& displays);

struct AppDescription {
    pid_t pid = 0;
    std::optional<std::string> name;
    std::optional<std::string> bundleIdentifier;
    NSApplicationActivationPolicy activationPolicy = NSApplicationActivationPolicyRegular;
    std::optional<double> launchDate; // seconds since 2001-01-01 UTC
    std::optional<pid_t> parentPid;
    std::vector<std::string> menus; // the application menus, shown while it is frontmost
};

// How one action of a status item behaves when performed.
struct ActionQuirk {
    enum class Kind { normal, transientFailures, acceptedWithoutEffect, unsupported };
    Kind kind = Kind::normal;
    int count = 0; // failures before the action works, for transientFailures
};

struct MenuDescription {
    std::vector<std::string> opensOn; // "AXPress", "AXShowMenu", "click"
    std::string notification;         // "AXMenuOpened", "AXWindowCreated" or "none"
    double notificationDelayMs = 0;
    std::vector<std::string> items;
    CGSize windowSize{220, 200};
};

struct StatusItemDescription {
    std::string id; // the desktop's own name for the item, used by tests
    pid_t pid = 0;
    CGFloat width = 0;
    // Attribute values that override or add to the defaults (role, subrole, position, size);
    // an absent Value means "no value".
    std::map<std::string, Value, std::less<>> attributes;
    std::vector<std::string> actions{"AXPress"};
    std::map<std::string, ActionQuirk, std::less<>> actionQuirks;
    std::optional<MenuDescription> menu;
};

// An ordinary window; bounds in top-left coordinates of the primary display.
struct WindowDescription {
    pid_t pid = 0;
    int layer = 0;
    CGRect bounds;
    bool onScreen = true;
    bool desktopElement = false;
};

struct TrustDescription {
    bool trusted = true;
    std::optional<double> grantOnPromptAfterMs; // granted this long after the first prompt
};

// A change at a time after the desktop starts.
struct TimelineEvent {
    double atMs = 0;
    std::variant<std::monostate, AppDescription, pid_t, std::vector<DisplayDescription>> change;
    std::vector<StatusItemDescription> statusItems; // of a launched app
};

struct DesktopDescription {
    std::string name;
    std::vector<DisplayDescription> displays;
    AppDescription ownProcess;
    std::vector<AppDescription> apps;
    std::optional<pid_t> frontmostPid;
    std::vector<StatusItemDescription> statusItems; // right to left
    CGFloat statusBarRightMargin = 8;
    std::vector<WindowDescription> windows;
    std::vector<Value> rawWindowEntries; // added to the window list as they stand
    TrustDescription trust;
    std::vector<TimelineEvent> timeline;
    std::vector<std::string> expectedHiddenBehindNotch;
    std::vector<std::string> expectedPushedOffscreen;
    AppServicesDescription appServices;
};

// Why a description was refused: the path of the offending field ("statusItems[3].width") and
// what is wrong with it.
struct DescriptionError {
    std::string field;
    std::string message;

    std::string text() const { return field + ": " + message; }
};

using DescriptionResult = std::variant<DesktopDescription, DescriptionError>;

// Reads a desktop description from JSON text; never throws.
DescriptionResult parseDesktopDescription(std::string_view jsonText);

// The most a description file may hold, far above any desktop's (10,000 status items take
// under 2 MiB).
inline constexpr std::size_t maximumDescriptionFileSize = std::size_t{16} << 20;

// Reads a desktop description from a file. A file that cannot be read, or that holds more than
// `maximumDescriptionFileSize` bytes, is refused as a "(document)" error; reading stops just
// past that size, so a device without end (/dev/zero) is not read for ever.
DescriptionResult loadDesktopDescription(const std::filesystem::path& path);

// A JSON value as a platform value: objects with exactly "x" and "y" become points, with
// exactly "width" and "height" sizes, null the absent value.
Value valueFromJson(const nlohmann::json& json);

} // namespace platform::sim
