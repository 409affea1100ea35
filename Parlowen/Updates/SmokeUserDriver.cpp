#include "Parlowen/Updates/SmokeUserDriver.h"

#include <cstdio>

namespace Parlowen {

void SmokeUserDriver::report(const std::string& text) const {
    if (event) {
        event(text);
    }
}

void SmokeUserDriver::finish(bool success, const std::string& message) const {
    if (complete) {
        complete(success, message);
    }
}

void SmokeUserDriver::showUpdatePermissionRequest(
    std::function<void(update::SUUpdatePermissionResponse)> reply) {
    report("permission-request");
    reply({.automaticUpdateChecks = true,
           .automaticUpdateDownloading = false,
           .sendSystemProfile = false});
}

void SmokeUserDriver::showUserInitiatedUpdateCheck(Action) {
    report("checking");
}

void SmokeUserDriver::showUpdateFound(const update::SUAppcastItem& item,
                                      update::SPUUserUpdateState state,
                                      std::function<void(update::SPUUserUpdateChoice)> reply) {
    report("prompt version=" + item.versionString +
           " stage=" + std::to_string(static_cast<int>(state.stage)) +
           " critical=" + (item.isCriticalUpdate ? "true" : "false"));
    reply(update::SPUUserUpdateChoice::install);
}

void SmokeUserDriver::showUpdateReleaseNotes(const update::ReleaseNotes& notes) {
    report("release-notes bytes=" + std::to_string(notes.downloadedBytes()));
}

void SmokeUserDriver::showUpdateReleaseNotesFailedToDownload(const update::UpdateError& error) {
    report("release-notes-error message=\"" + error.localizedDescription + "\"");
}

void SmokeUserDriver::showUpdateNotFound(const update::UpdateError& error, Action acknowledgement) {
    acknowledgement();
    finish(false, error.localizedDescription);
}

void SmokeUserDriver::showUpdaterError(const update::UpdateError& error, Action acknowledgement) {
    acknowledgement();
    finish(false, error.localizedDescription);
}

void SmokeUserDriver::showDownloadInitiated(Action) {
    report("download-started");
}

void SmokeUserDriver::showDownloadDidReceiveExpectedContentLength(std::uint64_t length) {
    expectedBytes = length;
    report("download-expected-bytes=" + std::to_string(length));
}

void SmokeUserDriver::showDownloadDidReceiveData(std::uint64_t length) {
    downloadedBytes += length;
    report("download-progress bytes=" + std::to_string(downloadedBytes) +
           " expected=" + std::to_string(expectedBytes));
}

void SmokeUserDriver::showDownloadDidStartExtractingUpdate() {
    report("extracting-started");
}

void SmokeUserDriver::showExtractionReceivedProgress(double fraction) {
    char text[64];
    std::snprintf(text, sizeof text, "extract-progress %.3f", fraction);
    report(text);
}

void SmokeUserDriver::showReadyToInstallAndRelaunch(
    std::function<void(update::SPUUserUpdateChoice)> reply) {
    report("ready-to-install");
    reply(update::SPUUserUpdateChoice::dismiss);
    finish(true, "Sparkle downloaded, extracted, and validated the update");
}

void SmokeUserDriver::showInstallingUpdate(bool applicationTerminated, Action) {
    report(std::string("installing applicationTerminated=") +
           (applicationTerminated ? "true" : "false"));
}

void SmokeUserDriver::showUpdateInstalledAndRelaunched(bool relaunched, Action acknowledgement) {
    acknowledgement();
    finish(true,
           std::string("Sparkle installed update relaunched=") + (relaunched ? "true" : "false"));
}

void SmokeUserDriver::dismissUpdateInstallation() {
    report("dismiss");
}

} // namespace Parlowen
