#include "core/MenuBarItemOwnerResolver.h"

#include "core/MenuBarItemDisplayNameResolver.h"
#include "core/TextFolding.h"

#include <algorithm>

namespace QelCore::MenuBarItemOwnerResolver {

namespace {

// The identifier's components before its first "helper" component, when there are at least two
// and none is empty: vendor.product.Helper.agent gives vendor.product.
std::optional<std::string> parentBundleIdentifier(std::string_view helperIdentifier) {
    const std::vector<std::string_view> components = TextFolding::components(helperIdentifier, '.');
    const auto helper = std::find_if(components.begin(), components.end(), [](auto component) {
        return TextFolding::lowercased(component) == "helper";
    });
    if (helper == components.end() || helper - components.begin() < 2) {
        return std::nullopt;
    }
    if (std::any_of(components.begin(), helper, [](auto component) { return component.empty(); })) {
        return std::nullopt;
    }
    std::string parent;
    for (auto component = components.begin(); component != helper; ++component) {
        if (!parent.empty()) {
            parent += '.';
        }
        parent += *component;
    }
    return parent;
}

} // namespace

MenuBarItemOwnerResolution resolve(std::string appName, std::optional<std::string> bundleIdentifier,
                                   std::string title, FixtureMenuBarItemSourceHint sourceHint,
                                   const std::vector<MenuBarItemRunningAppInfo>& runningApps) {
    MenuBarItemOwnerResolution unchanged{
        std::move(appName), std::move(bundleIdentifier), std::move(title), {}};
    if (sourceHint != FixtureMenuBarItemSourceHint::menuExtra || !unchanged.bundleIdentifier) {
        return unchanged;
    }
    const auto parentIdentifier = parentBundleIdentifier(*unchanged.bundleIdentifier);
    if (!parentIdentifier) {
        return unchanged;
    }
    const auto parent = std::find_if(runningApps.begin(), runningApps.end(), [&](const auto& app) {
        return app.bundleIdentifier == parentIdentifier;
    });
    if (parent == runningApps.end() || TextFolding::trimmed(parent->appName).empty()) {
        return unchanged;
    }
    return {parent->appName,
            parentIdentifier,
            MenuBarItemDisplayNameResolver::resolve(unchanged.title, std::vector<std::string>(),
                                                    parent->appName, std::nullopt),
            {std::string(ownerCanonicalizedNotePrefix) + *unchanged.bundleIdentifier}};
}

bool isOwnerCanonicalizedFromHelper(const std::vector<std::string>& notes) {
    return std::any_of(notes.begin(), notes.end(), [](const std::string& note) {
        return note.starts_with(ownerCanonicalizedNotePrefix);
    });
}

} // namespace QelCore::MenuBarItemOwnerResolver
