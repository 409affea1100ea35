#include "update/SPUStandardUpdaterController.h"

namespace update {

SPUStandardUpdaterController::SPUStandardUpdaterController(
    bool startingUpdater, UpdaterEnvironment environment, UpdateAlertPresenter& presenter,
    SPUUpdaterDelegate* updaterDelegate, SPUStandardUserDriverDelegate* userDriverDelegate)
    : userDriver_(presenter, userDriverDelegate, environment.host.shortVersion),
      updater_(std::move(environment), userDriver_, updaterDelegate) {
    if (startingUpdater) {
        startUpdater();
    }
}

std::optional<UpdateError> SPUStandardUpdaterController::startUpdater() {
    startError_ = updater_.startUpdater();
    if (startError_) {
        userDriver_.showUpdaterError(*startError_, [] {});
    }
    return startError_;
}

void SPUStandardUpdaterController::checkForUpdates() {
    updater_.checkForUpdates();
}

} // namespace update
