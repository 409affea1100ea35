#pragma once

#include "Parlowen/Hotkeys/PerAppHotKeyBinding.h"
#include "Parlowen/Items/AXMenuBarItemRecord.h"

#include <optional>
#include <vector>

namespace Parlowen {

// Whether a binding's item is in the current scan.
enum class PerAppHotKeyResolutionState { available, stale };

// One stored binding with the scan item it names; `item` is present exactly when `available`.
struct PerAppHotKeyResolution {
    PerAppHotKeyBinding binding;
    std::optional<AXMenuBarItemRecord> item;
    PerAppHotKeyResolutionState state = PerAppHotKeyResolutionState::stale;
};

// Pairs stored bindings with the items of a scan.
namespace PerAppHotKeyResolver {

// One resolution per binding, in binding order: the first item (in the given order) whose
// version-2 key, or that key's legacy version-1 form, equals the binding's identity; stale when
// none does.
std::vector<PerAppHotKeyResolution> resolve(const std::vector<PerAppHotKeyBinding>& bindings,
                                            const std::vector<AXMenuBarItemRecord>& items);

// The item one binding stands for among `items`, as `resolve` finds it; none when stale.
std::optional<AXMenuBarItemRecord> item(const PerAppHotKeyBinding& binding,
                                        const std::vector<AXMenuBarItemRecord>& items);

} // namespace PerAppHotKeyResolver

} // namespace Parlowen
