#pragma once

#include "update/ReleaseNotes.h"
#include "update/SUAppcastItem.h"
#include "update/UpdateError.h"

#include <cstdint>
#include <functional>
#include <string>

namespace update {

// What the updater knows about an update it shows.
enum class SPUUserUpdateStage { notDownloaded = 0, downloaded = 1, installing = 2 };

struct SPUUserUpdateState {
    SPUUserUpdateStage stage = SPUUserUpdateStage::notDownloaded;
    bool userInitiated = false;
};

// A person's answer to a found or ready update.
enum class SPUUserUpdateChoice { skip, install, dismiss };

// The answer to the question whether to look for updates automatically.
struct SUUpdatePermissionResponse {
    bool automaticUpdateChecks = false;
    bool automaticUpdateDownloading = false;
    bool sendSystemProfile = false;
};

// How the updater talks to a person (or to a script). All calls arrive on the main thread;
// every reply and acknowledgement must be called once, on the main thread, and may be called
// later. The updater's cycle waits for it.
class SPUUserDriver {
public:
    using Action = std::function<void()>;

    SPUUserDriver() = default;
    SPUUserDriver(const SPUUserDriver&) = delete;
    SPUUserDriver& operator=(const SPUUserDriver&) = delete;
    virtual ~SPUUserDriver() = default;

    // Asks whether to check automatically (the first time the updater starts).
    virtual void
    showUpdatePermissionRequest(std::function<void(SUUpdatePermissionResponse)> reply) = 0;
    // A check the user asked for has started; `cancellation` stops it.
    virtual void showUserInitiatedUpdateCheck(Action cancellation) = 0;
    virtual void showUpdateFound(const SUAppcastItem& item, SPUUserUpdateState state,
                                 std::function<void(SPUUserUpdateChoice)> reply) = 0;
    virtual void showUpdateReleaseNotes(const ReleaseNotes& notes) = 0;
    virtual void showUpdateReleaseNotesFailedToDownload(const UpdateError& error) = 0;
    virtual void showUpdateNotFound(const UpdateError& error, Action acknowledgement) = 0;
    virtual void showUpdaterError(const UpdateError& error, Action acknowledgement) = 0;
    virtual void showDownloadInitiated(Action cancellation) = 0;
    virtual void showDownloadDidReceiveExpectedContentLength(std::uint64_t length) = 0;
    virtual void showDownloadDidReceiveData(std::uint64_t length) = 0;
    virtual void showDownloadDidStartExtractingUpdate() = 0;
    virtual void showExtractionReceivedProgress(double fraction) = 0;
    virtual void showReadyToInstallAndRelaunch(std::function<void(SPUUserUpdateChoice)> reply) = 0;
    virtual void showInstallingUpdate(bool applicationTerminated,
                                      Action retryTerminatingApplication) = 0;
    virtual void showUpdateInstalledAndRelaunched(bool relaunched, Action acknowledgement) = 0;
    // Closes whatever the driver shows for the current update.
    virtual void dismissUpdateInstallation() = 0;
};

} // namespace update
