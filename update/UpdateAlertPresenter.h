#pragma once

#include "update/SPUUserDriver.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace update {

// Where an update stands while its progress window is shown.
struct UpdateProgress {
    enum class Phase { checking, downloading, extracting, installing };
    Phase phase = Phase::checking;
    std::uint64_t receivedBytes = 0;
    // 0 while the length is unknown.
    std::uint64_t expectedBytes = 0;
    // The extracted share, from 0 to 1.
    double fraction = 0;

    friend bool operator==(const UpdateProgress&, const UpdateProgress&) = default;
};

// One message with a single acknowledging button.
struct UpdateAlert {
    std::string title;
    std::string message;

    friend bool operator==(const UpdateAlert&, const UpdateAlert&) = default;
};

// The windows of the standard user driver (the update dialogs of the user interface). Every
// reply and acknowledgement is called once, on the main thread.
class UpdateAlertPresenter {
public:
    UpdateAlertPresenter() = default;
    UpdateAlertPresenter(const UpdateAlertPresenter&) = delete;
    UpdateAlertPresenter& operator=(const UpdateAlertPresenter&) = delete;
    virtual ~UpdateAlertPresenter() = default;

    // Asks whether to check for updates automatically (a modal alert).
    virtual void
    presentPermissionRequest(std::function<void(SUUpdatePermissionResponse)> reply) = 0;
    // The update-found window; `installedVersion` is the running version shown beside it.
    virtual void presentUpdateFound(const SUAppcastItem& item, SPUUserUpdateState state,
                                    const std::string& installedVersion,
                                    std::function<void(SPUUserUpdateChoice)> reply) = 0;
    // The release notes of the shown update; none when they could not be loaded.
    virtual void presentReleaseNotes(const std::optional<ReleaseNotes>& notes) = 0;
    // Shows or updates the progress window; `cancellation` is empty where nothing can stop.
    virtual void presentProgress(const UpdateProgress& progress,
                                 std::function<void()> cancellation) = 0;
    virtual void presentReadyToInstall(std::function<void(SPUUserUpdateChoice)> reply) = 0;
    // A modal alert: not found, an error, installed.
    virtual void presentAlert(const UpdateAlert& alert, std::function<void()> acknowledgement) = 0;
    // Closes every update window.
    virtual void dismiss() = 0;
};

} // namespace update
