#include "Parlowen/Status/MenuBarPoller.h"

#include "Parlowen/Scanning/MenuBarScanner.h"
#include "Parlowen/Scanning/ScreenProbe.h"
#include "Parlowen/Settings/DiagnosticsAppender.h"
#include "Parlowen/Status/TessalineScanStatus.h"
#include "core/LineEscaping.h"
#include "platform/IsoTimestamp.h"

#include <algorithm>

namespace Parlowen {

namespace {

// Longer intervals are cut to about three years before they become a duration, far from any
// overflow of the clock arithmetic.
constexpr double longestIntervalSeconds = 1e8;

platform::Duration timerInterval(double seconds) {
    return std::chrono::duration_cast<platform::Duration>(
        std::chrono::duration<double>(std::min(seconds, longestIntervalSeconds)));
}

// The fields that open both lines of one scan: the time, the reason and the trust. The reason
// is escaped, so that whatever a caller passes stays on its line.
std::string lineStart(platform::Clock& clock, const std::string& reason, bool trusted) {
    return platform::isoTimestamp(clock.wallNow()) +
           " reason=" + QelCore::LineEscaping::escaped(reason) +
           " accessibilityTrusted=" + (trusted ? "true" : "false");
}

std::string scanCounts(const ScanSnapshot& snapshot, bool trusted) {
    const TessalineScanStatus status = TessalineScanStatus::make(snapshot, trusted);
    const auto rawHiddenCount =
        std::ranges::count_if(snapshot.items, [](const AXMenuBarItemRecord& item) {
            return item.isStatusCandidate && QelCore::isHidden(item.classification);
        });
    return " itemCount=" + std::to_string(snapshot.items.size()) +
           " statusCandidates=" + std::to_string(status.statusCandidateCount) +
           " hiddenCount=" + std::to_string(status.hiddenCount) +
           " rawHiddenCount=" + std::to_string(rawHiddenCount);
}

} // namespace

MenuBarPoller::MenuBarPoller(platform::PlatformServices services, const AppPreferences& preferences,
                             double interval)
    : services_(services), preferences_(preferences),
      screenObserver_(services.displays, services.mainLoop),
      interval_(AppPreferences::isUsableScanInterval(interval)
                    ? interval
                    : AppPreferences::defaultScanIntervalSeconds),
      self_(std::make_shared<MenuBarPoller*>(this)),
      scanQueue_(services.mainLoop.makeSerialQueue(scanQueueLabel)) {}

MenuBarPoller::~MenuBarPoller() {
    self_.reset();
    if (timer_) {
        timer_->invalidate();
    }
    for (const platform::ObserverToken token : {launchObserver_, terminateObserver_}) {
        if (token != 0) {
            services_.workspace.removeObserver(token);
        }
    }
}

std::function<void()> MenuBarPoller::weakly(std::function<void(MenuBarPoller&)> action) const {
    return [weakSelf = std::weak_ptr<MenuBarPoller*>(self_), action = std::move(action)] {
        if (const auto self = weakSelf.lock()) {
            action(**self);
        }
    };
}

void MenuBarPoller::start() {
    if (isRunning_) {
        return;
    }
    isRunning_ = true;
    screenObserver_.onChange =
        weakly([](MenuBarPoller& poller) { poller.scan("screen-changed", false); });
    screenObserver_.start();
    observeWorkspace();
    scheduleTimer();
    scan("start", false);
}

void MenuBarPoller::observeWorkspace() {
    const auto handler = [this](const char* reason) {
        const std::weak_ptr<MenuBarPoller*> weakSelf = self_;
        return [weakSelf, reason](const platform::RunningApplication& application) {
            const auto self = weakSelf.lock();
            if (self &&
                application.activationPolicy != platform::NSApplicationActivationPolicyProhibited) {
                (*self)->scan(reason, false);
            }
        };
    };
    launchObserver_ = services_.workspace.addLaunchObserver(handler("app-launched"));
    terminateObserver_ = services_.workspace.addTerminateObserver(handler("app-terminated"));
}

void MenuBarPoller::scheduleTimer() {
    timer_ = services_.mainLoop.scheduleRepeatingTimer(
        timerInterval(interval_),
        weakly([](MenuBarPoller& poller) { poller.scan("tick", false); }));
}

void MenuBarPoller::updateInterval(double seconds) {
    if (!AppPreferences::isUsableScanInterval(seconds)) {
        return;
    }
    interval_ = seconds;
    if (isRunning_) {
        if (timer_) {
            timer_->invalidate();
        }
        scheduleTimer();
    }
}

void MenuBarPoller::scan(const std::string& reason, bool bypassThrottle) {
    if (scanInFlight_) {
        // One request waits; a bypass is never downgraded by a later plain request.
        if (bypassThrottle || !queuedScanRequest_ || !queuedScanRequest_->bypassThrottle) {
            queuedScanRequest_ = PendingScanRequest{reason, bypassThrottle};
        }
        return;
    }
    const platform::MonotonicTime now = services_.clock.now();
    if (bypassThrottle || !lastScanCompletedAt_ || now - *lastScanCompletedAt_ >= throttle) {
        runScan(reason);
        return;
    }
    if (queuedScanRequest_) {
        return;
    }
    queuedScanRequest_ = PendingScanRequest{reason, false};
    services_.mainLoop.postAfter(throttle - (now - *lastScanCompletedAt_),
                                 weakly([](MenuBarPoller& poller) { poller.takeQueuedRequest(); }));
}

void MenuBarPoller::takeQueuedRequest() {
    if (!queuedScanRequest_) {
        return;
    }
    const PendingScanRequest request = std::move(*queuedScanRequest_);
    queuedScanRequest_.reset();
    scan(request.reason, request.bypassThrottle);
}

void MenuBarPoller::runScan(const std::string& reason) {
    scanInFlight_ = true;
    // Displays and settings are read here on the main thread; the queue gets values only.
    auto screens = ScreenProbe::captureScreens(services_.displays);
    const bool assist = preferences_.renderedFrameAssistEnabled();
    scanQueue_->async([services = services_, reason, screens = std::move(screens), assist,
                       weakSelf = std::weak_ptr<MenuBarPoller*>(self_)] {
        const bool trusted = services.accessibility.isProcessTrusted(false);
        const auto file = DiagnosticsAppender::path(diagnosticsFileName);
        DiagnosticsAppender::append(file, lineStart(services.clock, reason, trusted));
        ScanSnapshot snapshot = MenuBarScanner::scan(services, screens, assist);
        DiagnosticsAppender::append(file, lineStart(services.clock, reason, trusted) +
                                              scanCounts(snapshot, trusted));
        services.mainLoop.post([weakSelf, snapshot = std::move(snapshot)] {
            if (const auto self = weakSelf.lock()) {
                (*self)->finishScan(snapshot);
            }
        });
    });
}

void MenuBarPoller::finishScan(const ScanSnapshot& snapshot) {
    scanInFlight_ = false;
    lastScanCompletedAt_ = services_.clock.now();
    const std::weak_ptr<MenuBarPoller*> weakSelf = self_;
    if (onSnapshot) {
        // A copy, so that the callback may replace `onSnapshot` or destroy the poller.
        const auto callback = onSnapshot;
        callback(snapshot);
        if (weakSelf.expired()) {
            return;
        }
    }
    takeQueuedRequest();
}

} // namespace Parlowen
