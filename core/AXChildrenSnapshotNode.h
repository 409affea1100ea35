#pragma once

#include <string>
#include <vector>

namespace QelCore {

// One Accessibility element of a captured menu-bar tree; missing or wrong-typed attributes are
// empty texts.
struct AXChildrenSnapshotNode {
    std::string role;
    std::string subrole;
    std::string title;
    // In Accessibility order, captured to the remaining depth.
    std::vector<AXChildrenSnapshotNode> children;

    friend bool operator==(const AXChildrenSnapshotNode&, const AXChildrenSnapshotNode&) = default;
};

} // namespace QelCore
