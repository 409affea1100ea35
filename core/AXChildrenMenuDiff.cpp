#include "core/AXChildrenMenuDiff.h"

#include <unordered_map>

namespace QelCore::AXChildrenMenuDiff {

namespace {

constexpr std::string_view menuRole = "AXMenu";

void appendSignatures(const AXChildrenSnapshotNode& node, std::vector<std::string>& signatures) {
    if (node.role == menuRole) {
        std::string signature;
        signature.reserve(node.role.size() + node.subrole.size() + node.title.size() + 16);
        signature.append(node.role).append("|").append(node.subrole).append("|");
        signature.append(node.title).append("|children:");
        signature.append(std::to_string(node.children.size()));
        signatures.push_back(std::move(signature));
    }
    for (const auto& child : node.children) {
        appendSignatures(child, signatures);
    }
}

std::unordered_map<std::string, std::size_t>
signatureCounts(const std::vector<AXChildrenSnapshotNode>& roots) {
    std::unordered_map<std::string, std::size_t> counts;
    for (auto& signature : menuSignatures(roots)) {
        ++counts[std::move(signature)];
    }
    return counts;
}

} // namespace

std::vector<std::string> menuSignatures(const std::vector<AXChildrenSnapshotNode>& roots) {
    std::vector<std::string> signatures;
    for (const auto& root : roots) {
        appendSignatures(root, signatures);
    }
    return signatures;
}

MenuOpenEvidenceSource evidenceSource(const std::vector<AXChildrenSnapshotNode>& before,
                                      const std::vector<AXChildrenSnapshotNode>& after) {
    if (before == after) {
        return MenuOpenEvidenceSource::none;
    }
    const auto beforeCounts = signatureCounts(before);
    for (const auto& [signature, count] : signatureCounts(after)) {
        const auto previous = beforeCounts.find(signature);
        if (count > (previous == beforeCounts.end() ? 0 : previous->second)) {
            return MenuOpenEvidenceSource::axChildrenDiff;
        }
    }
    return MenuOpenEvidenceSource::none;
}

} // namespace QelCore::AXChildrenMenuDiff
