#include "Parlowen/Hotkeys/PerAppHotKeyResolver.h"

#include "tests/hotkeys/HotkeyTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace Parlowen;
using namespace HotkeyTesting;
using State = PerAppHotKeyResolutionState;

const auto dropbox =
    record("Dropbox", "Dropbox", QuickOpenTesting::VisibilityClassification::visible, std::nullopt,
           "com.getdropbox.dropbox");
const auto tailscale = record("Tailscale", "Tailscale");
const auto slack = record("Slack", "Slack", QuickOpenTesting::VisibilityClassification::visible,
                          std::nullopt, "com.tinyspeck.slackmacgap");

PerAppHotKeyBinding legacyBinding(const AXMenuBarItemRecord& item, std::uint32_t keyCode) {
    auto stored = binding(item, keyCode);
    stored.identity = *stored.identity.legacyV1Equivalent();
    return stored;
}

struct Expected {
    State state;
    // Position in the row's items of the resolved item; -1 for none.
    int itemIndex;
};

struct Row {
    std::string name;
    std::vector<PerAppHotKeyBinding> bindings;
    std::vector<AXMenuBarItemRecord> items;
    std::vector<Expected> expected;
};

TEST(PerAppHotKeyResolver, ResolutionTable) {
    auto renamed = dropbox;
    renamed.title = "Dropbox Beta";
    auto dropboxAgain = dropbox;
    dropboxAgain.pid = 99;
    const Row rows[] = {
        {"no bindings", {}, {dropbox, tailscale}, {}},
        {"no items: every binding stale, in order",
         {binding(tailscale, 1), binding(dropbox, 2)},
         {},
         {{State::stale, -1}, {State::stale, -1}}},
        {"stale bindings keep their place between available ones",
         {binding(slack, 1), binding(tailscale, 2), binding(dropbox, 3)},
         {dropbox, slack},
         {{State::available, 1}, {State::stale, -1}, {State::available, 0}}},
        {"a version-1 key finds its item",
         {legacyBinding(dropbox, 4)},
         {tailscale, dropbox},
         {{State::available, 1}}},
        {"a changed title is not the same item",
         {binding(dropbox, 5)},
         {renamed},
         {{State::stale, -1}}},
        {"the first of two items with one key wins",
         {binding(dropbox, 6)},
         {tailscale, dropboxAgain, dropbox},
         {{State::available, 1}}},
        {"two bindings may name one item",
         {binding(dropbox, 7), legacyBinding(dropbox, 8)},
         {dropbox},
         {{State::available, 0}, {State::available, 0}}},
    };
    for (const auto& row : rows) {
        const auto resolutions = PerAppHotKeyResolver::resolve(row.bindings, row.items);
        ASSERT_EQ(resolutions.size(), row.expected.size()) << row.name;
        for (std::size_t index = 0; index < resolutions.size(); ++index) {
            const auto& resolution = resolutions[index];
            const auto& expected = row.expected[index];
            EXPECT_EQ(resolution.binding, row.bindings[index]) << row.name << " #" << index;
            EXPECT_EQ(resolution.state, expected.state) << row.name << " #" << index;
            if (expected.itemIndex < 0) {
                EXPECT_FALSE(resolution.item.has_value()) << row.name << " #" << index;
            } else {
                ASSERT_TRUE(resolution.item.has_value()) << row.name << " #" << index;
                EXPECT_EQ(resolution.item->pid,
                          row.items[static_cast<std::size_t>(expected.itemIndex)].pid)
                    << row.name << " #" << index;
                EXPECT_EQ(resolution.item->appName,
                          row.items[static_cast<std::size_t>(expected.itemIndex)].appName)
                    << row.name << " #" << index;
            }
        }
    }
}

} // namespace
