#pragma once

#include "update/SPUStandardUserDriver.h"
#include "update/SPUUpdater.h"

#include <optional>

namespace update {

// The application's updater with the standard user driver: what the menu's "Check for
// Updates" and the preferences use.
class SPUStandardUpdaterController {
public:
    // Starts the updater at once when `startingUpdater`; a start failure is shown as an
    // updater error and kept in `startError`. The delegates may be null and must outlive the
    // controller.
    SPUStandardUpdaterController(bool startingUpdater, UpdaterEnvironment environment,
                                 UpdateAlertPresenter& presenter,
                                 SPUUpdaterDelegate* updaterDelegate,
                                 SPUStandardUserDriverDelegate* userDriverDelegate);

    SPUUpdater& updater() { return updater_; }
    const SPUUpdater& updater() const { return updater_; }
    SPUStandardUserDriver& userDriver() { return userDriver_; }
    // Starts the updater (again); none when it runs.
    std::optional<UpdateError> startUpdater();
    // A check the person asked for.
    void checkForUpdates();
    const std::optional<UpdateError>& startError() const { return startError_; }

private:
    SPUStandardUserDriver userDriver_;
    SPUUpdater updater_;
    std::optional<UpdateError> startError_;
};

} // namespace update
