#include "Parlowen/QuickOpen/OverflowPanelVisualPreview.h"

#include <unistd.h>

#include <chrono>
#include <span>

namespace Parlowen::OverflowPanelVisualPreviewData {

namespace {

using QelCore::VisibilityClassification;

struct SampleItem {
    const char* appName;
    platform::CGRect frame;
    VisibilityClassification classification;
    const char* subtitle;
    bool highlighted;
};

AXMenuBarItemRecord makeRecord(const SampleItem& sample) {
    const pid_t pid = getpid();
    AXMenuBarItemRecord item;
    item.id = UUID::random();
    item.appName = sample.appName;
    item.pid = pid;
    item.title = sample.appName;
    item.role = "AXMenuBarItem";
    item.subrole = "";
    item.position = platform::CGPoint{sample.frame.origin.x, sample.frame.origin.y};
    item.size = sample.frame.size;
    item.frame = sample.frame;
    item.actions = {"AXPress"};
    item.sourceHint = QelCore::FixtureMenuBarItemSourceHint::menuExtra;
    item.classification = sample.classification;
    item.isStatusCandidate = true;
    item.screenID = "visual-main";
    item.element = platform::AXUIElement(pid, 0);
    item.notes = {std::string(sampleNote), std::string("subtitle:") + sample.subtitle};
    if (sample.highlighted) {
        item.notes.emplace_back(highlightNote);
    }
    return item;
}

} // namespace

ScanSnapshot makeVisualPreviewSnapshot(bool hiddenItems) {
    using enum VisibilityClassification;
    static const SampleItem withHidden[] = {
        {"Tailscale", {692, 7, 26, 22}, hiddenBehindNotch, "VPN status", true},
        {"1Password", {722, 7, 26, 22}, hiddenBehindNotch, "Password manager", false},
        {"Dropbox", {1022, 7, 26, 22}, pushedOffscreen, "Sync status", false},
        {"Memory Monitor", {1240, 7, 34, 22}, visible, "Visible now", false},
    };
    static const SampleItem allVisible[] = {
        {"Tailscale", {1120, 7, 30, 22}, visible, "VPN status", false},
        {"1Password", {1162, 7, 26, 22}, visible, "Password manager", false},
        {"Dropbox", {1200, 7, 28, 22}, visible, "Sync status", false},
        {"Google Drive", {1240, 7, 28, 22}, visible, "Cloud storage", false},
    };

    ScanSnapshot snapshot;
    snapshot.screens.push_back(QelCore::ScreenSnapshot{
        "visual-main",
        {0, 0, 1512, 982},
        {0, 28, 1512, 954},
        {74, 0, 0, 0},
        {0, 0, 684, 74},
        {828, 0, 684, 74},
    });
    snapshot.scanStartedAt = platform::WallTime(
        std::chrono::duration_cast<platform::Duration>(std::chrono::seconds(1'800'000'000)));
    snapshot.summary = "visual snapshot";
    for (const auto& sample : hiddenItems ? std::span(withHidden) : std::span(allVisible)) {
        snapshot.items.push_back(makeRecord(sample));
    }
    return snapshot;
}

} // namespace Parlowen::OverflowPanelVisualPreviewData
