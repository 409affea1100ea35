#pragma once

#include "platform/Logger.h"
#include "platform/RunLoop.h"
#include "platform/SerialQueue.h"
#include "platform/UserDefaults.h"
#include "update/HttpFetcher.h"
#include "update/LongSteps.h"
#include "update/SPUUpdaterDelegate.h"
#include "update/SPUUserDriver.h"
#include "update/UpdateHost.h"
#include "update/UpdateInstaller.h"
#include "update/UpdaterSettings.h"

#include <memory>
#include <optional>

namespace update {

class UpdateCycle;

// What an updater is built from: the application's bundle information, the user defaults
// that keep its choices and the main loop its callbacks run on.
struct UpdaterEnvironment {
    UpdateHost host;
    platform::UserDefaults& defaults;
    platform::RunLoop& mainLoop;
    // Where failed cycles are noted; none logs nothing.
    std::optional<platform::Logger> logger;
    // How long the feed, the release notes and an archive may take to arrive.
    TransferDeadline transferDeadline{};
    // The notes' reading and the signature check; tests hand in ones they hold.
    LongSteps steps{};
};

// Checks the feed on a schedule or on request, downloads, verifies and extracts updates and
// installs them at quit. One cycle runs at a time; the network and disk work of a cycle runs on
// the serial queue "app.tessaline.updater" (the release notes on "app.tessaline.updater.notes"),
// every callback on the main loop. Main thread only.
class SPUUpdater {
public:
    // `delegate` may be null; both must outlive the updater.
    SPUUpdater(UpdaterEnvironment environment, SPUUserDriver& userDriver,
               SPUUpdaterDelegate* delegate);
    SPUUpdater(const SPUUpdater&) = delete;
    SPUUpdater& operator=(const SPUUpdater&) = delete;
    ~SPUUpdater();

    // Validates the host (a usable update key, a version, an http(s) feed), asks for
    // permission to check automatically when the person has not answered yet, and starts the
    // check schedule. The error says why the updater cannot run.
    std::optional<UpdateError> startUpdater();
    // A check the person asked for: every step is shown through the user driver.
    void checkForUpdates();
    // A scheduled check: shows only a found update (or, with automatic downloads, nothing).
    void checkForUpdatesInBackground();

    // Started, and no cycle running.
    bool canCheckForUpdates() const;
    bool sessionInProgress() const;
    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool enabled);
    // The stored wish, and only while automatic updates are allowed.
    bool automaticallyDownloadsUpdates() const;
    void setAutomaticallyDownloadsUpdates(bool enabled);
    // Whether updates can be installed without asking: the application folder and its parent
    // are writable by this user.
    bool allowsAutomaticUpdates() const;
    double updateCheckInterval() const;
    std::optional<platform::WallTime> lastUpdateCheckDate() const;
    const UpdateHost& host() const { return environment.host; }

    // The downloaded update waiting for quit, if any.
    const std::optional<SUAppcastItem>& pendingUpdate() const { return pending; }
    // Called by the application when it quits: swaps in the waiting update. None when nothing
    // waits or it was installed; else why it failed (the old version stays).
    std::optional<UpdateError> installPendingUpdateOnQuit();

private:
    std::optional<std::string> feedURL();
    void startCycle(SPUUpdateCheck check);
    void cycleDidFinish(std::optional<SUAppcastItem> waitingForQuit);
    void scheduleNextCheck();

    UpdaterEnvironment environment;
    SPUUserDriver& userDriver;
    SPUUpdaterDelegate fallbackDelegate;
    SPUUpdaterDelegate& delegate;
    UpdaterSettings settings;
    UpdateInstaller installer;
    std::unique_ptr<platform::SerialQueue> worker;
    std::unique_ptr<platform::SerialQueue> notesWorker;
    std::shared_ptr<UpdateCycle> cycle;
    std::optional<SUAppcastItem> pending;
    bool started = false;
    std::uint64_t scheduleGeneration = 0;
    // Scheduled checks and replies hold this weakly, so none runs after the updater is gone.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

} // namespace update
