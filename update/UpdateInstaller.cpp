#include "update/UpdateInstaller.h"

#include <unistd.h>

#include <string>

namespace update {
namespace {

UpdateError installationError(std::string text) {
    return {UpdateErrorCode::installation, std::move(text)};
}

bool isWritableFolder(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_directory(folder, error) &&
           ::access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace

UpdateInstaller::UpdateInstaller(std::filesystem::path installedFolder)
    : installed(std::move(installedFolder).lexically_normal()) {
    // "/opt/tessaline/" names the same folder as "/opt/tessaline"; the sibling names need the
    // last component.
    if (!installed.has_filename() && installed.has_parent_path()) {
        installed = installed.parent_path();
    }
}

std::filesystem::path UpdateInstaller::stagingFolder() const {
    return installed.parent_path() / ("." + installed.filename().string() + ".update");
}

std::filesystem::path UpdateInstaller::previousFolder() const {
    return installed.parent_path() / ("." + installed.filename().string() + ".previous");
}

std::optional<UpdateError> UpdateInstaller::installPermissionProblem() const {
    if (installed.filename().empty() || !std::filesystem::is_directory(installed)) {
        return UpdateError{UpdateErrorCode::installationWriteNoPermission,
                           "Updates cannot be installed: the application folder \"" +
                               installed.string() + "\" was not found."};
    }
    for (const auto& folder : {installed.parent_path(), installed}) {
        if (!isWritableFolder(folder)) {
            return UpdateError{UpdateErrorCode::installationWriteNoPermission,
                               "Updates cannot be installed: you do not have permission to "
                               "write to the folder \"" +
                                   folder.string() + "\"."};
        }
    }
    return std::nullopt;
}

std::variant<std::filesystem::path, UpdateError> UpdateInstaller::prepareStaging() const {
    if (auto problem = installPermissionProblem()) {
        return *problem;
    }
    discardStaging();
    std::error_code error;
    const auto staging = stagingFolder();
    if (!std::filesystem::create_directory(staging, error) || error) {
        return installationError("The update could not be prepared: the folder \"" +
                                 staging.string() + "\" could not be created.");
    }
    std::filesystem::permissions(staging, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, error);
    return staging;
}

void UpdateInstaller::discardStaging() const {
    std::error_code error;
    std::filesystem::remove_all(stagingFolder(), error);
}

bool UpdateInstaller::hasStagedUpdate() const {
    std::error_code error;
    return std::filesystem::is_directory(stagingFolder(), error) &&
           !std::filesystem::is_empty(stagingFolder(), error);
}

std::filesystem::path UpdateInstaller::stagedRoot() const {
    const auto staging = stagingFolder();
    std::error_code error;
    std::optional<std::filesystem::directory_entry> only;
    for (const auto& entry : std::filesystem::directory_iterator(staging, error)) {
        if (only) {
            return staging;
        }
        only = entry;
    }
    if (!only || only->is_symlink(error) || !only->is_directory(error)) {
        return staging;
    }
    return only->path();
}

std::optional<UpdateError> UpdateInstaller::installStaged() const {
    if (!hasStagedUpdate()) {
        return installationError("No downloaded update is waiting to be installed.");
    }
    if (auto problem = installPermissionProblem()) {
        return problem;
    }
    const auto root = stagedRoot();
    const auto previous = previousFolder();
    std::error_code error;
    std::filesystem::remove_all(previous, error);
    std::filesystem::rename(installed, previous, error);
    if (error) {
        return installationError("The update could not be installed: \"" + installed.string() +
                                 "\" could not be moved aside (" + error.message() + ").");
    }
    std::filesystem::rename(root, installed, error);
    if (error) {
        std::error_code restoreError;
        std::filesystem::rename(previous, installed, restoreError);
        return installationError("The update could not be installed: the new version could not "
                                 "be moved into place (" +
                                 error.message() + ").");
    }
    std::filesystem::remove_all(previous, error);
    discardStaging();
    return std::nullopt;
}

} // namespace update
