#pragma once

#include "update/UpdateError.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <variant>

namespace update {

// Replaces the installed application folder on Linux. An update is extracted into a private
// staging folder beside the installed one (".<name>.update", mode 0700, in the same parent)
// and swapped in with one atomic exchange of the two paths; then the parent folder is synced
// and the old version, which the exchange left in the staging folder, is removed. Whenever
// the process stops, a whole version of the application stands at the installed path; what an
// interrupted install leaves behind is cleared at the next start.
class UpdateInstaller {
public:
    explicit UpdateInstaller(std::filesystem::path installedFolder);

    // Why updates cannot be installed (the folder or its parent is missing or not writable by
    // this user); none when they can.
    std::optional<UpdateError> installPermissionProblem() const;
    // An empty folder for a new extraction, inside a new staging folder (any earlier one
    // removed), or the reason there is none.
    std::variant<std::filesystem::path, UpdateError> prepareStaging() const;
    // Removes the staging folder and anything extracted into it.
    void discardStaging() const;
    // Whether an extracted update waits in the staging folder.
    bool hasStagedUpdate() const;
    // Why the staged update may not be installed: its bundle's "CFBundleVersion" must be the
    // announced version, and newer than the installed one. None when it may.
    std::optional<UpdateError> stagedVersionProblem(std::string_view announcedVersion,
                                                    std::string_view installedVersion) const;
    // Swaps the staged update in; the error says why it could not (the old version stays).
    std::optional<UpdateError> installStaged() const;
    // Clears what an interrupted install left: the staging folder (an update not swapped in,
    // or the old version after the swap) and the ".<name>.previous" folder of the two-rename
    // install of earlier versions, which is put back first when the application folder is
    // missing. Called when the updater starts, before any cycle.
    void finishInterruptedInstall() const;

    // Called between the steps of an install, so a test can stop the process there.
    void setBetweenSteps(std::function<void()> step) { betweenSteps = std::move(step); }

    const std::filesystem::path& installedFolder() const { return installed; }
    std::filesystem::path stagingFolder() const;

private:
    std::filesystem::path extractionFolder() const;
    // The new application folder: the extraction folder's only entry when that is a folder (an
    // archive holding "Tessaline/"), else the extraction folder itself.
    std::filesystem::path stagedRoot() const;
    std::filesystem::path previousFolder() const;
    void stepDone() const;

    std::filesystem::path installed;
    std::function<void()> betweenSteps;
};

} // namespace update
