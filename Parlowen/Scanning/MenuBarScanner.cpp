#include "Parlowen/Scanning/MenuBarScanner.h"

#include "runtime/MenuBarScanSteps.h"

namespace Parlowen::MenuBarScanner {

bool comesBefore(const AXMenuBarItemRecord& a, const AXMenuBarItemRecord& b) {
    return QelRuntime::MenuBarScanSteps::comesBefore(a, b);
}

ScanSnapshot scan(const platform::PlatformServices& services,
                  const std::optional<std::vector<QelCore::ScreenSnapshot>>& prefetchedScreens,
                  bool renderedFrameAssistEnabled) {
    auto scanned =
        QelRuntime::MenuBarScanSteps::scan(services, prefetchedScreens, renderedFrameAssistEnabled);
    // The application's records carry an id of their own, fresh for every record of every scan.
    std::vector<AXMenuBarItemRecord> items;
    items.reserve(scanned.items.size());
    for (auto& record : scanned.items) {
        items.push_back({
            .id = UUID::random(),
            .appName = std::move(record.appName),
            .bundleIdentifier = std::move(record.bundleIdentifier),
            .pid = record.pid,
            .title = std::move(record.title),
            .role = std::move(record.role),
            .subrole = std::move(record.subrole),
            .position = record.position,
            .size = record.size,
            .frame = record.frame,
            .actions = std::move(record.actions),
            .sourceHint = record.sourceHint,
            .classification = record.classification,
            .isStatusCandidate = record.isStatusCandidate,
            .screenID = std::move(record.screenID),
            .element = std::move(record.element),
            .notes = std::move(record.notes),
        });
    }
    return {std::move(scanned.screens), std::move(items), scanned.scanStartedAt,
            std::move(scanned.summary)};
}

} // namespace Parlowen::MenuBarScanner
