#include "Parlowen/Updates/UpdaterController.h"

#include "core/TextFolding.h"

namespace Parlowen {

bool UpdaterController::canStart(const std::optional<std::string>& publicKey) {
    if (!publicKey) {
        return false;
    }
    const auto key = QelCore::TextFolding::trimmed(*publicKey);
    return !key.empty() && key != placeholderPublicKey;
}

std::string UpdaterController::displayVersion(const update::SUAppcastItem& item) {
    auto display = QelCore::TextFolding::trimmed(item.displayVersionString);
    return display.empty() ? QelCore::TextFolding::trimmed(item.versionString) : display;
}

UpdaterController::UpdaterController(update::UpdaterEnvironment environment,
                                     update::UpdateAlertPresenter& presenter,
                                     platform::Workspace& workspace,
                                     platform::NotificationCenter& notificationCenter)
    : workspace(workspace), notificationCenter(notificationCenter), mainLoop(environment.mainLoop),
      hasFeedAddress_(environment.host.feedURL &&
                      update::UpdateHost::isUsableFeedURL(*environment.host.feedURL)) {
    standard_ = std::make_unique<update::SPUStandardUpdaterController>(
        hasFeedAddress_, std::move(environment), presenter, this, this);
}

// The updater goes first, so none of its callbacks reaches a half-destroyed controller.
UpdaterController::~UpdaterController() {
    standard_.reset();
}

void UpdaterController::setStatus(UpdaterStatus status) {
    if (status == status_) {
        return;
    }
    status_ = std::move(status);
    postStatusDidChange();
}

void UpdaterController::postStatusDidChange() {
    notificationCenter.post(statusDidChangeNotification, this);
}

bool UpdaterController::canCheckForUpdates() const {
    return standard_->updater().canCheckForUpdates();
}

bool UpdaterController::automaticallyChecksForUpdates() const {
    return standard_->updater().automaticallyChecksForUpdates();
}

void UpdaterController::setAutomaticallyChecksForUpdates(bool enabled) {
    standard_->updater().setAutomaticallyChecksForUpdates(enabled);
}

bool UpdaterController::automaticallyDownloadsUpdates() const {
    return standard_->updater().automaticallyDownloadsUpdates();
}

void UpdaterController::setAutomaticallyDownloadsUpdates(bool enabled) {
    standard_->updater().setAutomaticallyDownloadsUpdates(enabled);
}

bool UpdaterController::allowsAutomaticUpdates() const {
    return standard_->updater().allowsAutomaticUpdates();
}

void UpdaterController::checkForUpdates() {
    // A check that cannot start now (one is running, or the updater did not start) would
    // leave the status at "checking" with nothing to end it.
    if (!canCheckForUpdates()) {
        return;
    }
    setStatus(UpdaterStatus::checking());
    standard_->checkForUpdates();
}

void UpdaterController::standardUserDriverWillShowModalAlert() {
    previousActivationPolicy = workspace.activationPolicy();
    workspace.setActivationPolicy(platform::NSApplicationActivationPolicyRegular);
    workspace.activateIgnoringOtherApps(true);
}

void UpdaterController::standardUserDriverDidShowModalAlert() {
    if (previousActivationPolicy == platform::NSApplicationActivationPolicyAccessory) {
        workspace.setActivationPolicy(platform::NSApplicationActivationPolicyAccessory);
    }
    previousActivationPolicy.reset();
}

void UpdaterController::standardUserDriverWillHandleShowingUpdate(
    bool, const update::SUAppcastItem& item, update::SPUUserUpdateState state) {
    const auto version = displayVersion(item);
    // A stage this program does not know reads as an update not downloaded yet.
    if (state.stage == update::SPUUserUpdateStage::installing) {
        setStatus(UpdaterStatus::installing(version, item.isCriticalUpdate));
    } else if (state.stage == update::SPUUserUpdateStage::downloaded) {
        setStatus(UpdaterStatus::downloaded(version, item.isCriticalUpdate));
    } else {
        setStatus(UpdaterStatus::updateAvailable(version, item.isCriticalUpdate));
    }
}

void UpdaterController::standardUserDriverDidReceiveUserAttention(const update::SUAppcastItem&) {
    presentDownloadedAfterCycle = false;
}

void UpdaterController::didFindValidUpdate(update::SPUUpdater&, const update::SUAppcastItem& item) {
    setStatus(UpdaterStatus::updateAvailable(displayVersion(item), item.isCriticalUpdate));
}

void UpdaterController::updaterDidNotFindUpdate(update::SPUUpdater&, const update::UpdateError&) {
    setStatus(UpdaterStatus::latest());
}

void UpdaterController::willDownloadUpdate(update::SPUUpdater&, const update::SUAppcastItem& item) {
    setStatus(UpdaterStatus::downloading(displayVersion(item), item.isCriticalUpdate));
}

void UpdaterController::didDownloadUpdate(update::SPUUpdater&, const update::SUAppcastItem& item) {
    setStatus(UpdaterStatus::downloaded(displayVersion(item), item.isCriticalUpdate));
}

void UpdaterController::failedToDownloadUpdate(update::SPUUpdater&, const update::SUAppcastItem&,
                                               const update::UpdateError& error) {
    setStatus(UpdaterStatus::failed(error.localizedDescription));
}

void UpdaterController::userDidCancelDownload(update::SPUUpdater&) {
    setStatus(UpdaterStatus::idle());
}

void UpdaterController::willInstallUpdate(update::SPUUpdater&, const update::SUAppcastItem& item) {
    setStatus(UpdaterStatus::installing(displayVersion(item), item.isCriticalUpdate));
}

bool UpdaterController::willInstallUpdateOnQuit(update::SPUUpdater&,
                                                const update::SUAppcastItem& item,
                                                std::function<void()>) {
    setStatus(UpdaterStatus::downloaded(displayVersion(item), item.isCriticalUpdate));
    presentDownloadedAfterCycle = true;
    return false;
}

void UpdaterController::didFinishUpdateCycleFor(update::SPUUpdater&, update::SPUUpdateCheck check,
                                                const std::optional<update::UpdateError>& error) {
    // "No update" and a cancelled download or check end a cycle; they are not failures.
    if (error && error->code != update::UpdateErrorCode::noUpdate &&
        error->code != update::UpdateErrorCode::installationCanceled) {
        setStatus(UpdaterStatus::failed(error->localizedDescription));
    }
    // A cycle that ended before reporting anything leaves no check running.
    if (status_.kind == UpdaterStatus::Case::checking) {
        setStatus(UpdaterStatus::idle());
    }
    if (check == update::SPUUpdateCheck::updatesInBackground) {
        scheduleDownloadedUpdatePromptIfNeeded();
    }
    // Observers refresh at the end of every cycle (the check button becomes usable again),
    // also when a status change above already told them.
    postStatusDidChange();
}

void UpdaterController::didAbortWithError(update::SPUUpdater&, const update::UpdateError& error) {
    setStatus(UpdaterStatus::failed(error.localizedDescription));
}

void UpdaterController::scheduleDownloadedUpdatePromptIfNeeded() {
    if (!presentDownloadedAfterCycle) {
        return;
    }
    presentDownloadedAfterCycle = false;
    mainLoop.postAfter(downloadedUpdatePromptDelay, [this, alive = std::weak_ptr<bool>(alive)] {
        if (!alive.expired() && standard_->updater().canCheckForUpdates()) {
            standard_->checkForUpdates();
        }
    });
}

} // namespace Parlowen
