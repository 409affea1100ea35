#include "core/AXChildrenMenuDiff.h"

#include <gtest/gtest.h>

namespace {

using namespace QelCore;
using Node = AXChildrenSnapshotNode;
using Tree = std::vector<Node>;

Node menu(std::string title, std::size_t items, std::string role = "AXMenu") {
    return {std::move(role), "", std::move(title),
            std::vector<Node>(items, Node{"AXMenuItem", "", "x", {}})};
}

Tree bar(std::vector<Node> itemChildren) {
    return {Node{"AXMenuBar",
                 "",
                 "",
                 {Node{"AXMenuBarItem", "AXMenuExtra", "Clock", std::move(itemChildren)}}}};
}

TEST(AXChildrenMenuDiff, CountsMenuSignatures) {
    using enum MenuOpenEvidenceSource;
    struct Row {
        const char* name;
        Tree before;
        Tree after;
        MenuOpenEvidenceSource expected;
    };
    const Row rows[] = {
        {"identical captures with menus", bar({menu("A", 2)}), bar({menu("A", 2)}), none},
        {"new menu", bar({}), bar({menu("", 1)}), axChildrenDiff},
        {"two equal menus become one", bar({menu("A", 2), menu("A", 2)}), bar({menu("A", 2)}),
         none},
        {"menu disappears", bar({menu("A", 2)}), bar({}), none},
        {"child count 3 to 4", bar({menu("A", 3)}), bar({menu("A", 4)}), axChildrenDiff},
        {"nested under a non-menu", bar({}),
         bar({Node{"AXGroup", "", "", {Node{"AXGroup", "", "", {menu("N", 0)}}}}}), axChildrenDiff},
        {"role in other letter case", bar({}), bar({menu("A", 2, "AXmenu")}), none},
        {"other nodes change", bar({Node{"AXButton", "", "a", {}}}),
         bar({Node{"AXButton", "", "b", {}}}), none},
        {"menu stays while another node changes",
         bar({menu("A", 2), Node{"AXButton", "", "a", {}}}),
         bar({menu("A", 2), Node{"AXButton", "", "b", {}}}), none},
        {"empty captures", {}, {}, none},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(AXChildrenMenuDiff::evidenceSource(row.before, row.after), row.expected)
            << row.name;
    }
}

TEST(AXChildrenMenuDiff, SignatureText) {
    const Tree tree{Node{"AXMenu", "", "File", {menu("Recent", 3, "AXMenu")}}};
    EXPECT_EQ(AXChildrenMenuDiff::menuSignatures(tree),
              (std::vector<std::string>{"AXMenu||File|children:1", "AXMenu||Recent|children:3"}));
}

} // namespace
