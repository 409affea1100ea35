#include "runtime/ObservedMenuActions.h"

#include "core/AXChildrenMenuDiff.h"
#include "core/MenuOpenObservationDetector.h"
#include "core/ScreenCoordinateConverter.h"
#include "core/StatusItemWindowFrameIndex.h"
#include "runtime/RuntimeScreenProbe.h"

#include <algorithm>
#include <chrono>

namespace QelRuntime::ObservedMenuActions {

namespace {

using QelCore::MenuOpenEvidenceSource;
using QelCore::StatusItemWindowFrameIndex;
using std::chrono::milliseconds;

constexpr std::uint32_t notificationTimeoutMilliseconds = 350;
constexpr std::uint32_t notificationSliceMilliseconds = 25;
constexpr std::uint32_t menuTreeTimeoutMilliseconds = 450;
constexpr std::uint32_t menuTreePollMilliseconds = 75;
constexpr auto clickHold = milliseconds(50);
constexpr auto escapeSettle = milliseconds(220);

// The windows whose horizontal span meets the item's, where its menu opens; all of them when
// the item's place is unknown.
std::vector<StatusItemWindowFrameIndex::WindowRecord>
underItem(std::vector<StatusItemWindowFrameIndex::WindowRecord> windows, const ObservedItem& item) {
    if (!item.position || !item.size || !item.position->isFinite() || !item.size->isFinite() ||
        !(item.size->width > 0)) {
        return windows;
    }
    const platform::CGFloat left = item.position->x;
    const platform::CGFloat right = left + item.size->width;
    std::erase_if(windows, [&](const StatusItemWindowFrameIndex::WindowRecord& window) {
        return !(window.bounds.minX() < right && left < window.bounds.maxX());
    });
    return windows;
}

// What is captured before an action or click, so that its effect can be told afterwards.
struct Watch {
    std::vector<QelCore::ScreenSnapshot> screens;
    std::vector<StatusItemWindowFrameIndex::WindowRecord> windowsBefore;
    std::vector<QelCore::AXChildrenSnapshotNode> menuTreeBefore;
    // Started last, just before the action, so that a menu opening at once is seen.
    std::unique_ptr<QelCore::AXMenuOpenObservation> observation;

    Watch(const platform::PlatformServices& services, const ObservedItem& item,
          platform::RunLoop* callerLoop)
        : screens(RuntimeScreenProbe::captureScreens(services.displays)),
          windowsBefore(
              StatusItemWindowFrameIndex::captureOnScreenWindowRecords(services.windowServer)),
          menuTreeBefore(QelCore::AXChildrenMenuDiff::snapshotElementTree(
              services.accessibility, item.element,
              QelCore::AXChildrenMenuDiff::elementEvidenceCaptureDepth)),
          observation(callerLoop ? QelCore::AXMenuOpenObservation::startForElement(
                                       services.accessibility, *callerLoop, item.element)
                                 : nullptr) {}

    // Waits for evidence, reads the window list again and asks the detector; the observation
    // ends here.
    QelCore::MenuOpenObservation verdict(const platform::PlatformServices& services,
                                         const ObservedItem& item) {
        const auto source =
            observedMenuEvidenceSource(services.accessibility, services.clock, observation.get(),
                                       item.element, menuTreeBefore);
        const auto windowsAfter =
            StatusItemWindowFrameIndex::captureOnScreenWindowRecords(services.windowServer);
        observation.reset();
        return QelCore::MenuOpenObservationDetector::observe(
            item.appName, item.title, source, underItem(windowsBefore, item),
            underItem(windowsAfter, item), screens);
    }
};

const platform::CGEventSource* sourcePointer(const std::optional<platform::CGEventSource>& s) {
    return s ? &*s : nullptr;
}

bool liesOnSomeScreen(platform::CGPoint point,
                      const std::vector<QelCore::ScreenSnapshot>& screens) {
    const auto cocoa = QelCore::ScreenCoordinateConverter::axPointToCocoa(
        point, QelCore::ScreenCoordinateConverter::primaryScreenHeight(screens));
    return std::any_of(screens.begin(), screens.end(),
                       [&](const auto& screen) { return screen.frame.contains(cocoa); });
}

} // namespace

AXActionExecution executeObservedAXAction(const platform::PlatformServices& services,
                                          const std::string& actionName, const ObservedItem& item,
                                          platform::RunLoop* callerLoop) {
    Watch watch(services, item, callerLoop);
    const auto error = services.accessibility.performAction(item.element, actionName);
    const auto observation = watch.verdict(services, item);
    return {static_cast<std::int32_t>(error), observation.observedOpen, observation.evidenceSource};
}

CoordinateClickExecution executeObservedCoordinateClick(const platform::PlatformServices& services,
                                                        platform::CGPoint point,
                                                        const ObservedItem& item,
                                                        platform::RunLoop* callerLoop) {
    Watch watch(services, item, callerLoop);
    if (!postCoordinateClick(services.events, services.clock, point, watch.screens)) {
        return {false, false, MenuOpenEvidenceSource::none};
    }
    const auto observation = watch.verdict(services, item);
    return {true, observation.observedOpen, observation.evidenceSource};
}

bool postCoordinateClick(platform::Events& events, platform::Clock& clock, platform::CGPoint point,
                         const std::vector<QelCore::ScreenSnapshot>& screens) {
    if (!liesOnSomeScreen(point, screens)) {
        return false;
    }
    const auto source = events.createSource(platform::kCGEventSourceStateHIDSystemState);
    const auto down =
        events.createMouseEvent(sourcePointer(source), platform::kCGEventLeftMouseDown, point,
                                platform::kCGMouseButtonLeft);
    const auto up = events.createMouseEvent(sourcePointer(source), platform::kCGEventLeftMouseUp,
                                            point, platform::kCGMouseButtonLeft);
    if (!down || !up) {
        return false;
    }
    events.post(platform::kCGHIDEventTap, *down);
    clock.sleep(clickHold);
    events.post(platform::kCGHIDEventTap, *up);
    return true;
}

std::optional<MenuOpenEvidenceSource>
observedMenuEvidenceSource(platform::Accessibility& accessibility, platform::Clock& clock,
                           QelCore::AXMenuOpenObservation* observation,
                           const platform::AXUIElement& element,
                           const std::vector<QelCore::AXChildrenSnapshotNode>& axChildrenBefore) {
    if (observation) {
        if (const auto event = observation->waitForEvidence(notificationTimeoutMilliseconds,
                                                            notificationSliceMilliseconds)) {
            return event->evidenceSource;
        }
    }
    const auto source = QelCore::AXChildrenMenuDiff::waitForEvidence(
        accessibility, clock, element, axChildrenBefore, menuTreeTimeoutMilliseconds,
        menuTreePollMilliseconds);
    if (source == MenuOpenEvidenceSource::none) {
        return std::nullopt;
    }
    return source;
}

void dismissOpenMenus(platform::Events& events, platform::Clock& clock) {
    const auto source = events.createSource(platform::kCGEventSourceStateHIDSystemState);
    const auto down = events.createKeyboardEvent(sourcePointer(source), platform::kVK_Escape, true);
    const auto up = events.createKeyboardEvent(sourcePointer(source), platform::kVK_Escape, false);
    if (down) {
        events.post(platform::kCGHIDEventTap, *down);
    }
    if (up) {
        events.post(platform::kCGHIDEventTap, *up);
    }
    clock.sleep(escapeSettle);
}

} // namespace QelRuntime::ObservedMenuActions
