#include "update/SPUStandardUserDriver.h"

namespace update {

SPUStandardUserDriver::SPUStandardUserDriver(UpdateAlertPresenter& presenter,
                                             SPUStandardUserDriverDelegate* delegate,
                                             std::string installedVersion)
    : presenter(presenter), delegate(delegate ? *delegate : fallbackDelegate),
      installedVersion(std::move(installedVersion)) {}

void SPUStandardUserDriver::showModalAlert(const UpdateAlert& alert, Action acknowledgement) {
    delegate.standardUserDriverWillShowModalAlert();
    presenter.presentAlert(alert, guarded([this, acknowledgement = std::move(acknowledgement)] {
                               delegate.standardUserDriverDidShowModalAlert();
                               acknowledgement();
                           }));
}

void SPUStandardUserDriver::showUpdatePermissionRequest(
    std::function<void(SUUpdatePermissionResponse)> reply) {
    delegate.standardUserDriverWillShowModalAlert();
    presenter.presentPermissionRequest(
        guarded([this, reply = std::move(reply)](SUUpdatePermissionResponse response) {
            delegate.standardUserDriverDidShowModalAlert();
            reply(response);
        }));
}

void SPUStandardUserDriver::showUserInitiatedUpdateCheck(Action cancellation) {
    progress = {};
    presenter.presentProgress(progress, std::move(cancellation));
}

void SPUStandardUserDriver::showUpdateFound(const SUAppcastItem& item, SPUUserUpdateState state,
                                            std::function<void(SPUUserUpdateChoice)> reply) {
    delegate.standardUserDriverWillHandleShowingUpdate(true, item, state);
    presenter.presentUpdateFound(
        item, state, installedVersion,
        guarded([this, item, reply = std::move(reply)](SPUUserUpdateChoice choice) {
            delegate.standardUserDriverDidReceiveUserAttention(item);
            reply(choice);
        }));
}

void SPUStandardUserDriver::showUpdateReleaseNotes(const ReleaseNotes& notes) {
    presenter.presentReleaseNotes(notes);
}

void SPUStandardUserDriver::showUpdateReleaseNotesFailedToDownload(const UpdateError&) {
    presenter.presentReleaseNotes(std::nullopt);
}

void SPUStandardUserDriver::showUpdateNotFound(const UpdateError& error, Action acknowledgement) {
    presenter.dismiss();
    showModalAlert({"You're up to date!", error.localizedDescription}, std::move(acknowledgement));
}

void SPUStandardUserDriver::showUpdaterError(const UpdateError& error, Action acknowledgement) {
    presenter.dismiss();
    showModalAlert({"Update Error!", error.localizedDescription}, std::move(acknowledgement));
}

void SPUStandardUserDriver::showDownloadInitiated(Action cancellation) {
    progress = {UpdateProgress::Phase::downloading, 0, 0, 0};
    cancelDownload = std::move(cancellation);
    presenter.presentProgress(progress, cancelDownload);
}

void SPUStandardUserDriver::showDownloadDidReceiveExpectedContentLength(std::uint64_t length) {
    progress.expectedBytes = length;
    presenter.presentProgress(progress, cancelDownload);
}

void SPUStandardUserDriver::showDownloadDidReceiveData(std::uint64_t length) {
    progress.receivedBytes += length;
    presenter.presentProgress(progress, cancelDownload);
}

void SPUStandardUserDriver::showDownloadDidStartExtractingUpdate() {
    cancelDownload = nullptr;
    progress = {UpdateProgress::Phase::extracting, progress.receivedBytes, progress.expectedBytes,
                0};
    presenter.presentProgress(progress, nullptr);
}

void SPUStandardUserDriver::showExtractionReceivedProgress(double fraction) {
    progress.fraction = fraction;
    presenter.presentProgress(progress, nullptr);
}

void SPUStandardUserDriver::showReadyToInstallAndRelaunch(
    std::function<void(SPUUserUpdateChoice)> reply) {
    presenter.presentReadyToInstall(std::move(reply));
}

void SPUStandardUserDriver::showInstallingUpdate(bool, Action) {
    progress = {UpdateProgress::Phase::installing, 0, 0, 0};
    presenter.presentProgress(progress, nullptr);
}

void SPUStandardUserDriver::showUpdateInstalledAndRelaunched(bool, Action acknowledgement) {
    presenter.dismiss();
    showModalAlert({"Update Installed",
                    "The new version is installed and starts the next time you open the "
                    "application."},
                   std::move(acknowledgement));
}

void SPUStandardUserDriver::dismissUpdateInstallation() {
    cancelDownload = nullptr;
    presenter.dismiss();
}

} // namespace update
