#include "core/MenuBarItemOwnerResolver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace QelCore;
using enum FixtureMenuBarItemSourceHint;

const std::vector<MenuBarItemRunningAppInfo> runningApps{
    {"Finder", "com.apple.finder"}, {"Ghost", std::nullopt},
    {"Product", "vendor.product"},  {"Product Duplicate", "vendor.product"},
    {"  \n", "vendor.blank"},       {"Suite App", "vendor.suite.app"},
    {"Vendor", "vendor"},
};

MenuBarItemOwnerResolution unchanged(const std::string& bundleIdentifier) {
    return {"Product Helper", bundleIdentifier, "Sync", {}};
}

MenuBarItemOwnerResolution reattributed(const std::string& appName, const std::string& parent,
                                        const std::string& title, const std::string& helper) {
    return {appName, parent, title, {"ownerCanonicalizedFrom=" + helper}};
}

struct Row {
    std::string name;
    std::optional<std::string> bundleIdentifier;
    FixtureMenuBarItemSourceHint sourceHint;
    std::string title;
    MenuBarItemOwnerResolution expected;
};

// Resolves each row's item of "Product Helper"; only a re-attributed one carries the note.
template <std::size_t N> void expectRows(const Row (&rows)[N]) {
    for (const auto& row : rows) {
        const auto resolution = MenuBarItemOwnerResolver::resolve(
            "Product Helper", row.bundleIdentifier, row.title, row.sourceHint, runningApps);
        EXPECT_EQ(resolution, row.expected) << row.name;
        EXPECT_EQ(MenuBarItemOwnerResolver::isOwnerCanonicalizedFromHelper(resolution.notes),
                  !row.expected.notes.empty())
            << row.name;
    }
}

TEST(OwnerResolver, HelperMenuExtrasMoveToTheirParent) {
    const Row rows[] = {
        {"helper agent", "vendor.product.helper.agent", menuExtra, "Sync",
         reattributed("Product", "vendor.product", "Sync", "vendor.product.helper.agent")},
        {"capital helper", "vendor.product.HELPER.agent", menuExtra, "Sync",
         reattributed("Product", "vendor.product", "Sync", "vendor.product.HELPER.agent")},
        {"title-case helper", "vendor.product.Helper", menuExtra, "Sync",
         reattributed("Product", "vendor.product", "Sync", "vendor.product.Helper")},
        {"helper last of four", "vendor.suite.app.helper", menuExtra, "Sync",
         reattributed("Suite App", "vendor.suite.app", "Sync", "vendor.suite.app.helper")},
        {"first helper component counts", "vendor.product.helper.helper", menuExtra, "Sync",
         reattributed("Product", "vendor.product", "Sync", "vendor.product.helper.helper")},
        {"badge takes the parent's name", "vendor.product.helper", menuExtra, "3",
         reattributed("Product", "vendor.product", "Product", "vendor.product.helper")},
        {"missing title takes the parent's name", "vendor.product.helper", menuExtra,
         "missing value",
         reattributed("Product", "vendor.product", "Product", "vendor.product.helper")},
    };
    expectRows(rows);
}

TEST(OwnerResolver, OtherItemsKeepTheirOwner) {
    const Row rows[] = {
        {"status item", "vendor.product.helper.agent", statusItem, "Sync",
         unchanged("vendor.product.helper.agent")},
        {"application menu", "vendor.product.helper", applicationMenu, "Sync",
         unchanged("vendor.product.helper")},
        {"unknown source", "vendor.product.helper", unknown, "Sync",
         unchanged("vendor.product.helper")},
        {"helper at index 1", "vendor.helper.agent", menuExtra, "Sync",
         unchanged("vendor.helper.agent")},
        {"helper at index 0", "helper.vendor.product", menuExtra, "Sync",
         unchanged("helper.vendor.product")},
        {"empty component before helper", "vendor..product.helper", menuExtra, "Sync",
         unchanged("vendor..product.helper")},
        {"leading dot", ".vendor.product.helper", menuExtra, "Sync",
         unchanged(".vendor.product.helper")},
        {"helper inside a component", "vendor.producthelper.agent", menuExtra, "Sync",
         unchanged("vendor.producthelper.agent")},
        {"parent not running", "vendor.other.helper", menuExtra, "Sync",
         unchanged("vendor.other.helper")},
        {"parent name blank", "vendor.blank.helper", menuExtra, "Sync",
         unchanged("vendor.blank.helper")},
        {"parent compared case-sensitively", "Vendor.Product.helper", menuExtra, "Sync",
         unchanged("Vendor.Product.helper")},
    };
    expectRows(rows);
    const auto withoutIdentifier = MenuBarItemOwnerResolver::resolve(
        "Product Helper", std::nullopt, "Sync", menuExtra, runningApps);
    EXPECT_EQ(withoutIdentifier,
              (MenuBarItemOwnerResolution{"Product Helper", std::nullopt, "Sync", {}}));
}

TEST(OwnerResolver, ParentNameKeptAsListed) {
    const std::vector<MenuBarItemRunningAppInfo> apps{{" Product ", "vendor.product"}};
    const auto resolution =
        MenuBarItemOwnerResolver::resolve("Helper", "vendor.product.helper", "12", menuExtra, apps);
    EXPECT_EQ(resolution.appName, " Product ");
    EXPECT_EQ(resolution.title, "Product");
}

TEST(OwnerResolver, CanonicalizedNoteIsRecognizedAnywhereInTheNotes) {
    EXPECT_TRUE(MenuBarItemOwnerResolver::isOwnerCanonicalizedFromHelper(
        {"source=menuExtra", "ownerCanonicalizedFrom=vendor.product.helper"}));
    EXPECT_FALSE(MenuBarItemOwnerResolver::isOwnerCanonicalizedFromHelper(
        {"source=menuExtra", "note ownerCanonicalizedFrom=x"}));
    EXPECT_FALSE(MenuBarItemOwnerResolver::isOwnerCanonicalizedFromHelper({}));
}

} // namespace
