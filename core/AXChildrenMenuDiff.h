#pragma once

#include "core/AXChildrenSnapshotNode.h"
#include "core/MenuOpenEvidenceSource.h"

#include <string>
#include <vector>

// Evidence that a menu opened from the target application's menu-bar trees: a menu that is new
// after the action, or occurs more often than before.
namespace QelCore::AXChildrenMenuDiff {

// The signatures "AXMenu|subrole|title|children:N" of every node whose role is exactly "AXMenu",
// in depth-first pre-order; other nodes are descended into.
std::vector<std::string> menuSignatures(const std::vector<AXChildrenSnapshotNode>& roots);

// `axChildrenDiff` when some menu signature occurs more often after than before, else `none`.
MenuOpenEvidenceSource evidenceSource(const std::vector<AXChildrenSnapshotNode>& before,
                                      const std::vector<AXChildrenSnapshotNode>& after);

} // namespace QelCore::AXChildrenMenuDiff
