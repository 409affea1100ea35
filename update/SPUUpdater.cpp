#include "update/SPUUpdater.h"

#include "update/EdSignatureVerifier.h"
#include "update/UpdateCycle.h"

#include <chrono>

namespace update {

SPUUpdater::SPUUpdater(UpdaterEnvironment environment, SPUUserDriver& userDriver,
                       SPUUpdaterDelegate* delegate)
    : environment(std::move(environment)), userDriver(userDriver),
      delegate(delegate ? *delegate : fallbackDelegate), settings(this->environment.defaults),
      installer(this->environment.host.installedFolder),
      worker(this->environment.mainLoop.makeSerialQueue("app.tessaline.updater")),
      notesWorker(this->environment.mainLoop.makeSerialQueue("app.tessaline.updater.notes")) {}

SPUUpdater::~SPUUpdater() {
    // The cycle goes first: it stops the work still running on the queues, which then finds no
    // one to report to; each queue waits for that (the notes' reading ends within a slice, so
    // none of it outlives the updater), never for the signature check left on its own thread.
    cycle.reset();
    notesWorker.reset();
    worker.reset();
}

std::optional<std::string> SPUUpdater::feedURL() {
    if (auto url = delegate.feedURLString(*this)) {
        return url;
    }
    return environment.host.feedURL;
}

std::optional<UpdateError> SPUUpdater::startUpdater() {
    if (started) {
        return std::nullopt;
    }
    const auto& key = environment.host.publicEDKey;
    if (!key || !EdSignatureVerifier::isUsablePublicKey(*key)) {
        return UpdateError{UpdateErrorCode::invalidHostBundle,
                           "The application has no valid update key (SUPublicEDKey), so it "
                           "cannot check for updates."};
    }
    if (environment.host.bundleVersion.empty()) {
        return UpdateError{UpdateErrorCode::invalidHostBundle,
                           "The application has no version, so it cannot check for updates."};
    }
    const auto url = feedURL();
    if (!url || !UpdateHost::isUsableFeedURL(*url)) {
        return UpdateError{UpdateErrorCode::invalidFeedURL,
                           "The update feed address is missing or is not an http(s) address."};
    }
    started = true;
    installer.finishInterruptedInstall();
    if (!settings.hasAutomaticChecksChoice()) {
        userDriver.showUpdatePermissionRequest(
            [this, alive = std::weak_ptr<bool>(alive)](SUUpdatePermissionResponse response) {
                if (alive.expired()) {
                    return;
                }
                settings.setAutomaticallyChecksForUpdates(response.automaticUpdateChecks);
                if (allowsAutomaticUpdates()) {
                    settings.setAutomaticallyDownloadsUpdates(response.automaticUpdateDownloading);
                }
                scheduleNextCheck();
            });
        return std::nullopt;
    }
    scheduleNextCheck();
    return std::nullopt;
}

void SPUUpdater::checkForUpdates() {
    startCycle(SPUUpdateCheck::updates);
}

void SPUUpdater::checkForUpdatesInBackground() {
    startCycle(SPUUpdateCheck::updatesInBackground);
}

bool SPUUpdater::sessionInProgress() const {
    return cycle && !cycle->isFinished();
}

bool SPUUpdater::canCheckForUpdates() const {
    return started && !sessionInProgress();
}

bool SPUUpdater::automaticallyChecksForUpdates() const {
    return settings.automaticallyChecksForUpdates();
}

void SPUUpdater::setAutomaticallyChecksForUpdates(bool enabled) {
    settings.setAutomaticallyChecksForUpdates(enabled);
    if (started) {
        scheduleNextCheck();
    }
}

bool SPUUpdater::automaticallyDownloadsUpdates() const {
    return settings.automaticallyDownloadsUpdates() && allowsAutomaticUpdates();
}

void SPUUpdater::setAutomaticallyDownloadsUpdates(bool enabled) {
    settings.setAutomaticallyDownloadsUpdates(enabled);
}

bool SPUUpdater::allowsAutomaticUpdates() const {
    return !installer.installPermissionProblem().has_value();
}

double SPUUpdater::updateCheckInterval() const {
    return settings.updateCheckInterval();
}

std::optional<platform::WallTime> SPUUpdater::lastUpdateCheckDate() const {
    return settings.lastUpdateCheckDate();
}

std::optional<UpdateError> SPUUpdater::installPendingUpdateOnQuit() {
    if (!pending) {
        return std::nullopt;
    }
    pending.reset();
    return installer.installStaged();
}

void SPUUpdater::startCycle(SPUUpdateCheck check) {
    if (!canCheckForUpdates()) {
        return;
    }
    const auto url = feedURL();
    settings.setLastUpdateCheckDate(environment.mainLoop.clock().wallNow());
    ++scheduleGeneration;
    UpdateCycle::Setup setup{
        .updater = *this,
        .userDriver = userDriver,
        .delegate = delegate,
        .mainLoop = environment.mainLoop,
        .worker = *worker,
        .notesWorker = *notesWorker,
        .installer = installer,
        .settings = settings,
        .feedURL = url.value_or(""),
        .publicEDKey = environment.host.publicEDKey.value_or(""),
        .hostVersion = environment.host.bundleVersion,
        .check = check,
        .downloadsSilently =
            check == SPUUpdateCheck::updatesInBackground && automaticallyDownloadsUpdates(),
        .waitingForQuit = pending,
        .onFinished =
            [this](std::optional<SUAppcastItem> waiting) { cycleDidFinish(std::move(waiting)); },
        .logger = environment.logger,
        .transferDeadline = environment.transferDeadline,
        .steps = environment.steps};
    cycle = std::make_shared<UpdateCycle>(std::move(setup));
    cycle->start();
}

void SPUUpdater::cycleDidFinish(std::optional<SUAppcastItem> waitingForQuit) {
    pending = std::move(waitingForQuit);
    scheduleNextCheck();
}

void SPUUpdater::scheduleNextCheck() {
    const auto generation = ++scheduleGeneration;
    if (!started || !settings.automaticallyChecksForUpdates()) {
        return;
    }
    using Seconds = std::chrono::duration<double>;
    const double interval = settings.updateCheckInterval();
    double wait = 0;
    if (const auto last = settings.lastUpdateCheckDate()) {
        const double since =
            std::chrono::duration_cast<Seconds>(environment.mainLoop.clock().wallNow() - *last)
                .count();
        // A last check in the future (a clock set back) waits one interval, not longer.
        wait = std::clamp(interval - since, 0.0, interval);
    }
    environment.mainLoop.postAfter(std::chrono::duration_cast<platform::Duration>(Seconds(wait)),
                                   [this, generation, alive = std::weak_ptr<bool>(alive)] {
                                       if (alive.expired() || generation != scheduleGeneration) {
                                           return;
                                       }
                                       if (canCheckForUpdates()) {
                                           checkForUpdatesInBackground();
                                       } else {
                                           scheduleNextCheck();
                                       }
                                   });
}

} // namespace update
