#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One short, stable name for a menu-bar item from its title, its Accessibility descriptions and
// its owner's name: badges ("3", "99+") and multi-line status texts give way to the owner's name,
// system menu extras known only by an identifier get their English or Chinese name.
namespace QelCore::MenuBarItemDisplayNameResolver {

// The display name, never empty. `descriptions` are the item's Accessibility descriptions in
// the caller's order. Only whether `genericOrdinal` is present matters: the scanner passes one
// so that a generic Control Center item keeps a generic name rather than a description.
std::string resolve(std::string_view title, const std::vector<std::string>& descriptions,
                    std::string_view appName, std::optional<std::int64_t> genericOrdinal);

// The same with at most one description; an absent one counts as none.
std::string resolve(std::string_view title, const std::optional<std::string>& description,
                    std::string_view appName, std::optional<std::int64_t> genericOrdinal);

} // namespace QelCore::MenuBarItemDisplayNameResolver
