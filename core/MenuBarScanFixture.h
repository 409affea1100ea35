#pragma once

#include "core/FixtureMenuBarItem.h"
#include "core/MenuBarScanFixtureError.h"
#include "core/ScreenSnapshot.h"

#include <filesystem>
#include <string_view>
#include <variant>
#include <vector>

namespace QelCore {

// A recorded menu bar: one display and the items seen on it, each with the visibility it should
// be classified with.
struct MenuBarScanFixture {
    ScreenSnapshot screen;
    std::vector<FixtureMenuBarItem> items;

    friend bool operator==(const MenuBarScanFixture&, const MenuBarScanFixture&) = default;

    using LoadResult = std::variant<MenuBarScanFixture, MenuBarScanFixtureError>;

    // The fixture in the JSON file at `path`, or the file-reading or decoding error. Nothing
    // partial comes back.
    static LoadResult load(const std::filesystem::path& path);
    // The fixture in a JSON document, or the decoding error.
    static LoadResult decode(std::string_view json);
};

} // namespace QelCore
