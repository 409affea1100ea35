#pragma once

#include "Parlowen/Items/ScanSnapshot.h"
#include "Parlowen/Scanning/ScreenChangeObserver.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "platform/PlatformServices.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Parlowen {

// Decides when the menu bar is scanned: at start, on a repeating timer, when the displays
// change, when an application launches or terminates, and on request. Scans run one at a time
// on the serial queue "app.tessaline.scanner"; every snapshot comes back on the main loop.
// Requests during a scan collapse into one waiting request (a request that bypasses the
// throttle is never replaced by one that does not); a scan closer than 1.5 seconds to the end
// of the previous one is deferred unless its request bypasses the throttle. The throttle uses
// the monotonic clock. Each scan appends two lines to "tessaline-product-scan.txt" in the
// diagnostic folder. Used on the main thread only.
class MenuBarPoller {
public:
    // A request waiting for the running scan or for the throttle.
    struct PendingScanRequest {
        std::string reason;
        bool bypassThrottle = false;

        friend bool operator==(const PendingScanRequest&, const PendingScanRequest&) = default;
    };

    static constexpr const char* scanQueueLabel = "app.tessaline.scanner";
    static constexpr const char* diagnosticsFileName = "tessaline-product-scan.txt";
    // The least time between the end of one scan and the start of the next, unless bypassed.
    static constexpr platform::Duration throttle = std::chrono::milliseconds(1500);

    // `interval` is the time between timer ticks in seconds; one that is not usable
    // (`AppPreferences::isUsableScanInterval`) gives the default 5 seconds. The services and
    // the preferences outlive the poller.
    MenuBarPoller(platform::PlatformServices services, const AppPreferences& preferences,
                  double interval);
    // Removes the timer and every observer; a scan still running delivers nothing.
    ~MenuBarPoller();
    MenuBarPoller(const MenuBarPoller&) = delete;
    MenuBarPoller& operator=(const MenuBarPoller&) = delete;

    // Called on the main loop after every completed scan; set before `start()`.
    std::function<void(const ScanSnapshot&)> onSnapshot;

    // Once: observes the displays and the workspace, starts the timer and requests a scan with
    // reason "start". Later calls do nothing.
    void start();
    // A usable interval replaces the current one and, once started, the timer; any other
    // value is ignored.
    void updateInterval(double seconds);
    // Requests a scan. Triggers use reasons "start", "tick", "screen-changed", "app-launched"
    // and "app-terminated" without bypass; the panel's refresh uses "panel-refresh" with it.
    // Requests made before `start()` are served like any other.
    void scan(const std::string& reason, bool bypassThrottle);

    double interval() const { return interval_; }
    bool isRunning() const { return isRunning_; }
    bool isScanInFlight() const { return scanInFlight_; }
    const std::optional<PendingScanRequest>& queuedScanRequest() const {
        return queuedScanRequest_;
    }

private:
    void scheduleTimer();
    void runScan(const std::string& reason);
    void finishScan(const ScanSnapshot& snapshot);
    void takeQueuedRequest();
    void observeWorkspace();
    // Runs `action` with this poller on the main loop, unless the poller is gone by then.
    std::function<void()> weakly(std::function<void(MenuBarPoller&)> action) const;

    platform::PlatformServices services_;
    const AppPreferences& preferences_;
    ScreenChangeObserver screenObserver_;
    platform::ObserverToken launchObserver_ = 0;
    platform::ObserverToken terminateObserver_ = 0;
    std::shared_ptr<platform::Timer> timer_;
    double interval_;
    bool isRunning_ = false;
    bool scanInFlight_ = false;
    std::optional<PendingScanRequest> queuedScanRequest_;
    std::optional<platform::MonotonicTime> lastScanCompletedAt_;
    // Closures and scans in progress hold this weakly; it goes first when the poller does.
    std::shared_ptr<MenuBarPoller*> self_;
    // Last, so that its destructor (which waits for a running scan) runs before the rest.
    std::unique_ptr<platform::SerialQueue> scanQueue_;
};

} // namespace Parlowen
