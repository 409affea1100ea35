#pragma once

#include "update/SPUStandardUserDriverDelegate.h"
#include "update/SPUUserDriver.h"
#include "update/UpdateAlertPresenter.h"

#include <memory>
#include <string>

namespace update {

// The user driver of the application: turns the updater's steps into the update windows of
// `presenter`, keeps the download's progress, and tells its delegate around modal alerts.
class SPUStandardUserDriver : public SPUUserDriver {
public:
    // Both must outlive the driver; `delegate` may be null.
    SPUStandardUserDriver(UpdateAlertPresenter& presenter, SPUStandardUserDriverDelegate* delegate,
                          std::string installedVersion);

    void
    showUpdatePermissionRequest(std::function<void(SUUpdatePermissionResponse)> reply) override;
    void showUserInitiatedUpdateCheck(Action cancellation) override;
    void showUpdateFound(const SUAppcastItem& item, SPUUserUpdateState state,
                         std::function<void(SPUUserUpdateChoice)> reply) override;
    void showUpdateReleaseNotes(const ReleaseNotes& notes) override;
    void showUpdateReleaseNotesFailedToDownload(const UpdateError& error) override;
    void showUpdateNotFound(const UpdateError& error, Action acknowledgement) override;
    void showUpdaterError(const UpdateError& error, Action acknowledgement) override;
    void showDownloadInitiated(Action cancellation) override;
    void showDownloadDidReceiveExpectedContentLength(std::uint64_t length) override;
    void showDownloadDidReceiveData(std::uint64_t length) override;
    void showDownloadDidStartExtractingUpdate() override;
    void showExtractionReceivedProgress(double fraction) override;
    void showReadyToInstallAndRelaunch(std::function<void(SPUUserUpdateChoice)> reply) override;
    void showInstallingUpdate(bool applicationTerminated,
                              Action retryTerminatingApplication) override;
    void showUpdateInstalledAndRelaunched(bool relaunched, Action acknowledgement) override;
    void dismissUpdateInstallation() override;

private:
    void showModalAlert(const UpdateAlert& alert, Action acknowledgement);
    // Wraps a reply of the presenter so that it does nothing once this driver is gone.
    template <typename Reply> auto guarded(Reply reply) {
        return [alive = std::weak_ptr<bool>(alive), reply = std::move(reply)](auto... arguments) {
            if (!alive.expired()) {
                reply(arguments...);
            }
        };
    }

    UpdateAlertPresenter& presenter;
    SPUStandardUserDriverDelegate fallbackDelegate;
    SPUStandardUserDriverDelegate& delegate;
    std::string installedVersion;
    UpdateProgress progress;
    Action cancelDownload;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

} // namespace update
