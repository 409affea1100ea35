#include "Parlowen/Hotkeys/PerAppHotKeyResolver.h"

#include <algorithm>

namespace Parlowen::PerAppHotKeyResolver {

std::vector<PerAppHotKeyResolution> resolve(const std::vector<PerAppHotKeyBinding>& bindings,
                                            const std::vector<AXMenuBarItemRecord>& items) {
    // Each item's key is built once, however many bindings there are.
    std::vector<MenuBarItemStableIdentity> itemKeys;
    if (!bindings.empty()) {
        itemKeys.reserve(items.size());
        std::transform(items.begin(), items.end(), std::back_inserter(itemKeys),
                       [](const auto& item) { return MenuBarItemStableIdentity::of(item); });
    }
    std::vector<PerAppHotKeyResolution> resolutions;
    resolutions.reserve(bindings.size());
    for (const auto& binding : bindings) {
        const auto match = std::find_if(itemKeys.begin(), itemKeys.end(), [&](const auto& itemKey) {
            return binding.identity.matches(itemKey);
        });
        if (match == itemKeys.end()) {
            resolutions.push_back({binding, std::nullopt, PerAppHotKeyResolutionState::stale});
        } else {
            resolutions.push_back({binding,
                                   items[static_cast<std::size_t>(match - itemKeys.begin())],
                                   PerAppHotKeyResolutionState::available});
        }
    }
    return resolutions;
}

std::optional<AXMenuBarItemRecord> item(const PerAppHotKeyBinding& binding,
                                        const std::vector<AXMenuBarItemRecord>& items) {
    auto resolutions = resolve({binding}, items);
    return std::move(resolutions.front().item);
}

} // namespace Parlowen::PerAppHotKeyResolver
