#pragma once

#include "update/SPUUserDriver.h"

#include <cstdint>
#include <functional>
#include <string>

namespace Parlowen {

// The scripted user driver of the update smoke run: answers every question without asking
// anyone and reports each step as an event text.
class SmokeUserDriver final : public update::SPUUserDriver {
public:
    // Reports one step ("checking", "prompt version=..."...).
    std::function<void(const std::string& text)> event;
    // Ends the run with its outcome.
    std::function<void(bool success, const std::string& message)> complete;
    std::uint64_t downloadedBytes = 0;
    std::uint64_t expectedBytes = 0;

    void showUpdatePermissionRequest(
        std::function<void(update::SUUpdatePermissionResponse)> reply) override;
    void showUserInitiatedUpdateCheck(Action cancellation) override;
    void showUpdateFound(const update::SUAppcastItem& item, update::SPUUserUpdateState state,
                         std::function<void(update::SPUUserUpdateChoice)> reply) override;
    void showUpdateReleaseNotes(const update::ReleaseNotes& notes) override;
    void showUpdateReleaseNotesFailedToDownload(const update::UpdateError& error) override;
    void showUpdateNotFound(const update::UpdateError& error, Action acknowledgement) override;
    void showUpdaterError(const update::UpdateError& error, Action acknowledgement) override;
    void showDownloadInitiated(Action cancellation) override;
    void showDownloadDidReceiveExpectedContentLength(std::uint64_t length) override;
    void showDownloadDidReceiveData(std::uint64_t length) override;
    void showDownloadDidStartExtractingUpdate() override;
    void showExtractionReceivedProgress(double fraction) override;
    void
    showReadyToInstallAndRelaunch(std::function<void(update::SPUUserUpdateChoice)> reply) override;
    void showInstallingUpdate(bool applicationTerminated,
                              Action retryTerminatingApplication) override;
    void showUpdateInstalledAndRelaunched(bool relaunched, Action acknowledgement) override;
    void dismissUpdateInstallation() override;

private:
    void report(const std::string& text) const;
    void finish(bool success, const std::string& message) const;
};

} // namespace Parlowen
