#pragma once

#include "core/AXChildrenSnapshotNode.h"
#include "core/MenuOpenEvidenceSource.h"
#include "platform/Accessibility.h"
#include "platform/Clock.h"

#include <cstdint>

#include <string>
#include <vector>

// Evidence that a menu opened from the target application's menu-bar trees: a menu that is new
// after the action, or occurs more often than before.
namespace QelCore::AXChildrenMenuDiff {

// The depth at which the wait captures, and so at which callers capture "before".
inline constexpr int evidenceCaptureDepth = 4;
// The same levels seen from one menu-bar item, one level below its menu bar.
inline constexpr int elementEvidenceCaptureDepth = evidenceCaptureDepth - 1;

// One node per menu bar of the process ("AXMenuBar", then "AXExtrasMenuBar"), each captured to
// `maxDepth` levels below it; empty for a negative depth. Read failures give empty texts and
// child lists, never an error.
std::vector<AXChildrenSnapshotNode> snapshotMenuTree(platform::Accessibility& accessibility,
                                                     pid_t pid, int maxDepth);

// The element alone, captured to `maxDepth` levels below it; empty for a negative depth. A menu
// that opens from a menu-bar item is its child, so another item's menu never shows here.
std::vector<AXChildrenSnapshotNode> snapshotElementTree(platform::Accessibility& accessibility,
                                                        const platform::AXUIElement& element,
                                                        int maxDepth);

// Captures at depth 4 and compares with `before` until a menu is seen or the time is up,
// sleeping the whole poll interval (at least 1 ms) between captures; no capture at all for a
// time-out of 0. Blocks the calling thread without running its loop.
MenuOpenEvidenceSource waitForEvidence(platform::Accessibility& accessibility,
                                       platform::Clock& clock, pid_t pid,
                                       const std::vector<AXChildrenSnapshotNode>& before,
                                       std::uint32_t timeoutMilliseconds,
                                       std::uint32_t pollIntervalMilliseconds);

// As above for one element's tree, captured at `elementEvidenceCaptureDepth`.
MenuOpenEvidenceSource waitForEvidence(platform::Accessibility& accessibility,
                                       platform::Clock& clock, const platform::AXUIElement& element,
                                       const std::vector<AXChildrenSnapshotNode>& before,
                                       std::uint32_t timeoutMilliseconds,
                                       std::uint32_t pollIntervalMilliseconds);

// The signatures "AXMenu|subrole|title|children:N" of every node whose role is exactly "AXMenu",
// in depth-first pre-order; other nodes are descended into.
std::vector<std::string> menuSignatures(const std::vector<AXChildrenSnapshotNode>& roots);

// `axChildrenDiff` when some menu signature occurs more often after than before, else `none`.
MenuOpenEvidenceSource evidenceSource(const std::vector<AXChildrenSnapshotNode>& before,
                                      const std::vector<AXChildrenSnapshotNode>& after);

} // namespace QelCore::AXChildrenMenuDiff
