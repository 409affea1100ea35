#pragma once

#include "update/UpdateError.h"

#include <filesystem>
#include <optional>
#include <variant>

namespace update {

// Replaces the installed application folder on Linux. An update is extracted beside the
// installed folder (".<name>.update" in the same parent, so a rename can move it) and swapped
// in by two renames: the old folder goes to ".<name>.previous", the new one takes its name,
// and the old one is removed. A failed second rename puts the old folder back.
class UpdateInstaller {
public:
    explicit UpdateInstaller(std::filesystem::path installedFolder);

    // Why updates cannot be installed (the folder or its parent is missing or not writable by
    // this user); none when they can.
    std::optional<UpdateError> installPermissionProblem() const;
    // An empty staging folder for a new extraction (any earlier one removed), or the reason
    // there is none.
    std::variant<std::filesystem::path, UpdateError> prepareStaging() const;
    // Removes the staging folder and anything extracted into it.
    void discardStaging() const;
    // Whether an extracted update waits in the staging folder.
    bool hasStagedUpdate() const;
    // Swaps the staged update in; the error says why it could not.
    std::optional<UpdateError> installStaged() const;

    const std::filesystem::path& installedFolder() const { return installed; }
    std::filesystem::path stagingFolder() const;

private:
    // The new application folder: the staging folder's only entry when that is a folder (an
    // archive holding "Tessaline/"), else the staging folder itself.
    std::filesystem::path stagedRoot() const;
    std::filesystem::path previousFolder() const;

    std::filesystem::path installed;
};

} // namespace update
