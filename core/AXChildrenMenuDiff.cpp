#include "core/AXChildrenMenuDiff.h"

#include <algorithm>
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

std::string readString(platform::Accessibility& accessibility, const platform::AXUIElement& element,
                       std::string_view attribute) {
    const auto copied = accessibility.copyAttributeValue(element, attribute);
    const std::string* text =
        copied.error == platform::kAXErrorSuccess ? copied.value.string() : nullptr;
    return text == nullptr ? std::string() : *text;
}

AXChildrenSnapshotNode capture(platform::Accessibility& accessibility,
                               const platform::AXUIElement& element, int depth) {
    AXChildrenSnapshotNode node{readString(accessibility, element, platform::kAXRoleAttribute),
                                readString(accessibility, element, platform::kAXSubroleAttribute),
                                readString(accessibility, element, platform::kAXTitleAttribute),
                                {}};
    if (depth < 1) {
        return node;
    }
    const auto copied = accessibility.copyAttributeValue(element, platform::kAXChildrenAttribute);
    if (copied.error != platform::kAXErrorSuccess) {
        return node;
    }
    for (const auto& child :
         copied.value.elements().value_or(std::vector<platform::AXUIElement>{})) {
        node.children.push_back(capture(accessibility, child, depth - 1));
    }
    return node;
}

// Captures and compares with `before` until a menu is seen or the time is up, sleeping the
// whole poll interval between captures; no capture at all for a time-out of 0.
template <typename Capture>
MenuOpenEvidenceSource pollForEvidence(platform::Clock& clock, const Capture& captureNow,
                                       const std::vector<AXChildrenSnapshotNode>& before,
                                       std::uint32_t timeoutMilliseconds,
                                       std::uint32_t pollIntervalMilliseconds) {
    using std::chrono::milliseconds;
    if (timeoutMilliseconds == 0) {
        return MenuOpenEvidenceSource::none;
    }
    const auto deadline = clock.now() + milliseconds(timeoutMilliseconds);
    // A zero interval would spin; waiting at least a millisecond lets the application move.
    const platform::Duration pollInterval =
        milliseconds(std::max<std::uint32_t>(pollIntervalMilliseconds, 1));
    while (true) {
        const auto source = evidenceSource(before, captureNow());
        if (source != MenuOpenEvidenceSource::none || clock.now() >= deadline) {
            return source;
        }
        clock.sleep(pollInterval);
        if (clock.now() >= deadline) {
            return MenuOpenEvidenceSource::none;
        }
    }
}

} // namespace

std::vector<AXChildrenSnapshotNode> snapshotMenuTree(platform::Accessibility& accessibility,
                                                     pid_t pid, int maxDepth) {
    if (maxDepth < 0) {
        return {};
    }
    const platform::AXUIElement application = accessibility.createApplication(pid);
    std::vector<AXChildrenSnapshotNode> roots;
    for (const std::string_view attribute :
         {platform::kAXMenuBarAttribute, platform::kAXExtrasMenuBarAttribute}) {
        const auto copied = accessibility.copyAttributeValue(application, attribute);
        if (copied.error != platform::kAXErrorSuccess) {
            continue;
        }
        if (const auto menuBar = copied.value.element()) {
            roots.push_back(capture(accessibility, *menuBar, maxDepth));
        }
    }
    return roots;
}

std::vector<AXChildrenSnapshotNode> snapshotElementTree(platform::Accessibility& accessibility,
                                                        const platform::AXUIElement& element,
                                                        int maxDepth) {
    if (maxDepth < 0) {
        return {};
    }
    return {capture(accessibility, element, maxDepth)};
}

MenuOpenEvidenceSource waitForEvidence(platform::Accessibility& accessibility,
                                       platform::Clock& clock, pid_t pid,
                                       const std::vector<AXChildrenSnapshotNode>& before,
                                       std::uint32_t timeoutMilliseconds,
                                       std::uint32_t pollIntervalMilliseconds) {
    return pollForEvidence(
        clock, [&] { return snapshotMenuTree(accessibility, pid, evidenceCaptureDepth); }, before,
        timeoutMilliseconds, pollIntervalMilliseconds);
}

MenuOpenEvidenceSource waitForEvidence(platform::Accessibility& accessibility,
                                       platform::Clock& clock, const platform::AXUIElement& element,
                                       const std::vector<AXChildrenSnapshotNode>& before,
                                       std::uint32_t timeoutMilliseconds,
                                       std::uint32_t pollIntervalMilliseconds) {
    return pollForEvidence(
        clock,
        [&] { return snapshotElementTree(accessibility, element, elementEvidenceCaptureDepth); },
        before, timeoutMilliseconds, pollIntervalMilliseconds);
}

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
