#include "platform/sim/DesktopDescription.h"

#include "platform/sim/JsonFieldReader.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <unordered_set>

namespace platform::sim {

namespace {

using nlohmann::json;

CGRect readRect(const JsonFieldReader& reader) {
    return {reader.number("x"), reader.number("y"), reader.positive("width"),
            reader.positive("height")};
}

DisplayDescription readDisplay(const JsonFieldReader& reader) {
    DisplayDescription display;
    display.id = static_cast<CGDirectDisplayID>(reader.integer("id", 1, 0xFFFFFFFF));
    display.name = reader.string("name");
    display.frame = readRect(reader.object("frame"));
    if (reader.has("notch")) {
        const JsonFieldReader notch = reader.object("notch");
        display.notch = CGSize{notch.positive("width"), notch.positive("height")};
        if (display.notch->width >= display.frame.width()) {
            notch.refuse("width", "the notch must be narrower than the display");
        }
    }
    display.menuBarHeight = reader.has("menuBarHeight") ? reader.positive("menuBarHeight")
                            : display.notch             ? display.notch->height
                                                        : 24;
    return display;
}

// The displays of a list field; each display's id names it to the desktop and its observers,
// so an id used twice is refused.
std::vector<DisplayDescription> readDisplays(const JsonFieldReader& reader,
                                             const std::string& name) {
    std::vector<DisplayDescription> displays =
        reader.objects<DisplayDescription>(name, readDisplay);
    std::unordered_set<CGDirectDisplayID> ids;
    for (std::size_t i = 0; i < displays.size(); ++i) {
        if (!ids.insert(displays[i].id).second) {
            reader.refuse(name + "[" + std::to_string(i) + "].id",
                          "repeats the id " + std::to_string(displays[i].id));
        }
    }
    return displays;
}

NSApplicationActivationPolicy readPolicy(const JsonFieldReader& reader) {
    const std::string policy = reader.stringOr("activationPolicy", "regular");
    if (policy == "regular") {
        return NSApplicationActivationPolicyRegular;
    }
    if (policy == "accessory") {
        return NSApplicationActivationPolicyAccessory;
    }
    if (policy == "prohibited") {
        return NSApplicationActivationPolicyProhibited;
    }
    reader.refuse("activationPolicy", "must be \"regular\", \"accessory\" or \"prohibited\"");
}

AppDescription readApp(const JsonFieldReader& reader) {
    AppDescription app;
    app.pid = reader.pid("pid");
    app.name = reader.optionalString("name");
    app.bundleIdentifier = reader.optionalString("bundleIdentifier");
    app.activationPolicy = readPolicy(reader);
    if (reader.has("launchDate")) {
        app.launchDate = reader.number("launchDate");
    }
    if (reader.has("parentPid")) {
        app.parentPid = reader.pid("parentPid");
    }
    app.menus = reader.has("menus") ? reader.strings("menus") : std::vector<std::string>{};
    return app;
}

ActionQuirk readActionQuirk(const JsonFieldReader& reader, const std::string& action) {
    if (reader.isString(action)) {
        const std::string kind = reader.string(action);
        if (kind == "acceptedWithoutEffect") {
            return {ActionQuirk::Kind::acceptedWithoutEffect, 0};
        }
        if (kind == "unsupported") {
            return {ActionQuirk::Kind::unsupported, 0};
        }
        reader.refuse(action, "must be \"acceptedWithoutEffect\", \"unsupported\" or "
                              "{\"transientFailures\": N}");
    }
    const JsonFieldReader quirk = reader.object(action);
    return {ActionQuirk::Kind::transientFailures,
            static_cast<int>(quirk.integer("transientFailures", 0, 1000))};
}

MenuDescription readMenu(const JsonFieldReader& reader) {
    MenuDescription menu;
    menu.opensOn = reader.strings("opensOn");
    for (const std::string& trigger : menu.opensOn) {
        if (trigger != "AXPress" && trigger != "AXShowMenu" && trigger != "click") {
            reader.refuse("opensOn", "unknown trigger \"" + trigger + "\"");
        }
    }
    menu.notification = reader.stringOr("notification", "none");
    if (menu.notification != "AXMenuOpened" && menu.notification != "AXWindowCreated" &&
        menu.notification != "none") {
        reader.refuse("notification", "must be \"AXMenuOpened\", \"AXWindowCreated\" or \"none\"");
    }
    if (reader.has("notificationDelayMs")) {
        menu.notificationDelayMs = reader.nonNegative("notificationDelayMs");
    }
    menu.items = reader.has("items") ? reader.strings("items") : std::vector<std::string>{};
    if (reader.has("window")) {
        const JsonFieldReader window = reader.object("window");
        menu.windowSize = {window.positive("width"), window.positive("height")};
    }
    return menu;
}

StatusItemDescription readStatusItem(const JsonFieldReader& reader) {
    StatusItemDescription item;
    item.id = reader.string("id");
    item.pid = reader.pid("pid");
    item.width = reader.positive("width");
    if (reader.has("attributes")) {
        reader.object("attributes").forEach([&](const std::string& name, const json& value) {
            item.attributes.emplace(name, valueFromJson(value));
        });
    }
    if (reader.has("actions")) {
        item.actions = reader.strings("actions");
    }
    if (reader.has("actionQuirks")) {
        const JsonFieldReader quirks = reader.object("actionQuirks");
        quirks.forEach([&](const std::string& action, const json&) {
            item.actionQuirks.emplace(action, readActionQuirk(quirks, action));
        });
    }
    if (reader.has("menu")) {
        item.menu = readMenu(reader.object("menu"));
    }
    return item;
}

WindowDescription readWindow(const JsonFieldReader& reader) {
    WindowDescription window;
    window.pid = reader.pid("pid");
    window.layer = static_cast<int>(reader.integer("layer", -2147483647, 2147483647));
    window.bounds = readRect(reader.object("bounds"));
    window.onScreen = reader.booleanOr("onScreen", true);
    window.desktopElement = reader.booleanOr("desktopElement", false);
    return window;
}

TimelineEvent readTimelineEvent(const JsonFieldReader& reader) {
    TimelineEvent event;
    event.atMs = reader.nonNegative("atMs");
    const std::string kind = reader.string("event");
    if (kind == "launch") {
        event.change = readApp(reader.object("app"));
        event.statusItems = reader.objects<StatusItemDescription>("statusItems", readStatusItem,
                                                                  /*required=*/false);
    } else if (kind == "quit") {
        event.change = reader.pid("pid");
    } else if (kind == "displays") {
        event.change = readDisplays(reader, "displays");
    } else {
        reader.refuse("event", "must be \"launch\", \"quit\" or \"displays\"");
    }
    return event;
}

} // namespace

const DisplayDescription* primaryDisplay(const std::vector<DisplayDescription>& displays) {
    for (const DisplayDescription& display : displays) {
        if (display.frame.minX() == 0 && display.frame.minY() == 0) {
            return &display;
        }
    }
    return nullptr;
}

namespace {

void checkReferences(const DesktopDescription& desktop, const JsonFieldReader& root) {
    std::unordered_set<pid_t> pids;
    for (const AppDescription& app : desktop.apps) {
        pids.insert(app.pid);
    }
    auto knows = [&](pid_t pid) { return pid == desktop.ownProcess.pid || pids.contains(pid); };
    if (primaryDisplay(desktop.displays) == nullptr) {
        root.refuse("displays", "no display has its origin at (0, 0)");
    }
    std::unordered_set<pid_t> seenPids;
    for (std::size_t i = 0; i < desktop.apps.size(); ++i) {
        if (!seenPids.insert(desktop.apps[i].pid).second) {
            root.refuseAt("apps[" + std::to_string(i) + "].pid", "repeats another app's pid");
        }
    }
    // Sets, not a pass per entry: a description with thousands of items still loads at once.
    std::unordered_set<std::string_view> ids;
    for (std::size_t i = 0; i < desktop.statusItems.size(); ++i) {
        const std::string field = "statusItems[" + std::to_string(i) + "]";
        if (!knows(desktop.statusItems[i].pid)) {
            root.refuseAt(field + ".pid", "names no app");
        }
        if (!ids.insert(desktop.statusItems[i].id).second) {
            root.refuseAt(field + ".id", "repeats the id \"" + desktop.statusItems[i].id + "\"");
        }
    }
    if (desktop.frontmostPid && !knows(*desktop.frontmostPid)) {
        root.refuseAt("frontmostPid", "names no app");
    }
}

DesktopDescription readDesktop(const JsonFieldReader& root) {
    DesktopDescription desktop;
    desktop.name = root.string("name");
    desktop.displays = readDisplays(root, "displays");
    desktop.ownProcess = readApp(root.object("ownProcess"));
    desktop.apps = root.objects<AppDescription>("apps", readApp);
    if (root.has("frontmostPid")) {
        desktop.frontmostPid = root.pid("frontmostPid");
    }
    desktop.statusItems = root.objects<StatusItemDescription>("statusItems", readStatusItem);
    if (root.has("statusBarRightMargin")) {
        desktop.statusBarRightMargin = root.nonNegative("statusBarRightMargin");
    }
    desktop.windows = root.objects<WindowDescription>("windows", readWindow, false);
    if (root.has("rawWindowEntries")) {
        root.array("rawWindowEntries").forEach([&](const std::string&, const json& entry) {
            desktop.rawWindowEntries.push_back(valueFromJson(entry));
        });
    }
    if (root.has("trust")) {
        const JsonFieldReader trust = root.object("trust");
        desktop.trust.trusted = trust.booleanOr("trusted", true);
        if (trust.has("grantOnPromptAfterMs")) {
            desktop.trust.grantOnPromptAfterMs = trust.nonNegative("grantOnPromptAfterMs");
        }
    }
    desktop.timeline = root.objects<TimelineEvent>("timeline", readTimelineEvent, false);
    if (root.has("expected")) {
        const JsonFieldReader expected = root.object("expected");
        desktop.expectedHiddenBehindNotch = expected.strings("hiddenBehindNotch");
        desktop.expectedPushedOffscreen = expected.strings("pushedOffscreen");
    }
    desktop.appServices = readAppServices(root);
    checkReferences(desktop, root);
    return desktop;
}

} // namespace

namespace {
// Deeper JSON than any description needs is cut off rather than followed without bound.
constexpr int maximumValueDepth = 32;

Value valueFromJson(const json& value, int depth) {
    if (depth > maximumValueDepth) {
        return {};
    }
    switch (value.type()) {
    case json::value_t::boolean:
        return value.get<bool>();
    case json::value_t::number_integer:
        return value.get<std::int64_t>();
    case json::value_t::number_unsigned:
        return value.get<std::uint64_t>() <= static_cast<std::uint64_t>(INT64_MAX)
                   ? Value(static_cast<std::int64_t>(value.get<std::uint64_t>()))
                   : Value(value.get<double>());
    case json::value_t::number_float:
        return value.get<double>();
    case json::value_t::string:
        return value.get<std::string>();
    case json::value_t::array: {
        Value::List list;
        for (const json& entry : value) {
            list.push_back(valueFromJson(entry, depth + 1));
        }
        return list;
    }
    case json::value_t::object: {
        auto numberAt = [&](const char* key) { return value.at(key).get<double>(); };
        auto numeric = [&](const char* key) {
            return value.contains(key) && value.at(key).is_number();
        };
        if (value.size() == 2 && numeric("x") && numeric("y")) {
            return CGPoint{numberAt("x"), numberAt("y")};
        }
        if (value.size() == 2 && numeric("width") && numeric("height")) {
            return CGSize{numberAt("width"), numberAt("height")};
        }
        Value::Dictionary dictionary;
        for (const auto& [key, entry] : value.items()) {
            dictionary.emplace(key, valueFromJson(entry, depth + 1));
        }
        return dictionary;
    }
    default:
        return {};
    }
}
} // namespace

Value valueFromJson(const json& value) {
    return valueFromJson(value, 0);
}

DescriptionResult parseDesktopDescription(std::string_view jsonText) {
    const json document = json::parse(jsonText, nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded()) {
        return DescriptionError{"(document)", "is not valid JSON"};
    }
    if (!document.is_object()) {
        return DescriptionError{"(document)", "must be an object"};
    }
    try {
        return readDesktop(JsonFieldReader(document, ""));
    } catch (const JsonFieldReader::Refusal& refusal) {
        return refusal.error;
    }
}

DescriptionResult loadDesktopDescription(const std::filesystem::path& path) {
    const auto unreadable = [](int error) {
        return DescriptionError{"(document)",
                                std::string("cannot be read: ") + std::strerror(error)};
    };
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return unreadable(errno);
    }
    std::string text;
    std::string chunk(std::size_t{1} << 16, '\0');
    int error = 0;
    while (text.size() <= maximumDescriptionFileSize) {
        const ssize_t count = ::read(descriptor, chunk.data(), chunk.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            error = count < 0 ? errno : 0;
            break;
        }
        text.append(chunk.data(), static_cast<std::size_t>(count));
    }
    ::close(descriptor);
    if (error != 0) {
        return unreadable(error);
    }
    if (text.size() > maximumDescriptionFileSize) {
        return DescriptionError{"(document)", "is larger than " +
                                                  std::to_string(maximumDescriptionFileSize >> 20) +
                                                  " MiB"};
    }
    return parseDesktopDescription(text);
}

} // namespace platform::sim
