#pragma once

#include <string>

namespace update {

// What went wrong in an update cycle; the numbers follow the update framework's error codes.
enum class UpdateErrorCode {
    invalidFeedURL = 4,
    invalidUpdater = 5,
    invalidHostBundle = 6,
    appcastParse = 1000,
    noUpdate = 1001,
    appcast = 1002,
    releaseNotes = 1007,
    download = 2001,
    unarchiving = 3000,
    signature = 3001,
    validation = 3002,
    installation = 4005,
    installationCanceled = 4007,
    installationWriteNoPermission = 4012,
};

// A failure of the updater as a value: its code and the text shown to the user.
struct UpdateError {
    UpdateErrorCode code = UpdateErrorCode::invalidUpdater;
    std::string localizedDescription;

    friend bool operator==(const UpdateError&, const UpdateError&) = default;
};

} // namespace update
