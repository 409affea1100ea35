#include "update/UpdateInstaller.h"

#include "platform/FileReplacement.h"
#include "platform/linux/BundleInfoFile.h"
#include "update/VersionComparator.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace update {
namespace {

UpdateError installationError(std::string text) {
    return {UpdateErrorCode::installation, std::move(text)};
}

UpdateError refusedVersion(std::string text) {
    return {UpdateErrorCode::validation, "The update was refused: " + std::move(text)};
}

bool isWritableFolder(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_directory(folder, error) &&
           ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// Writes everything of the file system that holds `folder` to the disk.
void syncFileSystem(const std::filesystem::path& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::syncfs(descriptor);
        ::close(descriptor);
    }
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

std::filesystem::path UpdateInstaller::extractionFolder() const {
    return stagingFolder() / "extracted";
}

std::filesystem::path UpdateInstaller::previousFolder() const {
    return installed.parent_path() / ("." + installed.filename().string() + ".previous");
}

std::filesystem::path UpdateInstaller::lockFile() const {
    return installed.parent_path() / ("." + installed.filename().string() + ".update.lock");
}

std::variant<platform::FileLock, UpdateError> UpdateInstaller::lock() const {
    const auto path = lockFile();
    platform::FileLock lock(path, {}, platform::FileLock::Owner::thisUserOnly);
    if (lock.heldElsewhere()) {
        return installationError("Another copy of the application is updating \"" +
                                 installed.string() + "\"; try again when it has finished.");
    }
    if (!lock.held()) {
        return installationError(
            "Updates cannot be installed: the lock file \"" + path.string() +
            "\" cannot be used (" +
            (lock.error == EINVAL ? "not a regular file of this user" : std::strerror(lock.error)) +
            ").");
    }
    return lock;
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

std::variant<UpdateInstaller::Staging, UpdateError> UpdateInstaller::prepareStaging() const {
    if (auto problem = installPermissionProblem()) {
        return *problem;
    }
    auto held = lock();
    if (auto* error = std::get_if<UpdateError>(&held)) {
        return *error;
    }
    removeStaging();
    const auto staging = stagingFolder();
    const auto archivePath = staging / "archive";
    // Closed to others from the start: nobody else may change what is downloaded or extracted.
    // The archive's name goes at once; its descriptor keeps it.
    platform::FileDescriptor archive;
    if (::mkdir(staging.c_str(), 0700) == 0 && ::mkdir(extractionFolder().c_str(), 0700) == 0) {
        archive = platform::FileDescriptor(
            ::open(archivePath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    }
    if (archive.get() < 0 || ::unlink(archivePath.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        removeStaging();
        return installationError("The update could not be prepared: the folder \"" +
                                 staging.string() + "\" could not be created (" + reason + ").");
    }
    return Staging{std::move(std::get<platform::FileLock>(held)), std::move(archive),
                   extractionFolder()};
}

void UpdateInstaller::discardStaging() const {
    // Held until the folder is gone: another install must not start on it half removed.
    if (const auto held = lock(); std::holds_alternative<platform::FileLock>(held)) {
        removeStaging();
    }
}

void UpdateInstaller::discardStaging(const Staging&) const {
    removeStaging();
}

void UpdateInstaller::removeStaging() const {
    std::error_code error;
    std::filesystem::remove_all(stagingFolder(), error);
}

bool UpdateInstaller::hasStagedUpdate() const {
    std::error_code error;
    return std::filesystem::is_directory(extractionFolder(), error) &&
           !std::filesystem::is_empty(extractionFolder(), error);
}

std::filesystem::path UpdateInstaller::stagedRoot() const {
    const auto extracted = extractionFolder();
    std::error_code error;
    std::optional<std::filesystem::directory_entry> only;
    for (const auto& entry : std::filesystem::directory_iterator(extracted, error)) {
        if (only) {
            return extracted;
        }
        only = entry;
    }
    if (!only || only->is_symlink(error) || !only->is_directory(error)) {
        return extracted;
    }
    return only->path();
}

std::optional<UpdateError>
UpdateInstaller::stagedVersionProblem(std::string_view announcedVersion,
                                      std::string_view installedVersion) const {
    const auto bundle = platform::native::bundleInfoAt(stagedRoot());
    const auto version =
        bundle ? platform::infoString(*bundle, platform::kCFBundleVersionKey) : std::nullopt;
    if (!version) {
        return refusedVersion("it does not say which version it holds.");
    }
    if (VersionComparator::compare(*version, announcedVersion) != 0) {
        return refusedVersion("it holds version " + *version + ", not the announced " +
                              std::string(announcedVersion) + ".");
    }
    if (VersionComparator::compare(*version, installedVersion) <= 0) {
        return refusedVersion("its version " + *version + " is not newer than the installed " +
                              std::string(installedVersion) + ".");
    }
    return std::nullopt;
}

std::optional<UpdateError> UpdateInstaller::installStaged() const {
    if (auto problem = installPermissionProblem()) {
        return problem;
    }
    // Held to the end: the staging folder is neither being written nor cleared meanwhile. The
    // quit goes on without the update when another install holds it: that one replaces the
    // folder anyway, and a quit must not hang.
    const auto held = lock();
    if (auto* error = std::get_if<UpdateError>(&held)) {
        return *error;
    }
    if (!hasStagedUpdate()) {
        return installationError("No downloaded update is waiting to be installed.");
    }
    const auto root = stagedRoot();
    // An application folder's usual mode, whatever the archive or the staging gave it.
    if (::chmod(root.c_str(), 0755) != 0) {
        return installationError("The update could not be installed: \"" + root.string() +
                                 "\" could not be prepared (" + std::strerror(errno) + ").");
    }
    // The new files reach the disk before they take the application's place.
    syncFileSystem(root);
    if (::renameat2(AT_FDCWD, root.c_str(), AT_FDCWD, installed.c_str(), RENAME_EXCHANGE) != 0) {
        return installationError("The update could not be installed: the new version could not "
                                 "be swapped with \"" +
                                 installed.string() + "\" (" + std::strerror(errno) + ").");
    }
    platform::FileReplacement::syncFolder(installed.parent_path());
    platform::FileReplacement::syncFolder(root.parent_path());
    // The old version now stands where the new one was staged.
    removeStaging();
    platform::FileReplacement::syncFolder(installed.parent_path());
    return std::nullopt;
}

void UpdateInstaller::finishInterruptedInstall() const {
    std::error_code error;
    const auto previous = previousFolder();
    // Most starts find nothing and make no lock file.
    if (!std::filesystem::exists(previous, error) &&
        !std::filesystem::exists(stagingFolder(), error)) {
        return;
    }
    const auto held = lock();
    if (!std::holds_alternative<platform::FileLock>(held)) {
        return;
    }
    bool changed = false;
    if (std::filesystem::is_directory(previous, error)) {
        if (!std::filesystem::exists(installed, error)) {
            std::filesystem::rename(previous, installed, error);
        } else {
            std::filesystem::remove_all(previous, error);
        }
        changed = true;
    }
    if (std::filesystem::exists(stagingFolder(), error)) {
        removeStaging();
        changed = true;
    }
    if (changed) {
        platform::FileReplacement::syncFolder(installed.parent_path());
    }
}

} // namespace update
